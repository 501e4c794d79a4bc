// Fonts that travel, in the window: the load button finds a Windows font
// beside its files and says so under the categories; the sound files
// frame's context menu exports a font folder that loads after it moved, and
// compares the configuration with what the board holds, by real
// right-clicks and menu clicks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "app/Main.h"
#include "sound/ConfigurationFile.h"
#include "sound/FlashImage.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/sound/TravelledFont.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;

struct Window {
  // spec: the virtual board, or "" to work offline; flash: what its flash
  // holds at start.
  explicit Window(const std::string& spec, const std::string& flash = "") {
    fs::create_directories(dir.dir() / "Ember");
    font = sound_test::WriteTravelledFont(dir.Path("Ember"));
    session::FrontEndOptions o;
    o.virtualBoard = spec.empty() ? "sound" : spec;
    if (!flash.empty()) {
      testing_support::WriteBytes(dir.Path("flash.bin"), flash);
      *o.virtualBoard += ",flash=" + dir.Path("flash.bin");
    }
    o.hidLog = log;
    app::MainOptions m;
    m.appFolder = APP_FOLDER;
    m.board = session::MakeBoardAgent(o);
    if (spec.empty()) {
      m.board.firmware->Unplug();
      dialogs.answers.push_back(seams::DialogResult::Ok);  // work offline
    }
    m.dialogs = &dialogs;
    m.openHelp = [](const QString&) {};
    main = std::make_unique<app::Main>(std::move(m));
    EXPECT_TRUE(main->Startup());
    main->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    dialogs.messages.clear();
  }
  template <typename W>
  W* Child(const char* name) {
    W* w = main->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Load(const std::string& configuration) {
    dialogs.openPaths.push_back(configuration);
    QTest::mouseClick(Child<QToolButton>("LoadBtn"), Qt::LeftButton);
  }
  // The load note as the user sees it: "" when hidden.
  std::string Note() {
    auto* note = Child<QLabel>("LoadNoteLabel");
    return note->isVisibleTo(main.get()) ? note->text().toStdString() : "";
  }
  // A right-click on the motion list (through the window system) opens the
  // frame's menu; action is clicked in it when enabled, else the menu is
  // closed with Escape. Whether it was enabled; nothing when no menu came.
  std::optional<bool> PickFromMenu(const char* action) {
    QWidget* list = Child<QWidget>("MtFileList");
    return testing_support::RightClickAndPick(
        main.get(), list->mapTo(main.get(), list->rect().center()), action);
  }
  // The codes of the commands sent since the window started.
  std::vector<int> Codes() const { return testing_support::HidCommandCodes(log); }

  testing_support::TempFolder dir;
  sound_test::TravelledFont font;
  std::string log = dir.Path("hid.log");
  testing_support::ScriptedDialogs dialogs;
  std::unique_ptr<app::Main> main;
};

const char* const kFoundBeside =
    "8 files were found beside the configuration instead of at their stored paths.";

TEST(FontMenu, LoadFindsAWindowsFontBesideItsFilesAndSaysSo) {
  Window w("sound");
  w.Load(w.font.configuration);
  EXPECT_TRUE(w.dialogs.messages.empty()) << w.dialogs.messages.front().text;
  EXPECT_EQ(w.Child<QLabel>("PwrOnFileList")->text().toStdString(), "\u00C9p\u00E9\x65 on.lsu");
  EXPECT_EQ(w.Child<QLabel>("IdleFileList")->text(), "HUM.LSU");
  EXPECT_EQ(w.main->Configuration().CheckIntegrity(), 0) << "every category filled";
  EXPECT_EQ(w.Note(), kFoundBeside);

  // A configuration whose paths are right has nothing to say.
  testing_support::WriteBytes(w.dir.Path("plain.lscfg"),
                              sound_test::PlainConfiguration(w.font, w.dir.Path("Ember")));
  w.Load(w.dir.Path("plain.lscfg"));
  EXPECT_EQ(w.Note(), "");

  // Found nowhere: reported, and the rest still found beside.
  fs::remove(w.dir.Path("Ember/swing2.lsu"));
  w.Load(w.font.configuration);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            std::string(sound::kFilesNotFound) + "\r\nC:\\Fonts\\Ember\\swing2.lsu");
  EXPECT_EQ(w.Note(),
            "7 files were found beside the configuration instead of at their stored "
            "paths.");
}

TEST(FontMenu, ExportsAFontFolderThatLoadsAfterItMoved) {
  Window w("");  // offline
  EXPECT_EQ(w.PickFromMenu("ExportFontAction"), false) << "nothing to export yet";
  w.Load(w.font.configuration);

  const std::string out = w.dir.Path("out/Ember");
  w.dialogs.folderPaths.push_back(out);
  EXPECT_EQ(w.PickFromMenu("CompareBoardAction"), false) << "no board online";
  ASSERT_EQ(w.PickFromMenu("ExportFontAction"), true);
  ASSERT_EQ(w.dialogs.folderRequests.size(), 1u);
  EXPECT_EQ(w.dialogs.folderRequests[0].initialFolder, APP_FOLDER);
  EXPECT_EQ(w.dialogs.folderRequests[0].title, "Export font folder");
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "The font was exported to " + out + ": 8 sound files and Ember.lscfg.");
  EXPECT_EQ(w.dialogs.messages[0].icon, seams::DialogIcon::Information);

  fs::rename(w.dir.Path("out"), w.dir.Path("moved"));
  fs::remove_all(w.dir.Path("Ember"));
  w.Load(w.dir.Path("moved/Ember/Ember.lscfg"));
  EXPECT_EQ(w.dialogs.messages.size(), 1u) << w.dialogs.messages.back().text;
  EXPECT_EQ(w.main->Configuration().CheckIntegrity(), 0);
  EXPECT_EQ(w.main->Configuration().IdleFile().FileName, w.dir.Path("moved/Ember/HUM.LSU"));
  EXPECT_EQ(w.Note(), kFoundBeside);

  // A folder that holds another boot.lsu is refused, and left as it was.
  fs::create_directories(w.dir.dir() / "taken");
  testing_support::WriteBytes(w.dir.Path("taken/boot.lsu"), "another sound");
  w.dialogs.folderPaths.push_back(w.dir.Path("taken"));
  ASSERT_EQ(w.PickFromMenu("ExportFontAction"), true);
  ASSERT_EQ(w.dialogs.messages.size(), 2u);
  EXPECT_EQ(w.dialogs.messages[1].text, w.dir.Path("taken") +
                                            " already holds a different file named boot.lsu. "
                                            "Nothing was exported.");
  EXPECT_EQ(w.dialogs.messages[1].icon, seams::DialogIcon::Critical);
  EXPECT_EQ(std::distance(fs::directory_iterator(w.dir.Path("taken")), fs::directory_iterator()),
            1);
}

// The flash a download of the travelled font leaves.
std::string DownloadedFlash() {
  testing_support::TempFolder dir;
  const auto font = sound_test::WriteTravelledFont(dir.Path(""));
  sound::LSU_Configuration config;
  config.MaxNrOfSamples = 1 << 22;
  sound::NoCategoryDisplays displays;
  testing_support::ScriptedDialogs dialogs;
  testing_support::RecordingHooks hooks;
  EXPECT_EQ(sound::LoadConfiguration(font.configuration, config, displays, hooks, dialogs).result,
            sound::LoadResult::Loaded);
  EXPECT_TRUE(config.MakeMemoryMap(hooks, hooks));
  const std::vector<uint8_t> image = sound::FlashImage(config);
  return std::string(image.begin(), image.end());
}

TEST(FontMenu, ComparesWithTheBoardWithoutWritingToIt) {
  Window w("sound", DownloadedFlash());
  w.Load(w.font.configuration);
  const size_t before = w.Codes().size();
  ASSERT_EQ(w.PickFromMenu("CompareBoardAction"), true);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "same     file table\nsame     Boot: boot.lsu\nsame     Power ON: \u00C9p\u00E9\x65 "
            "on.lsu\nsame     Power OFF: off.lsu\nsame     Idle: HUM.LSU\nsame     Motion 1: "
            "swing1.lsu\nsame     Motion 2: swing2.lsu\nsame     Impact 1: clash1.lsu\nsame     "
            "Lock-up 1: lockup\u2013\x31.lsu\nThe board holds this sound configuration.");
  EXPECT_EQ(w.dialogs.messages[0].icon, seams::DialogIcon::Information);
  const std::vector<int> codes = w.Codes();
  const std::vector<int> sent(codes.begin() + long(before), codes.end());
  EXPECT_EQ(sent, std::vector<int>(9, 0x1e)) << "CheckCRC only: the table and 8 files";

  // Another volume for the idle sound: that file differs.
  w.main->Configuration().SetVolume(sound::kIdle, 0, 50);
  ASSERT_EQ(w.PickFromMenu("CompareBoardAction"), true);
  ASSERT_EQ(w.dialogs.messages.size(), 2u);
  const std::string& text = w.dialogs.messages[1].text;
  EXPECT_NE(text.find("\ndiffers  Idle: HUM.LSU\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("differs  Boot"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.rfind('\n') + 1), "The board holds a different sound configuration.");
  EXPECT_EQ(w.dialogs.messages[1].icon, seams::DialogIcon::Exclamation);
}

}  // namespace
