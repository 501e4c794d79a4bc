// Recordings into the window: a folder of recordings made into a font from
// the folder tree's context menu or by a drop onto the sound files frame,
// under a progress dialog that can be cancelled; a recording that is not
// an LSU file double-clicked or dropped onto a category is converted when
// the user agrees. All by real clicks, keys and drops; the recordings are
// 44.1 kHz stereo WAV files written here with libsndfile.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <QApplication>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/FontImportDialog.h"
#include "app/RecordingIntake.h"
#include "tests/app/SoundWindow.h"
#include "tests/converter/AudioFixtures.h"
#include "tests/support/Files.h"
#include "tests/support/ReadOnlyFolder.h"

namespace {

namespace fs = std::filesystem;
using app_test::PressKey;
using app_test::Rows;
using app_test::SoundWindow;
using seams::DialogResult;

// A tenth of a second of a 440 Hz tone, 44.1 kHz stereo 16 bit.
constexpr int kFrames = 4410;
void WriteRecording(const std::string& path) {
  std::vector<float> frames;
  for (int i = 0; i < kFrames; ++i) {
    const float v = 0.5f * float(std::sin(2 * std::numbers::pi * 440 * i / 44100.0));
    frames.insert(frames.end(), {v, v});
  }
  testing_support::WriteSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, frames);
}

// A folder named Vader holding a font's recordings, one of them not named
// for a category and one too many for the idle sound.
std::string WriteFontRecordings(SoundWindow& w) {
  const std::string folder = w.dir.Path("Vader");
  fs::create_directories(folder);
  for (const char* name : {"boot.wav", "on.wav", "off.wav", "hum.wav", "hum2.wav", "swing1.wav",
                           "swing2.wav", "clash.wav", "lockup.wav", "blaster.wav"})
    WriteRecording(folder + "/" + name);
  return folder;
}

std::string Label(SoundWindow& w, const char* name) {
  return w.Child<QLabel>(name)->text().toStdString();
}

// Drags the files (or folder) onto the control and drops them there, as
// the window system delivers a drag. Whether the drop was taken.
bool Drop(QWidget* target, const std::vector<std::string>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
  QApplication::sendEvent(target, &move);
  QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
  QApplication::sendEvent(target, &drop);
  return enter.isAccepted() && move.isAccepted() && drop.isAccepted();
}

// Watches for the conversions' progress dialog while the window's events
// run; with cancel set, presses its Cancel button the first time it shows.
class ProgressWatch {
 public:
  ProgressWatch(QWidget* window, bool cancel) {
    QObject::connect(&timer_, &QTimer::timeout, [this, window, cancel] {
      auto* dialog = window->findChild<QProgressDialog*>("ConversionProgress");
      if (!dialog || !dialog->isVisible()) return;
      seen = true;
      if (!cancel || pressed) return;
      pressed = true;
      QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    timer_.start(0);
  }
  bool seen = false, pressed = false;

 private:
  QTimer timer_;
};

// The folder tree shows the recordings' folder: Right opens the start
// folder in the tree. Its row, in the tree's viewport.
QRect ShowInTree(SoundWindow& w, const std::string& folder) {
  auto* tree = w.Child<QTreeView>("DirList");
  auto* model = static_cast<QFileSystemModel*>(tree->model());
  tree->setFocus(Qt::TabFocusReason);
  QTest::keyClick(tree, Qt::Key_Right);
  const QString path = QString::fromStdString(folder);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return model->index(path).isValid() && !tree->visualRect(model->index(path)).isEmpty();
      },
      30000));
  return tree->visualRect(model->index(path));
}

// A right-click on the tree's row opens the folder menu; its "Make a font"
// entry is clicked.
bool MakeFontFromMenu(SoundWindow& w, const QRect& row) {
  QWidget* viewport = w.Child<QTreeView>("DirList")->viewport();
  QString text;
  const bool picked =
      testing_support::RightClickAndPick(w.main.get(), viewport->mapTo(w.main.get(), row.center()),
                                         "MakeFontAction", &text) == true;
  EXPECT_EQ(text, app::kMakeFontAction);
  return picked;
}

std::vector<std::string> Names(const std::string& folder) {
  return testing_support::FolderNames(folder);
}

TEST(RecordingImport, FolderMenuMakesAFontAndLoadsItAsTheLoadButton) {
  SoundWindow w;
  w.Add(w.Lsu("old.lsu"), "BootOption");  // a change not saved
  const std::string folder = WriteFontRecordings(w);
  w.Show();
  const QRect row = ShowInTree(w, folder);
  const std::string out = w.dir.Path("out");
  w.dialogs.folderPaths.push_back(out);
  w.dialogs.answers.push_back(DialogResult::Discard);  // the changed configuration
  ProgressWatch progress(w.main.get(), false);
  ASSERT_TRUE(MakeFontFromMenu(w, row));
  EXPECT_TRUE(progress.seen);

  ASSERT_EQ(w.dialogs.folderRequests.size(), 1u);
  EXPECT_EQ(w.dialogs.folderRequests[0].title, app::kFontFolderTitle);
  EXPECT_EQ(w.dialogs.folderRequests[0].initialFolder, w.dir.dir().string());
  const std::vector<std::string> messages = w.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], sound::kSaveBeforeLoading);
  EXPECT_EQ(messages[1],
            "The font was made in " + out +
                ": 8 sound files and Vader.lscfg. It was loaded into the categories.\n\n"
                "Left out:\nblaster.wav: not mapped to a category\n"
                "hum2.wav: left out, Idle takes one file: hum.wav\n\n"
                "Memory: 38400 of 2793120 samples (1.4 %)");
  EXPECT_EQ(w.dialogs.messages[1].icon, seams::DialogIcon::Information);

  EXPECT_EQ(Label(w, "BootFileList"), "boot.lsu");
  EXPECT_EQ(Label(w, "PwrOnFileList"), "on.lsu");
  EXPECT_EQ(Label(w, "PwrOffFileList"), "off.lsu");
  EXPECT_EQ(Label(w, "IdleFileList"), "hum.lsu");
  EXPECT_EQ(Rows(w.Child<QListWidget>("MtFileList")), (QStringList{"swing1.lsu", "swing2.lsu"}));
  EXPECT_EQ(Rows(w.Child<QListWidget>("ImpFileList")), QStringList{"clash.lsu"});
  EXPECT_EQ(Rows(w.Child<QListWidget>("LkfileList")), QStringList{"lockup.lsu"});
  auto& config = w.main->Configuration();
  EXPECT_EQ(config.CheckIntegrity(), 0);
  EXPECT_EQ(config.IdleFile().FileName, out + "/hum.lsu");
  EXPECT_EQ(Names(out), (std::vector<std::string>{"Vader.lscfg", "boot.lsu", "clash.lsu", "hum.lsu",
                                                  "lockup.lsu", "off.lsu", "on.lsu", "swing1.lsu",
                                                  "swing2.lsu"}));
  // 0.1 s at 48 kHz in each.
  EXPECT_EQ(config.TotalNrOfSamples(), 8 * 4800);

  // The load is one step to undo: the categories are back as they were.
  w.Show();  // the window is active again once the dialogs are gone
  w.Child<QListWidget>("MtFileList")->setFocus();
  PressKey(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Label(w, "BootFileList"), "old.lsu");
  EXPECT_EQ(Label(w, "IdleFileList"), "");
  EXPECT_EQ(w.Child<QListWidget>("MtFileList")->count(), 0);
}

TEST(RecordingImport, DroppedFolderMakesAFontAndItsCancelChangesNothing) {
  SoundWindow w;
  w.Add(w.Lsu("old.lsu"), "BootOption");
  const std::string folder = WriteFontRecordings(w);
  w.Show();
  const std::string out = w.dir.Path("out");
  {
    ProgressWatch progress(w.main.get(), true);
    w.dialogs.folderPaths.push_back(out);
    ASSERT_TRUE(Drop(w.Child<QListWidget>("MtFileList")->viewport(), {folder}));
    EXPECT_TRUE(progress.pressed);
  }
  ASSERT_EQ(w.Messages().size(), 1u) << "no question: nothing is loaded";
  EXPECT_EQ(w.Messages()[0].rfind("The import was cancelled: no font was loaded and no "
                                  "configuration file was written.",
                                  0),
            0u)
      << w.Messages()[0];
  EXPECT_EQ(Label(w, "BootFileList"), "old.lsu");
  EXPECT_EQ(Label(w, "IdleFileList"), "");
  EXPECT_EQ(w.Child<QListWidget>("MtFileList")->count(), 0);
  EXPECT_EQ(w.main->Configuration().TotalNrOfSamples(), 200);
  // No configuration file, no temporary file: at most whole LSU files.
  for (const std::string& name : fs::exists(out) ? Names(out) : std::vector<std::string>{}) {
    EXPECT_EQ(fs::path(name).extension(), ".lsu") << name;
    EXPECT_EQ(fs::file_size(out + "/" + name), 4 + 2 * 4800u) << name;
  }

  // Dropped again onto the frame itself, into the same folder, which holds
  // a file of the user's: they agree to write into it, and the font loads.
  fs::create_directories(out);
  testing_support::WriteBytes(out + "/notes.txt", "mine");
  w.dialogs.folderPaths.push_back(out);
  w.dialogs.answers = {DialogResult::Yes, DialogResult::Discard};
  ASSERT_TRUE(Drop(w.Child<QGroupBox>("Frame1"), {folder}));
  const auto& asked = w.dialogs.messages;
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[1].text, out +
                               " is not empty. Files in it with the names of the new font's "
                               "files will be replaced. Make the font there?");
  EXPECT_TRUE(asked[1].cancelByDefault);
  EXPECT_EQ(asked[2].text, sound::kSaveBeforeLoading);
  EXPECT_EQ(asked[3].text.rfind("The font was made in " + out + ": 8 sound files", 0), 0u);
  EXPECT_EQ(Label(w, "IdleFileList"), "hum.lsu");
  EXPECT_EQ(w.main->Configuration().CheckIntegrity(), 0);
  EXPECT_EQ(testing_support::ReadBytes(out + "/notes.txt"), "mine");
}

// A recording beside an LSU file of its name, double-clicked in the
// browser, and two more dropped onto a list.
TEST(RecordingImport, ConvertedRecordingJoinsTheSelectedCategory) {
  SoundWindow w({"hum.lsu"});
  const std::string before = testing_support::ReadBytes(w.dir.Path("hum.lsu"));
  WriteRecording(w.dir.Path("hum.wav"));
  w.Show();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !w.Child<QListWidget>("FileList")->findItems("hum.wav", {}).isEmpty(); },
      30000));
  w.dialogs.answers.push_back(DialogResult::Yes);
  w.DoubleClickFile("IdleOption", "hum.wav");
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "hum.wav is not an LSU file. Convert it to mono 16 bit 48 kHz and add it?");
  EXPECT_EQ(w.dialogs.messages[0].buttons, seams::DialogButtons::YesNo);
  // hum.lsu was there: the conversion took the next free name.
  EXPECT_EQ(Label(w, "IdleFileList"), "hum-2.lsu");
  EXPECT_EQ(w.main->Configuration().IdleFile().FileName, w.dir.Path("hum-2.lsu"));
  EXPECT_TRUE(testing_support::ReadBytes(w.dir.Path("hum.lsu")) == before) << "hum.lsu kept";
  EXPECT_EQ(testing_support::ReadLsuSamples(w.dir.Path("hum-2.lsu")).size(), 4800u);

  const std::string swing = w.dir.Path("swing.wav"), clash = w.dir.Path("clash.flac");
  WriteRecording(swing);
  std::vector<float> stereo(2 * kFrames, 0.25f);
  testing_support::WriteSound(clash, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2, stereo);
  w.dialogs.answers = {DialogResult::Yes, DialogResult::Yes};
  ASSERT_TRUE(Drop(w.Child<QListWidget>("MtFileList")->viewport(), {swing, clash}));
  EXPECT_EQ(w.dialogs.messages.size(), 3u);
  EXPECT_EQ(Rows(w.Child<QListWidget>("MtFileList")), (QStringList{"swing.lsu", "clash.lsu"}));
  EXPECT_EQ(w.main->Configuration().NrOfMt(), 2);
}

TEST(RecordingImport, DecliningTheConversionRefusesTheFileAsBefore) {
  SoundWindow w;
  WriteRecording(w.dir.Path("hum.wav"));
  testing_support::WriteBytes(w.dir.Path("noise.wav"), "RIFF....WAVEfmt ");
  w.Show();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return w.Child<QListWidget>("FileList")->findItems("*.wav", Qt::MatchWildcard).size() == 2;
      },
      30000));
  w.dialogs.answers.push_back(DialogResult::No);
  w.DoubleClickFile("IdleOption", "hum.wav");
  EXPECT_EQ(w.Messages(),
            (std::vector<std::string>{
                "hum.wav is not an LSU file. Convert it to mono 16 bit 48 kHz and add it?",
                "Not a valid file"}));
  EXPECT_EQ(Label(w, "IdleFileList"), "");
  EXPECT_FALSE(fs::exists(w.dir.Path("hum.lsu")));
  // A file no library reads is not offered for conversion.
  w.dialogs.messages.clear();
  w.DoubleClickFile("IdleOption", "noise.wav");
  EXPECT_EQ(w.Messages(), std::vector<std::string>{"Not a valid file"});
}

TEST(RecordingImport, ReadOnlyFolderAsksWhereTheLsuFileGoes) {
  SoundWindow w;
  const std::string locked = w.dir.Path("locked"), picked = w.dir.Path("picked");
  fs::create_directories(locked);
  fs::create_directories(picked);
  WriteRecording(locked + "/hum.wav");
  testing_support::ReadOnlyFolder readOnly(locked);
  if (!readOnly.Holds()) GTEST_SKIP() << "this file system lets root write anywhere";
  w.Show();
  QWidget* idle = w.Child<QLabel>("IdleFileList");

  // The folder dialog cancelled: nothing converted, nothing added.
  w.dialogs.answers.push_back(DialogResult::Yes);
  EXPECT_TRUE(Drop(idle, {locked + "/hum.wav"}));
  ASSERT_EQ(w.dialogs.folderRequests.size(), 1u);
  EXPECT_EQ(w.dialogs.folderRequests[0].title, app::kConvertFolderTitle);
  EXPECT_EQ(w.Messages().size(), 1u) << "the question only";
  EXPECT_EQ(Label(w, "IdleFileList"), "");

  w.dialogs.answers.push_back(DialogResult::Yes);
  w.dialogs.folderPaths.push_back(picked);
  EXPECT_TRUE(Drop(idle, {locked + "/hum.wav"}));
  EXPECT_EQ(w.Messages().size(), 2u);
  EXPECT_EQ(Label(w, "IdleFileList"), "hum.lsu");
  EXPECT_EQ(w.main->Configuration().IdleFile().FileName, picked + "/hum.lsu");
  EXPECT_EQ(Names(locked), std::vector<std::string>{"hum.wav"});
}

}  // namespace
