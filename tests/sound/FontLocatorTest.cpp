// Fonts that travel: a configuration made on Windows (Windows-1252, "\"
// between folders, drive letters) loads from wherever its folder was
// unpacked; relative paths start at the configuration's folder; a path
// that names a file as written wins; what is found nowhere is reported.

#include "sound/FontLocator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "seams/EventPump.h"
#include "sound/ConfigurationFile.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/sound/TravelledFont.h"
#include "tests/support/Files.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace sound;

class Labels : public NoCategoryDisplays {
 public:
  void SetFileLabel(FileType c, const std::string& name) override { labels[c] = name; }
  void AddToList(FileType c, const std::string& name) override { lists[c].push_back(name); }
  std::map<int, std::string> labels;
  std::map<int, std::vector<std::string>> lists;
};

// Runs the rest of the test in another current folder.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class FontLocatorTest : public ::testing::Test {
 protected:
  LoadOutcome Load(const std::string& configuration) {
    return LoadConfiguration(configuration, config, displays, noEvents, dialogs);
  }
  testing_support::TempFolder dir;
  LSU_Configuration config;
  Labels displays;
  seams::NoEventPump noEvents;
  testing_support::ScriptedDialogs dialogs;
};

TEST_F(FontLocatorTest, AWindowsConfigurationLoadsCompletelyBesideItsFiles) {
  std::filesystem::create_directories(dir.dir() / "unpacked" / "Ember");
  const auto font = sound_test::WriteTravelledFont(dir.Path("unpacked/Ember"));
  const std::string folder = dir.Path("unpacked/Ember") + "/";
  InFolder elsewhere(dir.dir());

  const LoadOutcome outcome = Load(font.configuration);
  EXPECT_EQ(outcome.result, LoadResult::Loaded);
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
  EXPECT_EQ(outcome.foundBeside, 8);
  const auto files = config.FilesInFlashOrder();
  ASSERT_EQ(files.size(), font.names.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i]->FileName, folder + font.names[i]) << "loaded as if the path named it";
    EXPECT_EQ(files[i]->Volume, font.volumes[i]);
  }
  EXPECT_EQ(displays.labels[kPwrOn], "\u00C9p\u00E9\x65 on.lsu") << "Windows-1252 read as such";
  EXPECT_EQ(displays.labels[kIdle], "HUM.LSU") << "the name as it is on disk";
  EXPECT_EQ(displays.lists[kLockup], std::vector<std::string>{"lockup\u2013\x31.lsu"});

  // Saved again, it holds the paths it was loaded from, in UTF-8.
  const std::string saved = *ConfigurationText(config);
  EXPECT_NE(saved.find("\r\n" + folder + "HUM.LSU\r\n 70 \r\n"), std::string::npos) << saved;
}

TEST_F(FontLocatorTest, APathThatNamesAFileWinsOverTheFileBeside) {
  for (const char* folder : {"font/sub", "cwd/sub", "stored"})
    std::filesystem::create_directories(dir.dir() / folder);
  const auto lsu = [&](const std::string& name, size_t samples) {
    sound_test::WriteLsu(dir.Path(name), sound_test::Samples(samples));
    return dir.Path(name);
  };
  lsu("stored/boot.lsu", 500);
  lsu("font/boot.lsu", 600);     // the same name beside: not taken
  lsu("font/sub/hum.lsu", 700);  // relative "sub\hum.lsu"
  lsu("cwd/sub/hum.lsu", 800);   // the same relative path from the current folder
  lsu("font/off.lsu", 900);      // "C:off.lsu": a drive, found beside
  testing_support::WriteBytes(
      dir.Path("font/f.lscfg"),
      "BOOT\r\n" + dir.Path("stored/boot.lsu") +
          "\r\n 100 \r\nPWRON\r\nsub\\hum.lsu\r\n 100 \r\nPWROFF\r\nC:off.lsu\r\n "
          "100 \r\nIDLE\r\n/nowhere/idle.lsu\r\n 100 \r\nMOTION-0\r\nIMPACT-0\r\n"
          "LOCKUP-0\r\n");
  InFolder elsewhere(dir.dir() / "cwd");

  const LoadOutcome outcome = Load("../font/f.lscfg");
  EXPECT_EQ(outcome.result, LoadResult::FilesNotFound);
  EXPECT_EQ(config.BootFile().FileName, dir.Path("stored/boot.lsu")) << "kept exactly as written";
  EXPECT_EQ(config.BootFile().NrOfSamples, 500);
  EXPECT_EQ(config.PwrOnFile().FileName, dir.Path("font/sub/hum.lsu"));
  EXPECT_EQ(config.PwrOnFile().NrOfSamples, 700) << "relative to the configuration's folder";
  EXPECT_EQ(config.PwrOffFile().FileName, dir.Path("font/off.lsu"));
  EXPECT_EQ(outcome.foundBeside, 1) << "only off.lsu was not where its path says";
  // idle.lsu is neither at its path nor beside: the only one reported.
  EXPECT_EQ(outcome.notFound, std::vector<std::string>{"/nowhere/idle.lsu"});
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, std::string(kFilesNotFound) + "\r\n/nowhere/idle.lsu");
}

TEST_F(FontLocatorTest, TheCountReadsAsOneLine) {
  EXPECT_EQ(FoundBesideMessage(0), "");
  EXPECT_EQ(FoundBesideMessage(1),
            "1 file was found beside the configuration instead of at its stored path.");
  EXPECT_EQ(FoundBesideMessage(3),
            "3 files were found beside the configuration instead of at their stored paths.");
}

}  // namespace
