// The sound category panel without widgets: the list limit and invalid
// files, which file the volume control belongs to, and playback through
// temp.wav.

#include "sound/CategoryPanel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace sound;
using Names = std::vector<std::string>;

// The category frame as a test sees it.
class RecordingView : public CategoryPanelView {
 public:
  void SetFileLabel(FileType c, const std::string& name) override { labels[c] = name; }
  void ClearList(FileType c) override { lists[c].clear(); }
  void AddToList(FileType c, const std::string& name) override { lists[c].push_back(name); }
  void UpdateMemoryStatus() override { ++memoryUpdates; }
  void CheckOption(FileType c) override { checked = c; }
  void RemoveFromList(FileType c, int row) override { lists[c].erase(lists[c].begin() + row); }
  void ShowVolume(int v, const std::string& name) override {
    volume = v;
    volumeFile = name;
  }
  void HideVolume() override { volume = -1; }
  void ShowConverting(bool visible) override { converting.push_back(visible); }

  std::map<int, std::string> labels;
  std::map<int, Names> lists;
  int memoryUpdates = 0;
  int checked = 0;
  int volume = -1;  // -1: hidden
  std::string volumeFile;
  std::vector<bool> converting;
};

class CategoryPanelTest : public ::testing::Test {
 protected:
  std::string Lsu(const std::string& name, size_t samples = 100) {
    sound_test::WriteLsu(dir.Path(name), sound_test::Samples(samples));
    return dir.Path(name);
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs.messages) texts.push_back(m.text);
    return texts;
  }

  testing_support::TempFolder dir;
  LSU_Configuration config;
  RecordingView view;
  testing_support::ScriptedDialogs dialogs;
  testing_support::ScriptedPlayer player;
  std::vector<testing_support::ScriptedPlayer::Played>& played = player.played;
  seams::NoEventPump noEvents;
  CategoryPanel panel{config, view, noEvents, dialogs, {dir.dir().string(), dir.dir().string()},
                      &player};
};

TEST_F(CategoryPanelTest, ListsHoldTwelveFilesAndOnlyValidOnes) {
  const std::pair<FileType, const char*> lists[] = {
      {kMotion, "Maximum number of Motion files reached"},
      {kImpact, "Maximum number of Impact files reached"},
      {kLockup, "Maximum number of Lock-up files reached"}};
  for (const auto& [list, message] : lists) {
    dialogs.messages.clear();
    Names shown;
    for (int i = 0; i < 12; ++i) {
      const std::string name = std::to_string(list) + "-" + std::to_string(i) + ".lsu";
      ASSERT_TRUE(panel.Add(Lsu(name), list)) << name;
      shown.push_back(name);
    }
    EXPECT_FALSE(panel.Add(Lsu("one-more.lsu"), list));
    EXPECT_EQ(Messages(), Names{message});
    EXPECT_EQ(view.lists[list], shown);
    EXPECT_EQ(config.Count(list), 12);
  }

  dialogs.messages.clear();
  ASSERT_TRUE(panel.Add(Lsu("boot.lsu"), kBoot));
  const std::string wav = dir.Path("tone.wav");
  testing_support::WriteBytes(wav, "RIFF....WAVEfmt ");
  EXPECT_FALSE(panel.Add(wav, kBoot));
  EXPECT_FALSE(panel.Add(Lsu("none.lsu"), 0)) << "no category chosen";
  EXPECT_EQ(Messages(), Names{"Not a valid file"});
  EXPECT_EQ(view.labels[kBoot], "boot.lsu");
  EXPECT_EQ(config.BootFile().FileName, dir.Path("boot.lsu"));
}

TEST_F(CategoryPanelTest, VolumeControlBelongsToTheChosenFileOnly) {
  for (const char* n : {"m1.lsu", "m2.lsu", "m3.lsu"}) ASSERT_TRUE(panel.Add(Lsu(n), kMotion));
  ASSERT_TRUE(panel.Add(Lsu("boot.lsu"), kBoot));
  config.SetVolume(kMotion, 2, 40);

  panel.SelectInList(kMotion, 1);
  EXPECT_EQ(view.checked, kMotion);
  EXPECT_EQ(view.volume, 40);
  EXPECT_EQ(config.GetVolume(kMotion, 2), 40) << "showing stores nothing";
  panel.SetVolume(55);
  EXPECT_EQ(config.GetVolume(kMotion, 1), 100);
  EXPECT_EQ(config.GetVolume(kMotion, 2), 55);
  EXPECT_EQ(config.GetVolume(kMotion, 3), 100);

  // Removing the first file moves the chosen one up with its volume.
  panel.Remove(kMotion, 0);
  EXPECT_EQ(view.lists[kMotion], (Names{"m2.lsu", "m3.lsu"}));
  EXPECT_EQ(view.volume, -1);
  EXPECT_EQ(config.GetVolume(kMotion, 1), 55);

  panel.SelectSingle(kBoot);
  EXPECT_EQ(view.checked, kBoot);
  EXPECT_EQ(view.volume, 100);
  panel.SetVolume(20);
  EXPECT_EQ(config.GetVolume(kBoot, 0), 20);
  EXPECT_EQ(config.GetVolume(kMotion, 1), 55);
  EXPECT_EQ(config.GetVolume(kMotion, 2), 100);

  // An empty category, or a list without a marked row, hides it.
  panel.SelectSingle(kIdle);
  EXPECT_EQ(view.checked, kIdle);
  EXPECT_EQ(view.volume, -1);
  panel.SelectInList(kMotion, 1);
  panel.SelectInList(kImpact, -1);
  EXPECT_EQ(view.checked, kImpact);
  EXPECT_EQ(view.volume, -1);
  panel.Remove(kImpact, -1);  // nothing marked: nothing to remove
  panel.Remove(kBoot, 0);
  EXPECT_EQ(view.labels[kBoot], "");
  EXPECT_TRUE(config.BootFile().FileName.empty());
}

// A configuration loaded from a path (as a fetched font is) asks first for
// a changed one, is one step to undo, and is no change itself; undoing
// back to what was saved is no change either.
TEST_F(CategoryPanelTest, LoadingFromAPathAsksFirstAndIsOneStep) {
  std::vector<ConfigurationEdit> edits;
  panel.OnEdit([&](ConfigurationEdit e) { edits.push_back(std::move(e)); });
  ASSERT_TRUE(panel.Add(Lsu("m1.lsu"), kMotion));
  const std::string font = dir.Path("font.lscfg");
  ASSERT_TRUE(SaveConfiguration(config, font));
  ASSERT_TRUE(panel.Add(Lsu("boot.lsu"), kBoot));
  ASSERT_TRUE(panel.Changed());

  dialogs.answers = {seams::DialogResult::Cancel};
  EXPECT_EQ(panel.LoadConfigurationFrom(font).result, LoadResult::Cancelled);
  EXPECT_EQ(view.labels[kBoot], "boot.lsu");
  ASSERT_EQ(Messages(), Names{kSaveBeforeLoading});
  EXPECT_EQ(dialogs.messages[0].buttons, seams::DialogButtons::SaveDiscardCancel);

  dialogs.answers = {seams::DialogResult::Discard};
  EXPECT_EQ(panel.LoadConfigurationFrom(font).result, LoadResult::Loaded);
  EXPECT_EQ(view.labels[kBoot], "");
  EXPECT_EQ(view.lists[kMotion], Names{"m1.lsu"});
  EXPECT_FALSE(panel.Changed());
  ASSERT_EQ(edits.size(), 3u);  // two adds and the load
  EXPECT_EQ(edits[2].kind, ConfigurationEdit::Kind::Load);

  panel.Restore(edits[2], false);
  EXPECT_EQ(view.labels[kBoot], "boot.lsu");
  EXPECT_EQ(config.TotalNrOfSamples(), 200);
  EXPECT_TRUE(panel.Changed());
  panel.Restore(edits[1], false);
  EXPECT_EQ(view.labels[kBoot], "");
  EXPECT_FALSE(panel.Changed()) << "as saved";
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(CategoryPanelTest, PlaysLsuFilesThroughTempWav) {
  const std::string lsu = Lsu("swing.LSU", 4800);
  ASSERT_TRUE(panel.Add(lsu, kMotion));
  // A stale temp.wav that links elsewhere is replaced, not written through.
  const std::string other = dir.Path("other.wav");
  testing_support::WriteBytes(other, "keep");
  std::filesystem::create_symlink(other, dir.Path("temp.wav"));

  panel.PlayFromCategory(kMotion, 0);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].wav, dir.Path("temp.wav"));
  EXPECT_DOUBLE_EQ(played[0].seconds, 0.1);
  EXPECT_EQ(view.converting, (std::vector<bool>{true, false}));
  EXPECT_EQ(testing_support::ReadBytes(other), "keep");
  const std::string wav = testing_support::ReadBytes(dir.Path("temp.wav"));
  const std::string samples = testing_support::ReadBytes(lsu).substr(4);
  ASSERT_EQ(wav.size(), 44u + samples.size());
  EXPECT_EQ(wav.substr(44), samples);

  // Not an LSU file, a missing one, an empty category, no marked row.
  testing_support::WriteBytes(dir.Path("notes.txt"), std::string(400, 'x'));
  panel.PlayLsu(dir.Path("notes.txt"));
  panel.PlayLsu(dir.Path("gone.lsu"));
  panel.PlayFromCategory(kBoot, 0);
  panel.PlayFromCategory(kMotion, -1);
  EXPECT_EQ(played.size(), 1u);
  EXPECT_EQ(view.converting, (std::vector<bool>{true, false, true, false}));
}

}  // namespace
