// Configuration files: the text written, loading with its partial states
// and messages, line ends, cut-off files and saves that fail.

#include "sound/ConfigurationFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>

#include "fileio/Utf8Path.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace sound;
using Lines = std::vector<std::string>;

// The window's category labels and list boxes as a test sees them, and the
// event pump the loader lets events run through.
class RecordingDisplays : public CategoryDisplays, public seams::EventPump {
 public:
  void SetFileLabel(FileType c, const std::string& name) override { labels[c] = name; }
  void ClearList(FileType c) override { lists[c].clear(); }
  void AddToList(FileType c, const std::string& name) override { lists[c].push_back(name); }
  void UpdateMemoryStatus() override {}
  void LetEventsRun() override { ++events; }
  std::map<int, std::string> labels;
  std::map<int, Lines> lists;
  int events = 0;
};

std::string Text(const Lines& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& l : lines) text += l + end;
  return text;
}

class ConfigurationFile : public ::testing::Test {
 protected:
  std::string Lsu(const std::string& name) {
    sound_test::WriteLsu(dir.Path(name), sound_test::Samples(100));
    return dir.Path(name);
  }
  LoadResult Load(const std::string& text) {
    dialogs.messages.clear();
    std::istringstream in(text);
    outcome = LoadConfiguration(in, config, displays, displays, dialogs);
    return outcome.result;
  }
  // One sound per category, prefixed; the lists hold 2, 1 and 1 files.
  Lines Full(const std::string& p) {
    return {"BOOT",
            Lsu(p + "boot.lsu"),
            " 10 ",
            "PWRON",
            Lsu(p + "on.lsu"),
            " 20 ",
            "PWROFF",
            Lsu(p + "off.lsu"),
            " 30 ",
            "IDLE",
            Lsu(p + "idle.lsu"),
            " 40 ",
            "MOTION-2",
            Lsu(p + "m1.lsu"),
            " 50 ",
            Lsu(p + "m2.lsu"),
            " 60 ",
            "IMPACT-1",
            Lsu(p + "i1.lsu"),
            " 70 ",
            "LOCKUP-1",
            Lsu(p + "l1.lsu"),
            " 80 "};
  }
  // The file names of a category, single or list.
  Lines Names(int type) {
    Lines names;
    const bool list = FindCategory(type)->isList;
    for (int k = list ? 1 : 0; k <= (list ? config.Count(type) : 0); ++k)
      names.push_back(fileio::FileNameOf(config.GetFile(type, k).FileName));
    return names;
  }
  void ExpectMessage(const std::string& text, seams::DialogIcon icon) {
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, text);
    EXPECT_EQ(dialogs.messages[0].icon, icon);
    EXPECT_EQ(dialogs.messages[0].buttons, seams::DialogButtons::Ok);
  }
  void ExpectNotValid() { ExpectMessage(kNotValidConfiguration, seams::DialogIcon::Critical); }

  testing_support::TempFolder dir;
  LSU_Configuration config;
  RecordingDisplays displays;
  testing_support::ScriptedDialogs dialogs;
  LoadOutcome outcome;
};

TEST_F(ConfigurationFile, EmptyConfigurationIsFifteenLines) {
  EXPECT_EQ(*ConfigurationText(config),
            Text({"BOOT", "", " 100 ", "PWRON", "", " 100 ", "PWROFF", "", " 100 ", "IDLE", "",
                  " 100 ", "MOTION-0", "IMPACT-0", "LOCKUP-0"}));
}

TEST_F(ConfigurationFile, LoadsEveryCategoryWithItsVolumeAndShowsIt) {
  ASSERT_EQ(Load(Text(Full(""))), LoadResult::Loaded);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(config.CheckIntegrity(), 0);
  int volume = 10;
  for (auto [type, number] : {std::pair{kBoot, 0},
                              {kPwrOn, 0},
                              {kPwrOff, 0},
                              {kIdle, 0},
                              {kMotion, 1},
                              {kMotion, 2},
                              {kImpact, 1},
                              {kLockup, 1}}) {
    EXPECT_EQ(config.GetVolume(type, number), volume) << type << "/" << number;
    volume += 10;
  }
  EXPECT_EQ(displays.labels[kIdle], "idle.lsu");
  EXPECT_EQ(displays.lists[kMotion], (Lines{"m1.lsu", "m2.lsu"}));
  EXPECT_EQ(displays.events, 8) << "after each single volume and each list entry";
}

TEST_F(ConfigurationFile, SaveThenLoadRestoresPathsVolumesAndOrder) {
  // Names beyond ASCII and blanks travel unchanged as UTF-8. (A "\" is a
  // folder separator when a path is read: FontLocatorTest.)
  ASSERT_TRUE(config.AddFile(Lsu("Ström ✓.lsu"), kBoot));
  ASSERT_TRUE(config.AddFile(Lsu("off.lsu"), kPwrOff));
  for (const char* m : {"z.lsu", "b c.lsu", "a.lsu"}) ASSERT_TRUE(config.AddFile(Lsu(m), kMotion));
  ASSERT_TRUE(config.AddFile(Lsu("l.lsu"), kLockup));
  config.SetVolume(kBoot, 0, 7);
  config.SetVolume(kIdle, 0, 0);  // on the empty idle category
  config.SetVolume(kMotion, 2, 33);
  const std::string file = dir.Path("saved.lscfg");
  ASSERT_TRUE(SaveConfiguration(config, file));

  const LSU_Configuration saved = config;
  ASSERT_TRUE(config.AddFile(Lsu("idle.lsu"), kIdle));  // emptied by the load
  ASSERT_EQ(LoadConfiguration(file, config, displays, displays, dialogs).result,
            LoadResult::Loaded);
  for (int type = kBoot; type <= kIdle; ++type) ASSERT_EQ(config.Count(type), saved.Count(type));
  EXPECT_EQ(testing_support::ReadBytes(file), *ConfigurationText(saved));
  EXPECT_EQ(*ConfigurationText(config), *ConfigurationText(saved));
  EXPECT_EQ(displays.labels[kBoot], "Ström ✓.lsu");
  EXPECT_EQ(displays.lists[kMotion], (Lines{"z.lsu", "b c.lsu", "a.lsu"}));
}

TEST_F(ConfigurationFile, InvalidFilesKeepWhatWasReadBeforeTheFault) {
  auto lines = Full("");
  lines[0] = "boot";
  lines[12] = "motion-2";
  EXPECT_EQ(Load(Text(lines)), LoadResult::Loaded) << "words match without regard to case";
  for (const char* bad : {"MOTION", "MOTION-2-1", " MOTION-2"}) {
    lines[12] = bad;
    EXPECT_EQ(Load(Text(lines)), LoadResult::NotValid) << bad;
    ExpectNotValid();
  }
  ASSERT_EQ(Load(Text(Full("old"))), LoadResult::Loaded);
  lines = Full("new");
  lines[0] = "PWRON";
  EXPECT_EQ(Load(Text(lines)), LoadResult::NotValid);
  EXPECT_EQ(Names(kBoot), Lines{"oldboot.lsu"}) << "nothing changes";

  lines[0] = "BOOT";
  lines[17] = "IMPACT";
  EXPECT_EQ(Load(Text(lines)), LoadResult::NotValid);
  EXPECT_EQ(Names(kIdle), Lines{"newidle.lsu"});
  EXPECT_EQ(Names(kMotion), (Lines{"newm1.lsu", "newm2.lsu"}));
  EXPECT_EQ(config.NrOfImp(), 0) << "emptied before its header was read";
  EXPECT_TRUE(displays.lists[kImpact].empty());
  EXPECT_EQ(Names(kLockup), Lines{"oldl1.lsu"});
  EXPECT_EQ(config.TotalNrOfSamples(), 700);

  lines = Full("third");
  lines[6] = "POWEROFF";
  EXPECT_EQ(Load(Text(lines)), LoadResult::NotValid);
  EXPECT_EQ(Names(kPwrOn), Lines{"thirdon.lsu"});
  EXPECT_EQ(Names(kPwrOff), Lines{"newoff.lsu"}) << "a word that does not match keeps its file";
  EXPECT_EQ(LoadConfiguration(dir.Path("none.lscfg"), config, displays, displays, dialogs).result,
            LoadResult::NotValid);
  EXPECT_EQ(Names(kBoot), Lines{"thirdboot.lsu"});
}

TEST_F(ConfigurationFile, FilesMissingOrRefusedAreListedOnceAtTheEnd) {
  auto lines = Full("");
  const std::string gone = dir.Path("gone.lsu"), wav = Lsu("sound.wav");
  std::filesystem::create_directory(dir.Path("folder.lsu"));
  lines[1] = wav;
  lines[10] = dir.Path("folder.lsu");
  lines[12] = "MOTION-3";
  lines.insert(lines.begin() + 15, {gone, " 55 "});
  lines[18] = " 65 ";
  lines[19] = "IMPACT-13";
  for (int k = 13; k >= 2; --k)  // read after i1 in the order 2, 3, ... 13
    lines.insert(lines.begin() + 22, {Lsu(std::to_string(k) + ".lsu"), "1"});
  EXPECT_EQ(Load(Text(lines)), LoadResult::FilesNotFound);
  const Lines notFound = {wav, dir.Path("folder.lsu"), gone, dir.Path("13.lsu")};
  EXPECT_EQ(outcome.notFound, notFound) << "the 13th impact entry is one too many";
  ExpectMessage(std::string(kFilesNotFound) + "\r\n" + notFound[0] + "\r\n" + notFound[1] + "\r\n" +
                    notFound[2] + "\r\n" + notFound[3],
                seams::DialogIcon::None);
  EXPECT_EQ(Names(kMotion), (Lines{"m1.lsu", "m2.lsu"}));
  EXPECT_EQ(config.GetVolume(kMotion, 2), 65) << "each added file with its own volume";
  EXPECT_EQ(config.NrOfImp(), 12);
  EXPECT_EQ(config.Count(kBoot), 0);
  EXPECT_EQ(config.GetVolume(kBoot, 0), 10) << "set on the empty category too";
}

TEST_F(ConfigurationFile, ReadsLfLineEndsButNotAFileCutShort) {
  const auto lines = Full("");
  EXPECT_EQ(Load(Text(lines, "\n")), LoadResult::Loaded);
  const std::string text = Text(lines);
  EXPECT_EQ(Load(text.substr(0, text.size() - 2)), LoadResult::Loaded) << "no last line end";
  EXPECT_EQ(Load(text + "ignored after the last entry"), LoadResult::Loaded);
  for (size_t kept = 0; kept < lines.size(); ++kept) {
    config = LSU_Configuration{};
    EXPECT_EQ(Load(Text(Lines(lines.begin(), lines.begin() + std::ptrdiff_t(kept)))),
              LoadResult::NotValid)
        << kept << " lines";
    ExpectNotValid();
    // Every file read before the cut stays.
    EXPECT_EQ(config.Count(kBoot), kept >= 2 ? 1 : 0) << kept;
    EXPECT_EQ(config.NrOfMt(), kept >= 16 ? 2 : kept >= 14 ? 1 : 0) << kept;
    EXPECT_EQ(config.NrOfImp(), kept >= 19 ? 1 : 0) << kept;
  }
}

TEST_F(ConfigurationFile, VolumesAndCountsAreReadAsNumbers) {
  auto lines = Full("");
  lines[2] = "250";
  lines[5] = "-7";
  lines[8] = " 4 2.5xyz";
  lines[11] = "abc";
  lines[14] = "37.5";
  lines[12] = "MOTION- 1.4";
  lines.erase(lines.begin() + 15, lines.begin() + 17);
  EXPECT_EQ(Load(Text(lines)), LoadResult::Loaded);
  EXPECT_EQ((std::vector<int>{config.GetVolume(kBoot, 0), config.GetVolume(kPwrOn, 0),
                              config.GetVolume(kPwrOff, 0), config.GetVolume(kIdle, 0),
                              config.GetVolume(kMotion, 1)}),
            (std::vector<int>{100, 0, 42, 0, 38}));
  EXPECT_EQ(config.NrOfMt(), 1);
}

TEST_F(ConfigurationFile, DialogsAskInTheApplicationFolder) {
  dialogs.openPaths = {std::nullopt, dir.Path("chosen.lscfg")};
  dialogs.savePaths = {std::nullopt, dir.Path("again.lscfg")};
  EXPECT_EQ(LoadConfigurationWithDialog(config, displays, displays, dialogs, "/app").result,
            LoadResult::Cancelled);
  EXPECT_EQ(SaveConfigurationWithDialog(config, dialogs, "/app"), SaveResult::Cancelled);
  testing_support::WriteBytes(dir.Path("chosen.lscfg"), Text(Full("")));
  EXPECT_EQ(LoadConfigurationWithDialog(config, displays, displays, dialogs, "/app").result,
            LoadResult::Loaded);
  EXPECT_EQ(SaveConfigurationWithDialog(config, dialogs, "/app"), SaveResult::Saved);
  EXPECT_EQ(testing_support::ReadBytes(dir.Path("again.lscfg")), Text(Full("")));
  EXPECT_TRUE(dialogs.messages.empty());
  for (const auto& r : dialogs.fileRequests) {
    EXPECT_EQ(r.filter, "Duded Avori Configuration File (*.LSCFG)|*.lscfg|All files (*.*)|*.*");
    EXPECT_EQ(r.initialFolder, "/app");
  }
}

TEST_F(ConfigurationFile, AFailedSaveIsReportedAndKeepsThePreviousFile) {
  const std::string missingFolder = dir.Path("no/such/folder/x.lscfg");
  dialogs.savePaths.push_back(missingFolder);
  EXPECT_EQ(SaveConfigurationWithDialog(config, dialogs, "/app"), SaveResult::Failed);
  ExpectMessage("The configuration could not be saved to " + missingFolder +
                    ": cannot create a file beside it: No such file or directory",
                seams::DialogIcon::Critical);
  std::filesystem::create_directory(dir.Path("taken.lscfg"));
  EXPECT_FALSE(SaveConfiguration(config, dir.Path("taken.lscfg"))) << "a folder in the way";

  const std::string target = dir.Path("keep.lscfg");
  testing_support::WriteBytes(target, "previous");
  ASSERT_EQ(Load(Text(Full(std::string(60, 'p')))), LoadResult::Loaded);
  ASSERT_GT(ConfigurationText(config)->size(), 1000u);
  // No file of this process may grow past 512 bytes: the write fails half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = SaveConfiguration(config, target).Ok();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_EQ(testing_support::ReadBytes(target), "previous");
  for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << "left behind: " << e.path();

  ASSERT_TRUE(config.AddFile(Lsu("line\nbreak.lsu"), kBoot));
  EXPECT_FALSE(SaveConfiguration(config, target)) << "a path that could not be read back";
  EXPECT_EQ(testing_support::ReadBytes(target), "previous");
}

}  // namespace
