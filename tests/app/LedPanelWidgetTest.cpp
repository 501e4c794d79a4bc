// The LED panel in the main window on the virtual LED driver, driven by
// control names.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <fstream>

#include "app/LedPanelWidget.h"
#include "app/Main.h"
#include "led/LedSettingsFile.h"
#include "tests/support/Controls.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/BoardFirmware.h"
#include "widgets/ColorSwatch.h"
#include "widgets/LineChart.h"
#include "widgets/PulsePreview.h"

namespace {

using testing_support::Hex;

struct LedWindow {
  // realDialogs: Qt's message boxes instead of scripted answers.
  explicit LedWindow(const std::string& spec, bool realDialogs = false) {
    session::FrontEndOptions board;
    board.virtualBoard = spec;
    board.hidLog = log;
    app::MainOptions options;
    options.appFolder = APP_FOLDER;
    options.board = session::MakeBoardAgent(board);
    if (!realDialogs) options.dialogs = &dialogs;
    options.openHelp = [](const QString&) {};
    main = std::make_unique<app::Main>(std::move(options));
    started = main->Startup();
  }
  template <typename W>
  W* Get(const QString& name) {
    return testing_support::Control<W>(*main, name);
  }
  QString Picture(const char* name) { return Get<QWidget>(name)->property("picture").toString(); }
  QColor TextColor(const QString& label) {
    return Get<QLabel>(label)->palette().color(QPalette::WindowText);
  }
  std::vector<std::string> Writes(const char* prefix) {
    return testing_support::HidWrites(log, prefix);
  }
  // Shows the window, so that mouse clicks land on the controls.
  void Show() {
    main->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
  }
  void Click(const QString& name) { QTest::mouseClick(Get<QWidget>(name), Qt::LeftButton); }
  void Key(const QString& name, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Get<QWidget>(name), Qt::Key(key), modifiers);
  }
  // Replaces a field's text by typing.
  void Type(const QString& name, const char* text) {
    Key(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Get<QWidget>(name), text);
  }
  QColor Swatch(const QString& name) { return Get<widgets::ColorSwatch>(name)->Color(); }
  QList<QPointF> Curve(const QString& chart, size_t channel) {
    return Get<widgets::LineChart>(chart)->Series().at(channel - 1)->points();
  }

  testing_support::ScriptedDialogs dialogs;
  std::string log = testing_support::UniqueTempPath("led_window") + ".log";
  std::unique_ptr<app::Main> main;
  bool started = false;
};

TEST(LedPanelWidget, FilledWhenAnLedDriverComesOnline) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  EXPECT_EQ(w.Get<QGroupBox>("labelLED1")->title(), "Driver configuration");
  EXPECT_EQ(w.Get<QGroupBox>("FrameFoc")->title(), "Flash on Clash");
  auto* combo = w.Get<QComboBox>("LEDcombo");
  EXPECT_EQ(combo->itemText(0), "Cree XP-E2 Red");
  EXPECT_EQ(combo->currentText(), "Tri-Cree RGB (XP-E2)");
  EXPECT_EQ(w.TextColor("labelLED(3)"), QColor(128, 128, 255));
  EXPECT_EQ(w.TextColor("labelLED(4)"), QColor(0, 0, 0));
  auto* slider = w.Get<QSlider>("OverdriveSlider");
  EXPECT_EQ(slider->maximum(), 167);  // highest MaxDC 60
  EXPECT_EQ(slider->value(), 100);
  EXPECT_EQ(slider->tickInterval(), 5);
  EXPECT_EQ(w.Get<QLineEdit>("IdleTON")->text(), "1");
  EXPECT_FALSE(w.Get<QGroupBox>("PickColor_frame")->isVisibleTo(w.main.get()));
  for (const char* b : {"btnUpdateLED", "btnSendPulse", "btnSendFoc", "LoadBtn", "SaveBtn"})
    EXPECT_EQ(w.Picture(b), "on") << b;
}

TEST(LedPanelWidget, OfflineDisablesThePanelAndKeepsItsContents) {
  LedWindow w("led");
  ASSERT_TRUE(w.started);
  w.Get<QPushButton>("btnPulseHigh")->click();
  w.main->Lifecycle().GoOffline();
  for (const char* b : {"btnUpdateLED", "btnSendPulse", "btnSendFoc", "LoadBtn", "SaveBtn"}) {
    EXPECT_FALSE(w.Get<QToolButton>(b)->isEnabled()) << b;
    EXPECT_EQ(w.Picture(b), "off") << b;
  }
  EXPECT_FALSE(w.Get<QGroupBox>("FrameIdle")->isEnabled());
  EXPECT_FALSE(w.Get<QGroupBox>("PickColor_frame")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.Get<QGroupBox>("frmLED")->isVisibleTo(w.main.get()));
  EXPECT_EQ(w.Get<QComboBox>("LEDcombo")->currentText(), "Cree XP-E2 Red");

  LedWindow unknown("led,ledcode=999");
  ASSERT_TRUE(unknown.started);
  EXPECT_EQ(unknown.dialogs.messages.at(0).text,
            "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !");
  EXPECT_EQ(unknown.Picture("btnSendPulse"), "off");
}

// A driver whose answer to a read of its set-up got lost is not a fault of
// the catalogue: no message, and the window comes on line by itself at a
// later try. Commands: 1 GetID, 2 GetSN, 3 GetLEDConfig, 4 and 5
// GetLEDPulses.
TEST(LedPanelWidget, ALostAnswerAtStartIsTriedAgain) {
  for (const char* fault : {"drop=3", "drop=5"}) {
    LedWindow w(std::string("led,ledcode=10,") + fault);
    ASSERT_TRUE(w.started) << fault;
    EXPECT_TRUE(w.dialogs.messages.empty()) << fault << ": " << w.dialogs.messages.at(0).text;
    EXPECT_FALSE(w.main->Lifecycle().LS_ONLINE()) << fault;
    QTRY_VERIFY_WITH_TIMEOUT(w.main->Lifecycle().LS_ONLINE(), 60000);
    EXPECT_EQ(w.Get<QComboBox>("LEDcombo")->currentText(), "Tri-Cree RGB (XP-E2)") << fault;
    EXPECT_EQ(w.Picture("btnSendPulse"), "on") << fault;
    EXPECT_TRUE(w.dialogs.messages.empty()) << fault;
  }
}

TEST(LedPanelWidget, ControlsDriveTheLogic) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  auto* on = w.Get<QLineEdit>("IdleTON");
  on->setText("1.234");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(on, &out);
  EXPECT_EQ(on->text(), "1.22");

  auto* frame = w.Get<QGroupBox>("PickColor_frame");
  w.Get<QPushButton>("btnFocHigh")->click();
  EXPECT_TRUE(frame->isVisibleTo(w.main.get()));
  EXPECT_FALSE(w.Get<QSlider>("SliderLedSet(4)")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.Get<QPushButton>("PickColor")->isEnabled());
  w.Get<QSlider>("SliderLedSet(2)")->setValue(200);
  EXPECT_EQ(w.Get<QLabel>("ValueLedSet(2)")->text(), "200");
  w.Get<QPushButton>("PickColorOK")->click();
  EXPECT_FALSE(frame->isVisibleTo(w.main.get()));
  EXPECT_EQ(w.main->LedPanel().Logic().FocPulse.GetHigh(2), 200);

  auto* combo = w.Get<QComboBox>("LEDcombo");
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_EQ(w.main->LedPanel().Logic().CurrentLED.LEDName, "Cree XP-E2 Red");
  w.Get<QSlider>("OverdriveSlider")->setValue(120);
  EXPECT_EQ(w.Get<QLabel>("OverdriveLabel")->text(), "120%");
  w.Get<QToolButton>("btnSendFoc")->click();
  EXPECT_EQ(w.Writes("3501").size(), 1u);
  w.dialogs.answers = {seams::DialogResult::Ok};
  w.Get<QToolButton>("btnUpdateLED")->click();
  EXPECT_EQ(w.Writes("3d").at(0).substr(0, 14), Hex("3d 0001 003c 0078"));
}

// Every send says in the status line whether the board took it.
TEST(LedPanelWidget, SendsSayWhetherTheBoardTookThem) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  const size_t startup = testing_support::HidCommandCodes(w.log).size();
  w.Show();
  auto* line = w.Get<QStatusBar>("StatusLine");
  const auto said = [line] { return line->currentMessage().toStdString(); };
  w.Click("btnSendPulse");
  EXPECT_EQ(said(), led::SentText(led::kIdlePulseName));
  w.Click("btnSendFoc");
  EXPECT_EQ(said(), led::SentText(led::kFocPulseName));
  w.Click("btnPulseHigh");
  w.Click("PickColorApply");
  EXPECT_EQ(said(), led::SentText(led::kLevelsName));
  w.dialogs.answers = {seams::DialogResult::Ok};
  w.Click("btnUpdateLED");
  EXPECT_EQ(said(), led::SentText(led::kLedConfiguration));
  EXPECT_FALSE(line->property("error").toBool());

  // The board does not answer the pulse's first command (it counts the
  // start-up's commands too).
  LedWindow silent("led,ledcode=10,drop=" + std::to_string(startup + 1));
  ASSERT_TRUE(silent.started);
  silent.Show();
  silent.Click("btnSendPulse");
  auto* error = silent.Get<QStatusBar>("StatusLine");
  EXPECT_EQ(error->currentMessage().toStdString(), led::NotConfirmedText(led::kIdlePulseName));
  EXPECT_TRUE(error->property("error").toBool());
}

// The damage warning's default button is Cancel: Enter pressed on it sets
// nothing on the board.
TEST(LedPanelWidget, DamageWarningCancelsOnEnter) {
  LedWindow w("led,ledcode=10", true);
  ASSERT_TRUE(w.started);
  w.Show();
  QString text, defaultButton;
  QTimer watch;  // until the warning is up
  watch.callOnTimeout([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    watch.stop();
    text = box->text();
    if (box->defaultButton()) defaultButton = box->defaultButton()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  watch.start(10);
  w.Click("btnUpdateLED");
  EXPECT_EQ(text.toStdString(), led::kUpdateLedWarning);
  EXPECT_EQ(defaultButton.remove('&'), "Cancel");
  EXPECT_TRUE(w.Writes("3d").empty()) << "no LED configuration sent";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A field that reads a typed value as another number says so: it is lit
// for a moment and its tooltip tells how it was read, until the user
// types into it again. A number only written another way says nothing.
TEST(LedPanelWidget, CorrectedFieldsSayHowTheyWereRead) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  w.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
  // Typed into the field, which then loses the focus to the next control.
  const auto enter = [&](const char* field, const char* text) {
    auto* edit = w.Get<QLineEdit>(field);
    w.Click(field);
    w.Type(field, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_FALSE(edit->hasFocus()) << field;
    return std::make_pair(edit->text().toStdString(), edit->toolTip());
  };
  const auto tip = [](const std::string& note) {
    return "<qt>" + QString::fromStdString(note).toHtmlEscaped() + "</qt>";
  };

  auto [text, note] = enter("IdleTON", "abc");
  EXPECT_EQ(text, "0");
  EXPECT_EQ(note,
            tip("Read as 0 s (typed \"abc\"): times are multiples of 0.02 s from 0 to 10 s."));
  EXPECT_TRUE(w.Get<QLineEdit>("IdleTON")->property("corrected").toBool());
  std::tie(text, note) = enter("IdleTOFF", "1.234");
  EXPECT_EQ(text, "1.22");
  EXPECT_EQ(note,
            tip("Read as 1.22 s (typed \"1.234\"): times are multiples of 0.02 s from 0 to 10 s."));
  std::tie(text, note) = enter("focNREP", "<b>0");
  EXPECT_EQ(text, "1");
  EXPECT_EQ(note, tip("Read as 1 (typed \"<b>0\"): the flash on clash repeats 1 to 10 times."));

  std::tie(text, note) = enter("IdleTON", "1.0");
  EXPECT_EQ(text, "1");
  EXPECT_EQ(note, "") << "the same number: nothing to say, and the old note went with the typing";
  EXPECT_FALSE(w.Get<QLineEdit>("IdleTON")->property("corrected").toBool());
}

TEST(LedPanelWidget, LoadAndSaveHandleLedSettingsFiles) {
  LedWindow w("led");
  ASSERT_TRUE(w.started);
  const std::string path = testing_support::UniqueTempPath("window") + ".ldset";
  w.Get<QLineEdit>("FocTON")->setText("0.1");
  w.dialogs.savePaths = {path};
  w.Get<QToolButton>("SaveBtn")->click();
  EXPECT_EQ(w.dialogs.fileRequests.at(0).filter, led::kLedSettingsFilter);
  w.Get<QLineEdit>("FocTON")->setText("5");
  w.dialogs.openPaths = {path};
  w.dialogs.answers = {seams::DialogResult::Discard};  // the 5 typed since the save
  w.Get<QToolButton>("LoadBtn")->click();
  EXPECT_EQ(w.Get<QLineEdit>("FocTON")->text(), "0.1");
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text, led::kSaveLedBeforeLoading);
  std::remove(path.c_str());

  LedWindow sound("sound");  // the buttons handle sound configuration files
  ASSERT_TRUE(sound.started);
  sound.Get<QToolButton>("LoadBtn")->click();
  EXPECT_NE(sound.dialogs.fileRequests.at(0).filter, led::kLedSettingsFilter);
}

// The contrast ratio of the darkest and the lightest pixel of a widget as
// drawn (1 for a single colour, 21 for black on white).
double Contrast(QWidget* w) {
  const QImage image = w->grab().toImage();
  double darkest = 1, lightest = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      };
      const double l =
          0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
      darkest = std::min(darkest, l);
      lightest = std::max(lightest, l);
    }
  return (lightest + 0.05) / (darkest + 0.05);
}

// Every channel label can be read, also that of a channel the LED type does
// not have (black, as an unlit LED).
TEST(LedPanelWidget, ChannelLabelsCanBeRead) {
  LedWindow w("led");  // one red channel
  ASSERT_TRUE(w.started);
  w.main->show();
  for (int i = 1; i <= 4; ++i) {
    const QString name = QString("labelLED(%1)").arg(i);
    EXPECT_GE(Contrast(w.Get<QLabel>(name)), 3.0) << name.toStdString();
  }
  EXPECT_EQ(w.TextColor("labelLED(2)"), QColor(0, 0, 0));
}

// A board whose overdrive is below the slider's minimum of 50: the LED
// type, the slider and its label all say 50, and 50 is what goes out.
TEST(LedPanelWidget, OverdriveBelowTheSliderIsHeldToItsMinimum) {
  const std::string eeprom = testing_support::UniqueTempPath("eeprom") + ".bin";
  {
    virtualboard::BoardFirmware board(virtualboard::ParseBoardSpec("led,eeprom=" + eeprom));
    std::vector<uint8_t> setConfig(virtualboard::kCommandSize, 0);
    setConfig[0] = devlink::cmdSetLEDConfig;
    setConfig[2] = 1;   // Cree XP-E2 Red
    setConfig[4] = 60;  // 6.0 V
    setConfig[6] = 30;  // overdrive 30 %
    board.Receive(setConfig);
  }  // stored when the board goes
  LedWindow w("led,eeprom=" + eeprom);
  ASSERT_TRUE(w.started);
  EXPECT_EQ(w.Get<QSlider>("OverdriveSlider")->value(), 50);
  EXPECT_EQ(w.Get<QLabel>("OverdriveLabel")->text(), "50%");
  EXPECT_EQ(w.main->LedPanel().Logic().CurrentLED.OverDrive, 50);
  w.dialogs.answers = {seams::DialogResult::Ok};
  w.Get<QToolButton>("btnUpdateLED")->click();
  EXPECT_EQ(w.Writes("3d").at(0).substr(0, 14), Hex("3d 0001 003c 0032"));
  std::remove(eeprom.c_str());
}

// Tri-Cree RGB: red 1400, green 5200, blue 1100 at full level.
TEST(LedPanelWidget, SwatchesShowTheBladeColourOfEachLevel) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  w.Show();
  const QColor black(0, 0, 0), blue(0, 0, 255);
  EXPECT_EQ(w.Swatch("PulseHighSwatch"), black) << "a new driver's levels are 0";

  w.Click("btnPulseHigh");
  w.Key("SliderLedSet(3)", Qt::Key_End);
  EXPECT_EQ(w.Swatch("LevelMixSwatch"), blue) << "the mix follows the sliders";
  EXPECT_EQ(w.Swatch("PulseHighSwatch"), black) << "nothing stored before OK";
  w.Key("SliderLedSet(2)", Qt::Key_End);
  // Green at full is 1205 on blue's scale: dimmed as a whole, blue 54.
  EXPECT_EQ(w.Swatch("LevelMixSwatch"), QColor(0, 255, 54));
  w.Key("SliderLedSet(2)", Qt::Key_Home);
  w.Click("PickColorOK");
  EXPECT_EQ(w.Swatch("PulseHighSwatch"), blue);
  EXPECT_EQ(w.Swatch("PulseLowSwatch"), black);
  EXPECT_EQ(w.Curve("FocPulseChart", 3).front(), QPointF(0, 255))
      << "the flash starts from the idle pulse's high level";

  // A colour picked with colour fidelity shows as itself.
  w.Click("btnFocHigh");
  w.Click("ColorFidelity");
  w.dialogs.colors = {led::RGBToSys(255, 128, 0)};
  w.Click("PickColor");
  const QColor mix = w.Swatch("LevelMixSwatch");
  EXPECT_NEAR(mix.red(), 255, 2);
  EXPECT_NEAR(mix.green(), 128, 2);
  EXPECT_NEAR(mix.blue(), 0, 2);
  w.Click("PickColorOK");
  EXPECT_EQ(w.Swatch("FocHighSwatch"), mix);

  // Another LED type mixes the same levels in its own colours.
  auto* combo = w.Get<QComboBox>("LEDcombo");
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Home);  // Cree XP-E2 Red: one red channel
  EXPECT_EQ(w.main->LedPanel().Logic().CurrentLED.LEDName, "Cree XP-E2 Red");
  EXPECT_EQ(w.Swatch("PulseHighSwatch"), black) << "channel 3 is gone";
  EXPECT_EQ(w.Swatch("FocHighSwatch"), QColor(255, 0, 0));
}

TEST(LedPanelWidget, PulseGraphsFollowTheirFields) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  w.Show();
  w.Click("btnFocHigh");
  w.Key("SliderLedSet(1)", Qt::Key_End);
  w.Click("PickColorOK");
  // A new driver's flash: on 1 s, off 1 s, once; from level 0 to 255.
  EXPECT_EQ(w.Curve("FocPulseChart", 1),
            (QList<QPointF>{{0, 0}, {0, 255}, {1, 255}, {1, 0}, {2, 0}}));
  w.Type("focNREP", "3");
  const auto flashes = w.Curve("FocPulseChart", 1);
  EXPECT_EQ(flashes.size(), 13);
  EXPECT_EQ(flashes.at(4), QPointF(2, 0));
  EXPECT_EQ(flashes.at(5), QPointF(2, 255));
  EXPECT_EQ(flashes.back(), QPointF(6, 0));
  w.Type("FocTOFF", "0.5");
  EXPECT_EQ(w.Curve("FocPulseChart", 1).back(), QPointF(4.5, 0));

  // The idle pulse: rise, on, fall, off, drawn twice.
  w.Type("IdleTRISE", "0.5");
  w.Type("IdleTFALL", "0.25");
  const auto idle = w.Curve("IdlePulseChart", 2);
  ASSERT_GE(idle.size(), 3);
  EXPECT_EQ(idle.at(1).x(), 0.5);
  EXPECT_EQ(idle.at(2).x(), 1.5);
  EXPECT_EQ(idle.back().x(), 5.5);
  auto& series = w.Get<widgets::LineChart>("IdlePulseChart")->Series();
  ASSERT_EQ(series.size(), 3u) << "one line per channel";
  EXPECT_EQ(series[0]->pen().color(), QColor(255, 0, 0));
  EXPECT_EQ(series[1]->pen().color(), QColor(0, 192, 0));
  EXPECT_EQ(series[2]->pen().color(), QColor(128, 128, 255));
}

// The preview plays the idle pulse while it can be seen: a new driver's
// pulse is on for 1 s and off for 1 s.
TEST(LedPanelWidget, IdlePreviewPlaysThePulseWhileShown) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  auto* preview = w.Get<widgets::PulsePreview>("IdlePreview");
  EXPECT_FALSE(preview->Timer().isActive()) << "not shown yet";
  w.Show();
  EXPECT_TRUE(preview->Timer().isActive());
  w.Click("btnPulseHigh");
  w.Key("SliderLedSet(3)", Qt::Key_End);
  w.Click("PickColorOK");
  EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Color() == QColor(0, 0, 255); }, 20000))
      << "on";
  EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Color() == QColor(0, 0, 0); }, 20000))
      << "then off";
  EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Color() == QColor(0, 0, 255); }, 20000))
      << "and on again";
  w.main->hide();
  EXPECT_FALSE(preview->Timer().isActive());
}

// A pulse of no time is one still colour: the preview shows it without a
// timer waking the program; given time again, it plays.
TEST(LedPanelWidget, IdlePreviewOfAPulseOfNoTimeStandsStill) {
  LedWindow w("led,ledcode=10");
  ASSERT_TRUE(w.started);
  w.Show();
  auto* preview = w.Get<widgets::PulsePreview>("IdlePreview");
  for (const char* field : {"IdleTON", "IdleTOFF", "IdleTRISE", "IdleTFALL"}) w.Type(field, "0");
  EXPECT_FALSE(preview->Timer().isActive());
  w.Type("IdleTOFF", "x");  // garbage reads as 0 s too
  EXPECT_FALSE(preview->Timer().isActive());
  w.main->hide();
  w.Show();
  EXPECT_FALSE(preview->Timer().isActive()) << "shown again, still nothing to play";
  w.Type("IdleTON", "65535");
  EXPECT_TRUE(preview->Timer().isActive());
}

TEST(LedPanelWidget, Hints) {
  LedWindow w("led");
  ASSERT_TRUE(w.started);
  w.main->show();
  auto* help = w.Get<QLabel>("HelpLabel");
  const std::pair<const char*, const char*> hints[] = {{"btnUpdateLED", "Update LED Configuration"},
                                                       {"btnSendPulse", "Apply and Test"},
                                                       {"labelLED1", "Press F1 for help"},
                                                       {"btnSendFoc", "Apply and Test"}};
  for (const auto& [name, hint] : hints) {
    testing_support::MoveMouseOver(w.Get<QWidget>(name));
    EXPECT_EQ(help->text(), hint) << name;
  }
}

}  // namespace
