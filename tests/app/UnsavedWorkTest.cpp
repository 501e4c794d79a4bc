// Nothing is lost in the window: the question before a changed sound
// configuration or changed LED settings go (the window closing, another
// file loaded), the extension a save adds, and undo and redo of every change
// to the categories, all through real clicks and keys.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <optional>

#include "led/panel/LedPanel.h"
#include "sound/CategoryPanel.h"
#include "tests/app/SoundWindow.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using namespace app_test;  // the window and its clicks and keys
using seams::DialogResult;

struct CloseCase {
  const char* what;
  std::vector<DialogResult> answers;
  std::vector<std::optional<std::string>> savePaths;  // names in the window's folder
  bool closes;
  const char* written;  // the file a save wrote, or null
};

// Every answer to the question on closing: Cancel and a cancelled save
// dialog keep the window as it was; Save closes once saved (".lscfg"
// added to the typed name); Discard closes without a file.
TEST(UnsavedWork, ClosingAsksForAChangedSoundConfiguration) {
  const CloseCase cases[] = {
      {"cancel", {DialogResult::Cancel}, {}, false, nullptr},
      {"save, dialog cancelled", {DialogResult::Save}, {std::nullopt}, false, nullptr},
      {"save", {DialogResult::Save}, {"font"}, true, "font.lscfg"},
      {"discard", {DialogResult::Discard}, {}, true, nullptr},
  };
  for (const CloseCase& c : cases) {
    SoundWindow w({"boot.lsu"});
    w.Show();
    w.DoubleClickFile("BootOption", "boot.lsu");
    w.dialogs.answers.assign(c.answers.begin(), c.answers.end());
    for (const auto& name : c.savePaths)
      w.dialogs.savePaths.push_back(name ? std::optional(w.dir.Path(*name)) : std::nullopt);
    EXPECT_EQ(w.main->close(), c.closes) << c.what;
    EXPECT_EQ(w.main->isVisible(), !c.closes) << c.what;
    ASSERT_EQ(w.dialogs.messages.size(), 1u) << c.what;
    EXPECT_EQ(w.dialogs.messages[0].text,
              "The sound configuration has changed. Save it before closing?");
    EXPECT_EQ(w.dialogs.messages[0].buttons, seams::DialogButtons::SaveDiscardCancel);
    EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "boot.lsu") << c.what;
    if (c.written)
      EXPECT_NE(testing_support::ReadBytes(w.dir.Path(c.written)).find(w.dir.Path("boot.lsu")),
                std::string::npos)
          << c.what;
    EXPECT_FALSE(fs::exists(w.dir.Path("font"))) << c.what;
  }

  // Saved, or never changed: the window closes without a question.
  SoundWindow saved({"boot.lsu"});
  saved.Show();
  saved.DoubleClickFile("BootOption", "boot.lsu");
  saved.dialogs.savePaths.push_back(saved.dir.Path("kept.lscfg"));
  QTest::mouseClick(saved.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  EXPECT_TRUE(saved.main->close());
  SoundWindow untouched;
  untouched.Show();
  EXPECT_TRUE(untouched.main->close());
  EXPECT_TRUE(saved.dialogs.messages.empty());
  EXPECT_TRUE(untouched.dialogs.messages.empty());
}

// Loading over a changed configuration asks first: Cancel shows no open
// dialog and keeps the categories; Save saves (a bare name gets ".lscfg",
// a name with an extension keeps it), then loads; Discard loads. A
// configuration just loaded is no change.
TEST(UnsavedWork, LoadingAsksForAChangedSoundConfiguration) {
  SoundWindow w({"boot.lsu", "on.lsu"});
  w.Show();
  w.DoubleClickFile("BootOption", "boot.lsu");
  const std::string first = w.dir.Path("first.lscfg");
  w.dialogs.savePaths = {first};
  QTest::mouseClick(w.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  w.DoubleClickFile("PwrOnOption", "on.lsu");
  auto* load = w.Child<QToolButton>("LoadBtn");
  auto* powerOn = w.Child<QLabel>("PwrOnFileList");

  w.dialogs.answers = {DialogResult::Cancel};
  w.dialogs.openPaths = {first};
  QTest::mouseClick(load, Qt::LeftButton);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "The sound configuration has changed. Save it before loading another?");
  EXPECT_EQ(w.dialogs.fileRequests.size(), 1u) << "only the save: no open dialog";
  EXPECT_EQ(powerOn->text(), "on.lsu");

  const std::string second = w.dir.Path("second");
  w.dialogs.answers = {DialogResult::Save};
  w.dialogs.savePaths = {second};
  QTest::mouseClick(load, Qt::LeftButton);
  EXPECT_NE(testing_support::ReadBytes(second + ".lscfg").find(w.dir.Path("on.lsu")),
            std::string::npos);
  EXPECT_EQ(powerOn->text(), "") << "first.lscfg loaded after the save";
  EXPECT_EQ(w.dialogs.messages.size(), 2u);

  w.dialogs.openPaths = {second + ".lscfg"};
  QTest::mouseClick(load, Qt::LeftButton);  // nothing changed since the load
  EXPECT_EQ(w.dialogs.messages.size(), 2u);
  EXPECT_EQ(powerOn->text(), "on.lsu");

  w.DoubleClickFile("BootOption", "on.lsu");
  w.dialogs.answers = {DialogResult::Discard};
  w.dialogs.openPaths = {first};
  QTest::mouseClick(load, Qt::LeftButton);
  EXPECT_EQ(w.dialogs.messages.size(), 3u);
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "boot.lsu");
  EXPECT_EQ(powerOn->text(), "");
}

// The LED settings: a time typed into a field is a change; closing asks,
// Cancel keeps the window, Save writes "pulses.ldset" and closes.
TEST(UnsavedWork, ClosingAsksForChangedLedSettings) {
  SoundWindow w({}, "led");
  w.Show();
  EXPECT_TRUE(w.dialogs.messages.empty());
  auto* field = w.Child<QLineEdit>("IdleTON");
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, "1.5");
  w.dialogs.answers = {DialogResult::Cancel, DialogResult::Save};
  w.dialogs.savePaths = {w.dir.Path("pulses")};
  EXPECT_FALSE(w.main->close());
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text, "The LED settings have changed. Save them before closing?");
  EXPECT_EQ(field->text(), "1.5");
  EXPECT_TRUE(w.main->close());
  EXPECT_NE(testing_support::ReadBytes(w.dir.Path("pulses.ldset")).find("+Times=1500_"),
            std::string::npos);
}

// The rectangle of the slider's handle, where the mouse takes it.
QPoint SliderHandle(QSlider* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  option.upsideDown = slider->orientation() == Qt::Vertical;
  option.subControls = QStyle::SC_SliderHandle | QStyle::SC_SliderGroove;
  return slider->style()
      ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
      .center();
}

void Undo() {
  PressKey(Qt::Key_Z, Qt::ControlModifier);
}

// Add, remove, a volume (one drag of the slider) and a load are one step
// each; Ctrl+Z undoes them, Ctrl+Shift+Z and Ctrl+Y redo them, and the
// lists, labels, volumes and the memory gauge follow.
TEST(UnsavedWork, UndoAndRedoEveryChangeToTheCategories) {
  SoundWindow w({"boot.lsu", "m1.lsu", "m2.lsu"});
  // Sizes of their own, to tell them apart on the gauge.
  const std::string boot = w.Lsu("boot.lsu", 100), m1 = w.Lsu("m1.lsu", 200);
  w.Lsu("m2.lsu", 400);
  w.Show();
  auto* motion = w.Child<QListWidget>("MtFileList");
  auto* gauge = w.Child<QProgressBar>("MemoryStatus");
  auto* slider = w.Child<QSlider>("VolSlider");
  auto& config = w.main->Configuration();

  w.DoubleClickFile("BootOption", "boot.lsu");
  w.DoubleClickFile("MtOption", "m1.lsu");
  w.DoubleClickFile("MtOption", "m2.lsu");
  EXPECT_EQ(gauge->value(), 700);
  Undo();
  EXPECT_EQ(Rows(motion), QStringList{"m1.lsu"});
  EXPECT_EQ(gauge->value(), 300);
  PressKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Rows(motion), (QStringList{"m1.lsu", "m2.lsu"}));
  EXPECT_EQ(gauge->value(), 700);

  ClickRow(motion, 0);
  PressKey(Qt::Key_Delete, Qt::NoModifier);
  EXPECT_EQ(Rows(motion), QStringList{"m2.lsu"});
  EXPECT_EQ(gauge->value(), 500);
  Undo();
  EXPECT_EQ(Rows(motion), (QStringList{"m1.lsu", "m2.lsu"}));
  EXPECT_EQ(config.NrOfMt(), 2);
  EXPECT_EQ(gauge->value(), 700);

  // One drag of the slider, many values on the way: one step.
  ClickRow(motion, 1);
  ASSERT_TRUE(slider->isVisibleTo(w.main.get()));
  ASSERT_EQ(slider->value(), 100);
  int moves = 0;
  QObject::connect(slider, &QSlider::valueChanged, [&] { ++moves; });
  const QPoint handle = SliderHandle(slider);
  QTest::mousePress(slider, Qt::LeftButton, {}, handle);
  for (int dy = 4; dy <= 40; dy += 4) QTest::mouseMove(slider, handle + QPoint(0, dy));
  QTest::mouseRelease(slider, Qt::LeftButton, {}, handle + QPoint(0, 40));
  const int dragged = config.GetVolume(sound::kMotion, 2);
  ASSERT_LT(dragged, 100);
  ASSERT_GT(moves, 1);
  Undo();
  EXPECT_EQ(config.GetVolume(sound::kMotion, 2), 100);
  EXPECT_EQ(slider->value(), 100);
  PressKey(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(config.GetVolume(sound::kMotion, 2), dragged);
  EXPECT_EQ(slider->value(), dragged);

  // A load replaces all seven categories: one step.
  std::string text = "BOOT\r\n" + m1 + "\r\n 40 \r\n";
  for (const char* single : {"PWRON", "PWROFF", "IDLE"})
    text += std::string(single) + "\r\n\r\n 100 \r\n";
  text += "MOTION-0\r\nIMPACT-1\r\n" + boot + "\r\n 70 \r\nLOCKUP-0\r\n";
  testing_support::WriteBytes(w.dir.Path("other.lscfg"), text);
  w.dialogs.answers = {DialogResult::Discard};
  w.dialogs.openPaths = {w.dir.Path("other.lscfg")};
  QTest::mouseClick(w.Child<QToolButton>("LoadBtn"), Qt::LeftButton);
  ASSERT_EQ(w.Child<QLabel>("BootFileList")->text(), "m1.lsu");
  EXPECT_EQ(gauge->value(), 300);
  Undo();
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "boot.lsu");
  EXPECT_EQ(Rows(motion), (QStringList{"m1.lsu", "m2.lsu"}));
  EXPECT_EQ(w.Child<QListWidget>("ImpFileList")->count(), 0);
  EXPECT_EQ(config.GetVolume(sound::kMotion, 2), dragged);
  EXPECT_EQ(gauge->value(), 700);
  PressKey(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "m1.lsu");
  EXPECT_EQ(config.GetVolume(sound::kBoot, 0), 40);
  EXPECT_EQ(Rows(w.Child<QListWidget>("ImpFileList")), QStringList{"boot.lsu"});
  EXPECT_EQ(motion->count(), 0);
  EXPECT_EQ(gauge->value(), 300);
}

// A load lets the window repaint between its files, but what the user
// does meanwhile must not reach the half-loaded categories: Delete on a
// category, Ctrl+Z, Ctrl+D (a download of half a font) and closing the
// window do nothing until the load has ended. The loaded configuration is
// then the file's, and one step to undo.
TEST(UnsavedWork, KeysPressedWhileALoadRunsDoNotReachIt) {
  SoundWindow w({"boot.lsu", "on.lsu", "m1.lsu", "m2.lsu", "m3.lsu"});
  w.Show();
  w.DoubleClickFile("BootOption", "boot.lsu");
  w.DoubleClickFile("PwrOnOption", "on.lsu");
  for (const char* name : {"m1.lsu", "m2.lsu", "m3.lsu"}) w.DoubleClickFile("MtOption", name);
  const std::string full = w.dir.Path("full.lscfg");
  w.dialogs.savePaths = {full};
  QTest::mouseClick(w.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  const std::string saved = testing_support::ReadBytes(full);
  auto* motion = w.Child<QListWidget>("MtFileList");
  ClickRow(motion, 0);
  PressKey(Qt::Key_Delete);
  ASSERT_EQ(Rows(motion), (QStringList{"m2.lsu", "m3.lsu"}));

  // The user acts at the first moment the load lets events run: after its
  // open dialog was answered.
  bool acted = false, closed = true;
  QTimer user;
  user.setInterval(0);
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (acted || w.dialogs.fileRequests.size() != 2) return;
    acted = true;
    w.Child<QLabel>("BootFileList")->setFocus();
    PressKey(Qt::Key_Delete);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    PressKey(Qt::Key_D, Qt::ControlModifier);
    QTest::qWait(300);  // a shortcut clicks its button a moment later
    closed = w.main->close();
  });
  user.start();
  bool usableWhileChoosing = false;
  w.dialogs.whileOpenAsks = [&] {
    usableWhileChoosing = w.Child<QToolButton>("SendBtn")->isEnabled();
  };
  w.dialogs.answers = {DialogResult::Discard};
  w.dialogs.openPaths = {full};
  QTest::mouseClick(w.Child<QToolButton>("LoadBtn"), Qt::LeftButton);
  user.stop();
  ASSERT_TRUE(acted);
  EXPECT_TRUE(usableWhileChoosing) << "the window is locked while the file loads, not before";
  EXPECT_FALSE(closed) << "the window stays until the load has ended";
  EXPECT_EQ(w.Messages(), std::vector<std::string>{sound::kSaveBeforeLoading})
      << "no download was tried";
  EXPECT_FALSE(w.Child<QWidget>("DownloadFrame")->isVisible());
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "boot.lsu");
  EXPECT_EQ(Rows(motion), (QStringList{"m1.lsu", "m2.lsu", "m3.lsu"}));
  EXPECT_FALSE(w.main->Sounds().Logic().Changed());
  const std::string again = w.dir.Path("again.lscfg");
  w.dialogs.savePaths = {again};
  QTest::mouseClick(w.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  EXPECT_EQ(testing_support::ReadBytes(again), saved);
  Undo();
  EXPECT_EQ(Rows(motion), (QStringList{"m2.lsu", "m3.lsu"})) << "the load was one step";
  EXPECT_TRUE(w.main->isVisible());
}

}  // namespace
