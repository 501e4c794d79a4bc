// The sound categories in the window: adding, refusing, removing, volumes,
// playback through temp.wav, load and save through the buttons, and the
// memory gauge.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "tests/app/SoundWindow.h"
#include "tests/support/Files.h"
#include "tests/support/SilentPlayer.h"

namespace {

namespace fs = std::filesystem;

using app_test::ClickRow;
using app_test::SoundWindow;

void Click(QWidget* w, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool twice = false) {
  QMouseEvent press(twice ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, QPointF(3, 3),
                    w->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::LeftButton, modifiers);
  QApplication::sendEvent(w, &press);
}

TEST(SoundPanel, RefusesWhatIsNotAnLsuFile) {
  SoundWindow w;
  w.Add(w.Lsu("boot.lsu"), "BootOption");
  const std::string wav = w.dir.Path("tone.wav");
  testing_support::WriteBytes(wav, "RIFF....WAVEfmt ");
  EXPECT_FALSE(w.Add(wav, "BootOption"));
  EXPECT_EQ(w.Messages(), std::vector<std::string>{"Not a valid file"});
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "boot.lsu");
}

TEST(SoundPanel, ListsHoldTwelveFiles) {
  SoundWindow w;
  for (int i = 0; i < 12; ++i)
    EXPECT_TRUE(w.Add(w.Lsu("i" + std::to_string(i) + ".lsu"), "ImpOption"));
  EXPECT_FALSE(w.Add(w.Lsu("i12.lsu"), "ImpOption"));
  EXPECT_EQ(w.Messages(), std::vector<std::string>{"Maximum number of Impact files reached"});
  EXPECT_EQ(w.Child<QListWidget>("ImpFileList")->count(), 12);
  EXPECT_EQ(w.main->Configuration().NrOfImp(), 12);
}

TEST(SoundPanel, VolumesMoveWithTheirFiles) {
  SoundWindow w;
  for (const char* n : {"m1.lsu", "m2.lsu", "m3.lsu"}) w.Add(w.Lsu(n), "MtOption");
  auto& config = w.main->Configuration();
  config.SetVolume(sound::kMotion, 3, 40);
  auto* list = w.Child<QListWidget>("MtFileList");
  list->setCurrentRow(1);
  Click(list->viewport(), Qt::NoModifier, true);  // the double-click removes the row
  list->itemDoubleClicked(list->currentItem());
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "m3.lsu");
  list->setCurrentRow(1);
  QFocusEvent focus(QEvent::FocusIn);
  QApplication::sendEvent(list, &focus);
  QApplication::processEvents();
  auto* slider = w.Child<QSlider>("VolSlider");
  EXPECT_TRUE(slider->isVisibleTo(w.main.get()));
  EXPECT_EQ(slider->value(), 40);
  EXPECT_TRUE(w.Child<QRadioButton>("MtOption")->isChecked());

  slider->setValue(70);  // the user moves it
  EXPECT_EQ(config.GetVolume(sound::kMotion, 2), 70);
}

TEST(SoundPanel, SingleLabelsShowOrHideTheSlider) {
  SoundWindow w;
  auto* slider = w.Child<QSlider>("VolSlider");
  Click(w.Child<QLabel>("IdleFileList"));
  EXPECT_FALSE(slider->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.Child<QRadioButton>("IdleOption")->isChecked());
  w.Add(w.Lsu("hum.lsu"), "IdleOption");
  Click(w.Child<QLabel>("IdleFileList"));
  EXPECT_TRUE(slider->isVisibleTo(w.main.get()));
  EXPECT_EQ(slider->value(), 100);
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kIdle, 0), 100);  // showing stores nothing

  Click(w.Child<QLabel>("IdleFileList"), Qt::NoModifier, true);  // double-click removes
  EXPECT_EQ(w.Child<QLabel>("IdleFileList")->text(), "");
  EXPECT_EQ(w.main->Configuration().IdleFile().NrOfSamples, 0);
}

// A double-click as the window system delivers it: a click, then the
// second press as a double-click.
void DoubleClick(QWidget* w, QPoint at) {
  QTest::mouseClick(w, Qt::LeftButton, {}, at);
  QTest::mouseDClick(w, Qt::LeftButton, {}, at);
}

// Window activation reaches every control of the window, the category
// lists included. It must leave the chosen category (and the file the
// slider belongs to) as the user chose them: at start, after a message box
// and after another window was in front.
TEST(SoundPanel, WindowActivationKeepsTheChosenCategory) {
  SoundWindow w({"boot.lsu", "m1.lsu", "m2.lsu", "k1.lsu", "new.lsu"});
  w.Add(w.dir.Path("boot.lsu"), "BootOption");
  for (const char* n : {"m1.lsu", "m2.lsu"}) w.Add(w.dir.Path(n), "MtOption");
  w.Add(w.dir.Path("k1.lsu"), "LkOption");
  auto& config = w.main->Configuration();
  config.SetVolume(sound::kMotion, 2, 40);
  config.SetVolume(sound::kLockup, 1, 70);
  auto* motion = w.Child<QListWidget>("MtFileList");
  auto* lockup = w.Child<QListWidget>("LkfileList");
  auto* files = w.Child<QListWidget>("FileList");
  auto* slider = w.Child<QSlider>("VolSlider");
  lockup->setCurrentRow(0);  // a row is marked in the lists
  motion->setCurrentRow(0);
  w.Child<QRadioButton>("BootOption")->setChecked(true);

  w.main->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
  QApplication::processEvents();
  EXPECT_EQ(w.main->Sounds().SelectedCategory(), sound::kBoot) << "at start";

  ClickRow(motion, 1);
  EXPECT_EQ(w.main->Sounds().SelectedCategory(), sound::kMotion);
  EXPECT_TRUE(slider->isVisibleTo(w.main.get()));
  EXPECT_EQ(slider->value(), 40);
  // Into the browser, then the boot label, which takes no focus.
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(files->item(0)).center());
  QTest::mouseClick(w.Child<QLabel>("BootFileList"), Qt::LeftButton);
  EXPECT_EQ(w.main->Sounds().SelectedCategory(), sound::kBoot);

  // A message box comes and goes; then another window comes to the front.
  QTimer::singleShot(0, [] {
    if (auto* box = QApplication::activeModalWidget()) box->close();
  });
  QMessageBox box(QMessageBox::Information, "", "A dialog", QMessageBox::Ok, w.main.get());
  box.exec();
  QApplication::processEvents();
  EXPECT_EQ(w.main->Sounds().SelectedCategory(), sound::kBoot) << "after a dialog";
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  QApplication::setActiveWindow(w.main.get());
  QApplication::processEvents();
  EXPECT_EQ(w.main->Sounds().SelectedCategory(), sound::kBoot) << "after another window";

  // The next file from the browser goes to Boot, not to a list.
  const auto found = files->findItems("new.lsu", Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  DoubleClick(files->viewport(), files->visualItemRect(found[0]).center());
  EXPECT_EQ(w.Child<QLabel>("BootFileList")->text(), "new.lsu");
  EXPECT_EQ(motion->count(), 2);
  EXPECT_EQ(lockup->count(), 1);
  EXPECT_TRUE(w.Messages().empty());

  // The slider belongs to the row the user picks, and only to it.
  ClickRow(motion, 1);
  ASSERT_TRUE(slider->isVisibleTo(w.main.get()));
  EXPECT_EQ(slider->value(), 40);
  slider->setValue(55);  // the user moves it
  EXPECT_EQ(config.GetVolume(sound::kMotion, 2), 55);
  ClickRow(motion, 0);
  EXPECT_EQ(slider->value(), 100) << "another row of the list in use";
  QTest::mouseClick(w.Child<QRadioButton>("LkOption"), Qt::LeftButton);
  EXPECT_EQ(slider->value(), 70) << "the option button selects its list's marked file";
  slider->setValue(20);
  EXPECT_EQ(config.GetVolume(sound::kLockup, 1), 20);
  EXPECT_EQ(config.GetVolume(sound::kMotion, 1), 100);
}

TEST(SoundPanel, CtrlClickPlaysLsuFilesThroughTempWav) {
  SoundWindow w;
  const std::string path = w.Lsu("swing.lsu", 100);
  w.Add(path, "MtOption");
  w.main->Sounds().PlayLSU(QString::fromStdString(w.dir.Path("notes.txt")));
  EXPECT_TRUE(w.played.empty());
  auto* list = w.Child<QListWidget>("MtFileList");
  list->setCurrentRow(0);
  Click(list->viewport(), Qt::ControlModifier | Qt::ShiftModifier);  // not Ctrl alone
  EXPECT_TRUE(w.played.empty());
  Click(list->viewport(), Qt::ControlModifier);
  ASSERT_EQ(w.played.size(), 1u);
  EXPECT_EQ(w.played[0], w.dir.Path("temp.wav"));
  const std::string wav = testing_support::ReadBytes(w.dir.Path("temp.wav"));
  const std::string lsu = testing_support::ReadBytes(path);
  ASSERT_EQ(wav.size(), 44u + lsu.size() - 4);
  EXPECT_EQ(wav.substr(44), lsu.substr(4));  // the samples, unscaled
}

TEST(SoundPanel, LoadAndSaveThroughTheButtons) {
  SoundWindow w;
  const char* options[] = {"BootOption", "PwrOnOption", "PwrOffOption", "IdleOption",
                           "MtOption",   "ImpOption",   "LkOption"};
  for (const char* option : options) w.Add(w.Lsu(std::string(option) + ".lsu"), option);
  const std::string saved = w.dir.Path("font.lscfg");
  w.dialogs.savePaths.push_back(saved);
  w.Child<QToolButton>("SaveBtn")->click();
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(w.dialogs.fileRequests.back().initialFolder, w.dir.dir().string());

  fs::remove(w.dir.Path("ImpOption.lsu"));
  SoundWindow other;
  other.dialogs.openPaths.push_back(saved);
  other.Child<QToolButton>("LoadBtn")->click();
  EXPECT_EQ(other.Child<QLabel>("BootFileList")->text(), "BootOption.lsu");
  EXPECT_EQ(other.Child<QListWidget>("LkfileList")->item(0)->text(), "LkOption.lsu");
  EXPECT_EQ(other.Child<QListWidget>("ImpFileList")->count(), 0);
  ASSERT_EQ(other.dialogs.messages.size(), 1u);
  EXPECT_NE(other.dialogs.messages[0].text.find("The following files could not be found or are "
                                                "not valid:"),
            std::string::npos);
  EXPECT_NE(other.dialogs.messages[0].text.find(w.dir.Path("ImpOption.lsu")), std::string::npos);
}

// A list entry whose file is missing is dropped with its volume: the entry
// before it keeps its own volume, the one after it moves up with its own.
TEST(SoundPanel, MissingListEntryDropsItsVolume) {
  SoundWindow w({"m1.lsu", "m3.lsu"});
  const std::string gone = w.dir.Path("gone.lsu");
  std::string text;
  for (const char* single : {"BOOT", "PWRON", "PWROFF", "IDLE"})
    text += std::string(single) + "\r\n\r\n 100 \r\n";
  text += "MOTION-3\r\n" + w.dir.Path("m1.lsu") + "\r\n 30 \r\n" + gone + "\r\n 60 \r\n" +
          w.dir.Path("m3.lsu") + "\r\n 90 \r\nIMPACT-0\r\nLOCKUP-0\r\n";
  testing_support::WriteBytes(w.dir.Path("font.lscfg"), text);
  w.dialogs.openPaths.push_back(w.dir.Path("font.lscfg"));
  w.Child<QToolButton>("LoadBtn")->click();

  auto* list = w.Child<QListWidget>("MtFileList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "m3.lsu");
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kMotion, 1), 30) << "not the missing one's";
  EXPECT_EQ(w.main->Configuration().GetVolume(sound::kMotion, 2), 90);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_NE(w.dialogs.messages[0].text.find(gone), std::string::npos);
}

// A file that cannot be read as a configuration says why in the window's
// message box, below the usual text.
TEST(SoundPanel, LoadTellsWhyAFileCannotBeRead) {
  SoundWindow w;
  const std::string endless = w.dir.Path("endless.lscfg");
  testing_support::WriteBytes(endless, "BOOT\r\n" + std::string(1 << 20, 'x'));
  w.dialogs.openPaths.push_back(endless);
  QTest::mouseClick(w.Child<QToolButton>("LoadBtn"), Qt::LeftButton);
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "Not a valid configuration file\r\n" + endless + " has a line longer than 4096 bytes");
  EXPECT_EQ(w.dialogs.messages[0].icon, seams::DialogIcon::Critical);
}

TEST(SoundPanel, MemoryGaugeTurnsRedPastTheCapacity) {
  SoundWindow w;
  w.main->SetMemorySize(300);
  auto* gauge = w.Child<QProgressBar>("MemoryStatus");
  w.Add(w.Lsu("a.lsu", 300), "BootOption");
  EXPECT_EQ(gauge->value(), 300);
  EXPECT_FALSE(gauge->property("overflow").toBool());
  EXPECT_TRUE(w.Child<QToolButton>("SendBtn")->isEnabled());
  w.Add(w.Lsu("b.lsu", 49), "PwrOnOption");
  EXPECT_TRUE(gauge->property("overflow").toBool());
  EXPECT_EQ(gauge->value(), 300);
  EXPECT_FALSE(w.Child<QToolButton>("SendBtn")->isEnabled());
}

// The horizontal middle of the gauge's text as drawn: the columns that
// change when the text is hidden. -1 when no text was drawn.
int TextMiddle(QProgressBar* gauge) {
  const QImage with = gauge->grab().toImage();
  gauge->setTextVisible(false);
  const QImage without = gauge->grab().toImage();
  gauge->setTextVisible(true);
  int left = with.width(), right = -1;
  for (int y = 0; y < with.height(); ++y)
    for (int x = 0; x < with.width(); ++x)
      if (with.pixel(x, y) != without.pixel(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  return right < 0 ? -1 : (left + right) / 2;
}

TEST(SoundPanel, MemoryGaugeTextStaysCentredWhenRed) {
  SoundWindow w;
  w.main->resize(1200, 700);
  w.main->show();
  w.main->SetMemorySize(300);
  auto* gauge = w.Child<QProgressBar>("MemoryStatus");
  w.Add(w.Lsu("a.lsu", 200), "BootOption");
  const int middle = gauge->width() / 2;
  ASSERT_FALSE(gauge->property("overflow").toBool());
  EXPECT_NEAR(TextMiddle(gauge), middle, gauge->width() / 8);
  w.Add(w.Lsu("b.lsu", 200), "PwrOnOption");
  ASSERT_TRUE(gauge->property("overflow").toBool());
  EXPECT_NEAR(TextMiddle(gauge), middle, gauge->width() / 8) << "red and still centred";
}

// The gauge tells the time the sounds take, 48000 samples a second, and by
// how much a font is too long for the board.
TEST(SoundPanel, MemoryGaugeTellsTheTime) {
  SoundWindow w({"hum.lsu"});
  w.Lsu("hum.lsu", 460800);
  auto* gauge = w.Child<QProgressBar>("MemoryStatus");
  const auto text = [gauge] { return gauge->text().toStdString(); };
  EXPECT_EQ(text(), "0 of 2793120 samples (0 %) \u2013 0.0 s of 58.2 s");
  auto* files = w.Child<QListWidget>("FileList");
  QTest::mouseClick(w.Child<QRadioButton>("IdleOption"), Qt::LeftButton);
  const auto found = files->findItems("hum.lsu", Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  DoubleClick(files->viewport(), files->visualItemRect(found[0]).center());
  EXPECT_EQ(text(), "460800 of 2793120 samples (16 %) \u2013 9.6 s of 58.2 s");

  w.main->SetMemorySize(300000);  // 160800 samples, 3.35 s, too many
  EXPECT_EQ(text(), "460800 of 300000 samples: too many for the board, 3.4 s too long");
  w.main->SetMemorySize(460799);
  EXPECT_EQ(text(), "460800 of 460799 samples: too many for the board, 0.1 s too long")
      << "one sample too many is not nothing";
  w.main->SetMemorySize(460800);
  EXPECT_EQ(text(), "460800 of 460800 samples (100 %) \u2013 9.6 s of 9.6 s");
}

// A Ctrl+click on a row of a list, or on an entry of the file browser.
void CtrlClickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(row)).center());
}

// Playback leaves the window working: a timer fires while the sound plays,
// the note names the sound, and Esc, a second Ctrl+click on it or its end
// stops it. A Ctrl+click on another sound plays that one instead.
TEST(SoundPanel, PlaybackNeverHoldsTheWindow) {
  SoundWindow w({"hum.lsu"});
  w.Lsu("hum.lsu", 48000 * 20);  // 20 s: it plays on while the test runs
  w.Add(w.Lsu("swing.lsu", 48000 * 20), "MtOption");
  w.Add(w.Lsu("clash.lsu", 480), "MtOption");  // 10 ms
  w.main->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
  auto* motion = w.Child<QListWidget>("MtFileList");
  auto* note = w.Child<QLabel>("PlayingLabel");

  CtrlClickRow(motion, 0);
  ASSERT_TRUE(w.player.Playing()) << "the click returned while the sound plays";
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->text().toStdString(), "Playing swing.lsu \u2014 Esc to stop");
  bool firedWhilePlaying = false;
  QTimer::singleShot(10, [&] { firedWhilePlaying = w.player.Playing(); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return firedWhilePlaying; }, 10000));
  // The play head moves on, within the sound.
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.player.ElapsedSeconds() > 0; }, 10000));
  EXPECT_LE(w.player.ElapsedSeconds(), 20);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(w.player.Playing()) << "Esc stops it";
  EXPECT_EQ(w.player.ElapsedSeconds(), 0);
  EXPECT_FALSE(note->isVisible());

  CtrlClickRow(motion, 0);
  ASSERT_TRUE(w.player.Playing());
  CtrlClickRow(motion, 0);
  EXPECT_FALSE(w.player.Playing()) << "a second Ctrl+click on it stops it";
  EXPECT_FALSE(note->isVisible());
  EXPECT_EQ(w.played.size(), 2u);

  // From the browser, then another sound instead, which ends by itself.
  auto* files = w.Child<QListWidget>("FileList");
  CtrlClickRow(files, int(files->row(files->findItems("hum.lsu", Qt::MatchExactly).at(0))));
  ASSERT_TRUE(w.player.Playing());
  EXPECT_EQ(note->text().toStdString(), "Playing hum.lsu \u2014 Esc to stop");
  CtrlClickRow(motion, 1);
  EXPECT_EQ(w.played.size(), 4u);
  EXPECT_EQ(note->text().toStdString(), "Playing clash.lsu \u2014 Esc to stop");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !note->isVisible(); }, 30000)) << "it ended";
  EXPECT_FALSE(w.player.Playing());
  EXPECT_TRUE(w.Messages().empty());
}

// Two fast Ctrl+clicks are a Ctrl+double-click: the second click stops the
// sound as a slower one does; it neither removes the file from its
// category nor adds the browser's file to one.
TEST(SoundPanel, FastSecondCtrlClickStopsAndChangesNothing) {
  SoundWindow w({"hum.lsu"});
  w.Lsu("hum.lsu", 48000 * 20);
  w.Add(w.Lsu("swing.lsu", 48000 * 20), "MtOption");
  w.Add(w.Lsu("boot.lsu", 48000 * 20), "BootOption");
  w.Show();
  auto* motion = w.Child<QListWidget>("MtFileList");
  auto* boot = w.Child<QLabel>("BootFileList");
  auto* files = w.Child<QListWidget>("FileList");
  // The press and release of the first click, then the second click's.
  const auto ctrlDoubleClick = [](QWidget* target, QPoint at) {
    QTest::mouseClick(target, Qt::LeftButton, Qt::ControlModifier, at);
    QTest::mouseDClick(target, Qt::LeftButton, Qt::ControlModifier, at);
  };

  ctrlDoubleClick(motion->viewport(), motion->visualItemRect(motion->item(0)).center());
  EXPECT_EQ(app_test::Rows(motion), QStringList{"swing.lsu"}) << "not removed";
  EXPECT_FALSE(w.player.Playing()) << "the second click stops it";

  ctrlDoubleClick(boot, boot->rect().center());
  EXPECT_EQ(boot->text(), "boot.lsu") << "not removed";
  EXPECT_FALSE(w.player.Playing());

  QTest::mouseClick(w.Child<QRadioButton>("MtOption"), Qt::LeftButton);
  QListWidgetItem* hum = files->findItems("hum.lsu", Qt::MatchExactly).at(0);
  ctrlDoubleClick(files->viewport(), files->visualItemRect(hum).center());
  EXPECT_EQ(app_test::Rows(motion), QStringList{"swing.lsu"}) << "not added";
  EXPECT_FALSE(w.player.Playing());
  EXPECT_EQ(w.played.size(), 3u);
  EXPECT_TRUE(w.Messages().empty());
}

// Without a sound output the user is told once, and nothing is converted.
TEST(SoundPanel, NoSoundOutputIsSaidOnce) {
  SoundWindow w;
  w.player.withOutput = false;
  w.Add(w.Lsu("swing.lsu"), "MtOption");
  auto* motion = w.Child<QListWidget>("MtFileList");
  CtrlClickRow(motion, 0);
  CtrlClickRow(motion, 0);
  EXPECT_EQ(w.Messages(), std::vector<std::string>{sound::kNoSoundOutput});
  EXPECT_TRUE(w.played.empty());
  EXPECT_FALSE(fs::exists(w.dir.Path("temp.wav")));
  EXPECT_FALSE(w.Child<QLabel>("PlayingLabel")->isVisibleTo(w.main.get()));
}

}  // namespace
