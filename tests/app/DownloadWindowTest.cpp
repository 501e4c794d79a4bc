// The download and the motion panel in the main window on the virtual
// board: when SendBtn may start a download, what is locked while it runs,
// the download frame's texts and timer, and the acceleration sensor frame
// with its live sensor plot.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "app/Main.h"
#include "motion/LiveSensor.h"
#include "motion/MotionSettings.h"
#include "sound/FlashDownload.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"
#include "widgets/LineChart.h"

namespace {

// Every control a download locks.
const char* const kLocked[] = {"LoadBtn", "SaveBtn",        "ConfigBtn",   "SendBtn", "UpdateBtn",
                               "Frame1",  "DiscFilesFrame", "ConfigFrame", "frmLED"};

struct Window {
  // spec: the virtual board; flash: bytes its flash starts with;
  // readTimeOutMs: how long the agent waits for an answer (0: its default).
  explicit Window(const std::string& spec, bool plugged = true, const std::string& flash = "",
                  int readTimeOutMs = 0) {
    session::FrontEndOptions o;
    o.virtualBoard = spec;
    if (!flash.empty()) {
      testing_support::WriteBytes(dir.Path("flash.bin"), flash);
      *o.virtualBoard += ",flash=" + dir.Path("flash.bin");
    }
    o.hidLog = log;
    app::MainOptions m;
    m.appFolder = APP_FOLDER;
    m.board = session::MakeBoardAgent(o);
    if (readTimeOutMs) m.board.agent->TimeOut = readTimeOutMs;
    firmware = m.board.firmware;
    if (!plugged) firmware->Unplug();
    m.dialogs = &dialogs;
    m.openHelp = [](const QString&) {};
    main = std::make_unique<app::Main>(std::move(m));
    if (!plugged) dialogs.answers.push_back(seams::DialogResult::Ok);  // work offline
    EXPECT_TRUE(main->Startup());
  }
  template <typename W>
  W* Child(const char* name) {
    return testing_support::Control<W>(*main, name);
  }
  bool Enabled(const char* name) { return Child<QWidget>(name)->isEnabled(); }
  QString Text(const char* name) { return Child<QLabel>(name)->text(); }
  // Every category filled: the boot file with 1500 samples (more than one
  // block), the others with 100.
  void Fill() {
    auto& config = main->Configuration();
    int n = 0;
    for (int type = sound::kBoot; type <= sound::kIdle; ++type) {
      const std::string path = dir.Path("s" + std::to_string(++n) + ".lsu");
      sound_test::WriteLsu(path, sound_test::Samples(type == sound::kBoot ? 1500 : 100));
      ASSERT_TRUE(config.AddFile(path, type)) << path;
    }
    main->UpdateMemoryStatus();
  }
  // The codes of the commands sent since the window started.
  std::vector<int> Codes() const { return testing_support::HidCommandCodes(log); }
  // Runs f once while the next download processes window events.
  void DuringDownload(std::function<void()> f) { QTimer::singleShot(0, main.get(), f); }
  // Shown, so that mouse clicks land on the controls.
  void Show() {
    main->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
  }
  void Click(const char* name) { QTest::mouseClick(Child<QWidget>(name), Qt::LeftButton); }
  // The lines of the HID log.
  std::vector<std::string> LogLines() const {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  size_t Polls() const { return testing_support::HidWrites(log, "28").size(); }  // GetACC

  testing_support::TempFolder dir;
  std::string log = dir.Path("hid.log");
  testing_support::ScriptedDialogs dialogs;
  std::shared_ptr<virtualboard::BoardFirmware> firmware;
  std::unique_ptr<app::Main> main;
};

TEST(DownloadWindow, SendBtnNeedsAFittingConfigurationOnASoundBoard) {
  Window w("sound");
  w.Fill();
  const int total = int(w.main->Configuration().TotalNrOfSamples());
  auto* gauge = w.Child<QProgressBar>("MemoryStatus");

  w.main->SetMemorySize(total);
  EXPECT_TRUE(w.Enabled("SendBtn")) << "exactly the capacity still fits";
  EXPECT_EQ(gauge->value(), total);
  EXPECT_FALSE(gauge->property("overflow").toBool());

  w.main->SetMemorySize(total - 1);
  EXPECT_FALSE(w.Enabled("SendBtn")) << "one sample more than the capacity";
  EXPECT_EQ(gauge->value(), total - 1);
  EXPECT_EQ(gauge->maximum(), total - 1);
  EXPECT_TRUE(gauge->property("overflow").toBool());

  w.main->SetMemorySize(total);
  EXPECT_TRUE(w.Enabled("SendBtn"));
  EXPECT_FALSE(gauge->property("overflow").toBool());

  Window offline("sound", false);
  offline.Fill();
  EXPECT_FALSE(offline.Enabled("SendBtn")) << "a fitting configuration, but no board";
  Window led("led");
  led.Fill();
  EXPECT_FALSE(led.Enabled("SendBtn")) << "an LED driver has no sound memory";
}

TEST(DownloadWindow, ControlsAreLockedWhileTheDownloadRuns) {
  Window w("sound,erase-ms=0");
  w.Fill();
  for (const char* name : kLocked) w.Child<QWidget>(name);  // all exist
  const std::map<std::string, bool> before = [&] {
    std::map<std::string, bool> states;
    for (const char* name : kLocked) states[name] = w.Enabled(name);
    return states;
  }();
  ASSERT_TRUE(before.at("SendBtn"));

  std::map<std::string, bool> during;
  QString info, button;
  bool frameShown = false, closed = true;
  w.DuringDownload([&] {
    for (const char* name : kLocked) during[name] = w.Enabled(name);
    info = w.Text("InfoLabel");
    button = w.Child<QPushButton>("FrameButton")->text();
    frameShown = w.Child<QGroupBox>("DownloadFrame")->isVisibleTo(w.main.get());
    closed = w.main->close();
  });
  w.main->show();
  w.Child<QToolButton>("SendBtn")->click();

  for (const char* name : kLocked) EXPECT_FALSE(during[name]) << name << " locked";
  EXPECT_EQ(info, "Erasing flash memory ...");
  EXPECT_EQ(button, "Cancel");
  EXPECT_TRUE(frameShown);
  EXPECT_FALSE(closed) << "the window does not go while a download runs";
  EXPECT_TRUE(w.main->isVisible());

  std::map<std::string, bool> after;
  for (const char* name : kLocked) after[name] = w.Enabled(name);
  EXPECT_EQ(after, before) << "unlocked as they were";
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_EQ(w.Codes().back(), devlink::cmdReset);
}

TEST(DownloadWindow, SuccessFrameHidesWithItsTimer) {
  Window w("sound,erase-ms=0");
  w.Fill();
  w.Child<QToolButton>("SendBtn")->click();
  auto* frame = w.Child<QGroupBox>("DownloadFrame");
  auto* timer = w.Child<QTimer>("HideFrameTimer");
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_EQ(w.Text("PercentLabel"), "");
  EXPECT_TRUE(frame->isVisibleTo(w.main.get()));
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2000);

  timer->start(1);  // the same tick, without the two seconds
  EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisibleTo(w.main.get()); }, 10000));
  EXPECT_FALSE(timer->isActive()) << "it ticks once";
}

// A download started right after a success keeps its frame: the earlier
// success's timer does not hide it.
TEST(DownloadWindow, NextDownloadStopsTheHideTimer) {
  Window w("sound,erase-ms=0");
  w.Fill();
  auto* frame = w.Child<QGroupBox>("DownloadFrame");
  auto* timer = w.Child<QTimer>("HideFrameTimer");
  w.Child<QToolButton>("SendBtn")->click();
  ASSERT_TRUE(timer->isActive());
  timer->start(1);  // its tick is due at once

  bool tickingDuring = true, shownDuring = false;
  w.DuringDownload([&] {
    tickingDuring = timer->isActive();
    QApplication::processEvents();
    shownDuring = frame->isVisibleTo(w.main.get());
  });
  w.Child<QToolButton>("SendBtn")->click();
  EXPECT_FALSE(tickingDuring);
  EXPECT_TRUE(shownDuring);
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_TRUE(frame->isVisibleTo(w.main.get()));
  EXPECT_EQ(timer->interval(), 2000) << "started again by this success";
}

TEST(DownloadWindow, FailureAndCancelLeaveCloseWhichHidesTheFrame) {
  Window failing("sound,erase-ms=0,refuse-erase");
  failing.Fill();
  failing.Child<QToolButton>("SendBtn")->click();
  EXPECT_EQ(failing.Text("InfoLabel"), "Connection lost");
  auto* close = failing.Child<QPushButton>("FrameButton");
  EXPECT_EQ(close->text(), "Close");
  EXPECT_TRUE(failing.Enabled("SendBtn")) << "unlocked after a failure";
  close->click();
  EXPECT_FALSE(failing.Child<QGroupBox>("DownloadFrame")->isVisibleTo(failing.main.get()));

  Window w("sound,erase-ms=300");
  w.Fill();
  w.dialogs.answers = {seams::DialogResult::Cancel};
  w.DuringDownload([&] { w.Child<QPushButton>("FrameButton")->click(); });
  w.Child<QToolButton>("SendBtn")->click();
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text, sound::kCancelQuestion);
  EXPECT_EQ(w.Text("InfoLabel"), "Canceled");
  EXPECT_EQ(w.Text("PercentLabel"), "");
  EXPECT_EQ(w.Child<QPushButton>("FrameButton")->text(), "Close");
  const auto codes = w.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), devlink::cmdWrite1k), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), devlink::cmdSetAccParam), 1)
      << "the erase ended meanwhile: the motion values went back";
}

// A cancel while the board erases for ever: one more poll, and the window
// is free again with "Canceled" shown and the lost motion values named.
TEST(DownloadWindow, CancelDuringAnEndlessEraseReturnsAtOnce) {
  Window w("sound,erase-never");
  w.Fill();
  std::map<std::string, bool> before;
  for (const char* name : kLocked) before[name] = w.Enabled(name);
  w.dialogs.answers = {seams::DialogResult::Cancel};
  w.DuringDownload([&] { w.Child<QPushButton>("FrameButton")->click(); });
  w.Child<QToolButton>("SendBtn")->click();

  EXPECT_EQ(w.Text("InfoLabel"), "Canceled");
  EXPECT_EQ(w.Child<QPushButton>("FrameButton")->text(), "Close");
  for (const char* name : kLocked) EXPECT_EQ(w.Enabled(name), before[name]) << name;
  ASSERT_EQ(w.dialogs.messages.size(), 2u);
  EXPECT_EQ(w.dialogs.messages[1].text,
            std::string(sound::kMotionNotRestored) +
                "MotionTh=180 MotionDeb=2 ImpactTh=10 ImpactDeb=50 ImpactTm=125 FOCTime=13");
  const auto codes = w.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), devlink::cmdSetAccParam), 0);
  const long unanswered = testing_support::HidTimeouts(w.log);
  EXPECT_EQ(unanswered, 1) << "one completion poll after the cancel";
}

// A slow erase: the percent label tells the seconds it has taken, not
// only a percentage that counts whole seconds of a 30-second erase.
TEST(DownloadWindow, EraseShowsThatTimePasses) {
  Window w("sound,erase-ms=3000", true, "", 400);  // a round each 0.4 s
  w.Fill();
  w.Show();
  std::vector<std::string> erasing;  // the labels seen while it erased
  QTimer watch;
  watch.callOnTimeout([&] {
    if (w.Text("InfoLabel") != sound::kErasing) return;
    const std::string label = w.Text("PercentLabel").toStdString();
    if (erasing.empty() || erasing.back() != label) erasing.push_back(label);
  });
  watch.start(0);
  w.Click("SendBtn");
  watch.stop();
  ASSERT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  std::set<std::string> seconds;
  for (const std::string& label : erasing) {
    std::smatch m;
    if (std::regex_match(label, m, std::regex("\\d+ % \u2013 (\\d+) s"))) seconds.insert(m[1]);
  }
  EXPECT_GE(seconds.size(), 2u) << testing::PrintToString(erasing);
}

// After a download that failed or was cancelled once the erase had been
// asked for, the frame says the board must be filled again; a download
// that succeeds takes the line away.
TEST(DownloadWindow, FailureOrCancelSaysWhatTheBoardHolds) {
  // The fifth command of the download (a block of the boot file) gets
  // no answer; the board counts the start-up's commands too.
  const size_t startup = Window("sound,erase-ms=0").Codes().size();
  Window failing("sound,erase-ms=0,drop=" + std::to_string(startup + 5));
  failing.Fill();
  failing.Show();
  failing.Click("SendBtn");
  EXPECT_EQ(failing.Text("InfoLabel"), "Connection lost");
  const auto codes = failing.Codes();
  EXPECT_GE(std::count(codes.begin() + long(startup), codes.end(), devlink::cmdWrite1k), 1);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), devlink::cmdCheckCRC), 0)
      << "it failed in the transfer";
  auto* state = failing.Child<QLabel>("BoardStateLabel");
  EXPECT_TRUE(state->isVisible());
  EXPECT_EQ(state->text().toStdString(), sound::kBoardNotReady);

  Window w("sound,erase-ms=300");
  w.Fill();
  w.Show();
  w.dialogs.answers = {seams::DialogResult::Cancel};
  w.DuringDownload([&] { w.Click("FrameButton"); });
  w.Click("SendBtn");
  EXPECT_EQ(w.Text("InfoLabel"), "Canceled");
  EXPECT_EQ(w.Text("BoardStateLabel").toStdString(), sound::kBoardNotReady);
  EXPECT_TRUE(w.Child<QLabel>("BoardStateLabel")->isVisible());
  w.Click("FrameButton");  // Close
  w.Click("SendBtn");
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_FALSE(w.Child<QLabel>("BoardStateLabel")->isVisibleTo(w.main.get()));
}

TEST(DownloadWindow, UnpluggedDuringTheDownload) {
  Window w("sound,erase-ms=300");
  w.Fill();
  w.Show();
  w.DuringDownload([&] { w.firmware->Unplug(); });
  w.Click("SendBtn");
  EXPECT_EQ(w.Text("InfoLabel"), "Connection lost");
  EXPECT_EQ(w.Text("BoardStateLabel").toStdString(), sound::kBoardNotReady);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.main->Lifecycle().LS_ONLINE(); }, 30000));
  EXPECT_TRUE(w.Child<QWidget>("DownloadFrame")->isVisible());
  EXPECT_FALSE(w.Enabled("SendBtn"));
  EXPECT_TRUE(w.Enabled("FrameButton"));
  w.Click("FrameButton");
  EXPECT_FALSE(w.Child<QWidget>("DownloadFrame")->isVisible());
  w.firmware->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.main->Lifecycle().LS_ONLINE(); }, 30000));
  ASSERT_TRUE(w.Enabled("SendBtn"));
  w.Click("SendBtn");
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_FALSE(w.Child<QLabel>("BoardStateLabel")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.dialogs.messages.empty()) << w.dialogs.messages.at(0).text;
}

TEST(DownloadWindow, MotionPanelShowsTheBoardsValues) {
  // The board holds MotionTh 200 ... FOCTime 30 (120 ms).
  Window w("usb2", true, std::string("\xC8\x07\x0C\x3C\x5A\x1E", 6));
  const std::pair<const char*, int> shown[] = {{"MotionThreshold", 200},
                                               {"MotionDebouncing", 7},
                                               {"ImpactThreshold", 12},
                                               {"ImpactTime", 90},
                                               {"FOCTime", 120}};
  for (auto [name, value] : shown) {
    const std::string n(name);
    EXPECT_EQ(w.Child<QSlider>((n + "Slider").c_str())->value(), value) << name;
    EXPECT_EQ(w.Text((n + "Label").c_str()), QString::number(value)) << name;
  }
  EXPECT_EQ(w.Child<QSlider>("ImpactDebouncingslider")->value(), 60);
  w.Child<QToolButton>("ConfigBtn")->click();
  EXPECT_TRUE(w.Child<QGroupBox>("ConfigFrame")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.Enabled("FOCTimeSlider"));

  Window old("usb2,fw=292", true, std::string("\xC8\x07\x0C\x3C\x5A\x1E", 6));
  EXPECT_EQ(old.Child<QSlider>("FOCTimeSlider")->value(), 52);
  EXPECT_EQ(old.Text("FOCTimeLabel"), "52");
  old.Child<QToolButton>("ConfigBtn")->click();
  EXPECT_FALSE(old.Enabled("FOCTimeSlider"));
  EXPECT_FALSE(old.Enabled("FOCTimeLabel"));
}

TEST(DownloadWindow, MotionPanelSendsOnlyOnSend) {
  Window w("usb2");
  w.Child<QToolButton>("ConfigBtn")->click();
  auto* period = w.Child<QSlider>("FOCTimeSlider");
  period->setValue(22);
  EXPECT_EQ(period->value(), 24) << "snapped to a multiple of 4";
  EXPECT_EQ(w.Text("FOCTimeLabel"), "24");
  w.Child<QSlider>("MotionThresholdSlider")->setValue(77);
  EXPECT_EQ(w.Text("MotionThresholdLabel"), "77");

  w.Child<QPushButton>("DefaultBtn")->click();
  EXPECT_EQ(w.Child<QSlider>("MotionThresholdSlider")->value(), 180);
  EXPECT_EQ(w.Text("FOCTimeLabel"), "52");
  w.Child<QPushButton>("CloseCfgBtn")->click();
  EXPECT_FALSE(w.Child<QGroupBox>("ConfigFrame")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(testing_support::HidWrites(w.log, "2a").empty()) << "factory values not sent";

  w.Child<QToolButton>("ConfigBtn")->click();
  period->setValue(1000);
  w.Child<QPushButton>("SendCmdBtn")->click();
  const auto sent = testing_support::HidWrites(w.log, "2a");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].substr(0, 14), testing_support::Hex("2a b4 02 0a 32 7d fa"));
  const auto codes = w.Codes();
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(
      std::vector<int>(codes.end() - 3, codes.end()),
      (std::vector<int>{devlink::cmdSetAccParam, devlink::cmdReset, devlink::cmdGetAccParam}));
  EXPECT_EQ(w.Text("FOCTimeLabel"), "1000") << "read back from the board";
}

// The status line says whether the board took the motion settings.
TEST(DownloadWindow, MotionSendSaysWhetherTheBoardTookIt) {
  // SEND Configuration in the shown panel: what the status line says, and
  // whether it says it as an error.
  const auto send = [](Window& w) {
    w.Show();
    w.Click("ConfigBtn");
    w.Click("SendCmdBtn");
    auto* line = w.Child<QStatusBar>("StatusLine");
    return std::make_pair(line->currentMessage().toStdString(), line->property("error").toBool());
  };
  Window w("usb2");
  EXPECT_EQ(send(w), std::make_pair(std::string(motion::kMotionSent), false));

  // The board's answer to the send is lost (the board counts the start-up's
  // commands too).
  const size_t startup = Window("usb2").Codes().size();
  Window silent("usb2,drop=" + std::to_string(startup + 1), true, "", 200);
  EXPECT_EQ(send(silent), std::make_pair(std::string(motion::kMotionNotConfirmed), true));
  EXPECT_EQ(silent.Codes().back(), devlink::cmdSetAccParam) << "no restart after no answer";
}

// A download cancelled while the board erases, the one poll after the
// cancel giving up before the erase ends: the board answers the erase
// later, unasked. The next download must not take that answer for the
// first of its GetAccParam: it would write wrong motion values back after
// its own erase.
TEST(DownloadWindow, ALateEraseAnswerIsNotTakenByTheNextCommand) {
  constexpr int kEraseMs = 2000;
  Window w("sound,erase-ms=" + std::to_string(kEraseMs), true, "", 300);
  w.Fill();
  w.dialogs.answers = {seams::DialogResult::Cancel};
  w.DuringDownload([&] { w.Child<QPushButton>("FrameButton")->click(); });
  w.Child<QToolButton>("SendBtn")->click();
  ASSERT_EQ(w.Text("InfoLabel"), "Canceled");
  ASSERT_EQ(w.dialogs.messages.size(), 2u) << "the erase was still running after the cancel";
  EXPECT_EQ(w.dialogs.messages[1].text.rfind(sound::kMotionNotRestored, 0), 0u);
  // The erase ends (and its answer is queued) while nobody asks.
  std::this_thread::sleep_for(std::chrono::milliseconds(kEraseMs));

  // That erase wiped the motion values with the rest of the flash: the next
  // download reads them as 0xFF and writes them back so.
  w.Child<QToolButton>("SendBtn")->click();
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  const auto restored = testing_support::HidWrites(w.log, "2a");
  ASSERT_FALSE(restored.empty());
  EXPECT_EQ(restored.back().substr(0, 14), "2affffffffffff");
  EXPECT_EQ(std::vector<uint8_t>(w.firmware->Flash().begin(), w.firmware->Flash().begin() + 6),
            std::vector<uint8_t>(6, 0xFF));

  // The late answer is logged where it was read: just before the next
  // command went out.
  const std::vector<std::string> lines = testing_support::HidLogLines(w.log);
  const auto next = std::find_if(lines.rbegin(), lines.rend(),
                                 [](const std::string& l) { return l.rfind("W 29", 0) == 0; });
  ASSERT_NE(next, lines.rend());
  ASSERT_NE(next + 1, lines.rend());
  EXPECT_EQ(*(next + 1), "R 0a0a");
}

// ---------------------------------------------------------------- live sensor

// The switch polls the board (the virtual board's scripted motion: still,
// a swing, a clash), the plot shows the readings with the impact threshold
// as a line on its slider, and closing the panel ends it.
TEST(DownloadWindow, LiveSensorPlotsUntilThePanelCloses) {
  Window w("sound");
  w.Show();
  w.Click("ConfigBtn");
  auto* live = w.Child<QCheckBox>("LiveCheck");
  auto* timer = w.Child<QTimer>("LiveTimer");
  auto* chart = w.Child<widgets::LineChart>("LiveChart");
  w.Click("LiveCheck");
  EXPECT_TRUE(live->isChecked());
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 50);
  ASSERT_TRUE(QTest::qWaitFor([&] { return chart->Series().at(0)->count() >= 42; }, 60000));

  const auto& series = chart->Series();  // x, y, z, magnitude, threshold
  ASSERT_EQ(series.size(), 5u);
  const auto x = series[0]->points(), y = series[1]->points(), m = series[3]->points();
  EXPECT_EQ(x[0].y(), 0);
  EXPECT_EQ(y[0].y(), 8);
  EXPECT_EQ(x[29].y(), 9) << "the top of the swing";
  EXPECT_EQ(x[40].y(), -31) << "the clash";
  EXPECT_EQ(y[40].y(), 24);
  EXPECT_EQ(m[40].y(), 41);
  EXPECT_LT(x.front().x(), x.back().x());
  EXPECT_EQ(series[3]->points().back().x(), 0) << "the newest reading at 0 s";

  auto* threshold = series[4];
  EXPECT_EQ(threshold->at(0).y(), 10);
  auto* slider = w.Child<QSlider>("ImpactThresholdSlider");
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(threshold->at(0).y(), 11);
  EXPECT_EQ(threshold->at(1).y(), 11);

  // Sending the values restarts the board: polling ends; ticked again, it
  // starts afresh.
  w.Click("SendCmdBtn");
  EXPECT_EQ(w.Codes().back(), devlink::cmdGetAccParam) << "sent, restarted, read back";
  EXPECT_FALSE(live->isChecked());
  EXPECT_FALSE(timer->isActive());
  w.Click("LiveCheck");
  EXPECT_TRUE(live->isChecked());
  ASSERT_TRUE(QTest::qWaitFor([&] { return chart->Series().at(0)->count() >= 1; }, 30000));
  EXPECT_LT(chart->Series().at(0)->count(), 42) << "the plot starts afresh";

  w.Click("CloseCfgBtn");
  EXPECT_FALSE(live->isChecked());
  EXPECT_FALSE(timer->isActive());
  const size_t polls = w.Polls();
  QTest::qWait(300);
  EXPECT_EQ(w.Polls(), polls) << "no poll after the panel closed";
  EXPECT_TRUE(w.dialogs.messages.empty());
}

// Unplugged while polling: offline, the switch off and unavailable, and no
// message about a board that does not answer.
TEST(DownloadWindow, LiveSensorStopsWhenTheBoardGoes) {
  Window w("sound");
  w.Show();
  w.Click("ConfigBtn");
  auto* live = w.Child<QCheckBox>("LiveCheck");
  w.Click("LiveCheck");
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Polls() >= 3; }, 30000));
  w.firmware->Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !live->isChecked(); }, 30000));
  EXPECT_FALSE(w.main->Lifecycle().LS_ONLINE());
  EXPECT_FALSE(w.Child<QTimer>("LiveTimer")->isActive());
  EXPECT_FALSE(live->isEnabled());
  EXPECT_TRUE(w.dialogs.messages.empty());

  w.firmware->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.main->Lifecycle().LS_ONLINE(); }, 30000));
  EXPECT_TRUE(live->isEnabled());
  EXPECT_FALSE(live->isChecked()) << "polling starts only when asked";
}

// A board without live values: one message, the switch off, and nothing
// else - the board stays online and the panel as it was.
TEST(DownloadWindow, LiveSensorOnABoardThatDoesNotAnswer) {
  Window w("sound,no-acc");
  w.Show();
  w.Click("ConfigBtn");
  auto* live = w.Child<QCheckBox>("LiveCheck");
  w.Click("LiveCheck");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !live->isChecked(); }, 30000));
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text, motion::kNoLiveValues);
  EXPECT_EQ(w.dialogs.messages[0].buttons, seams::DialogButtons::Ok);
  EXPECT_TRUE(w.main->Lifecycle().LS_ONLINE());
  EXPECT_TRUE(live->isEnabled());
  EXPECT_TRUE(w.Enabled("ConfigBtn"));
  EXPECT_TRUE(w.Child<QGroupBox>("ConfigFrame")->isVisibleTo(w.main.get()));
  QTest::qWait(300);
  EXPECT_EQ(w.Polls(), 1u) << "one try";
  EXPECT_EQ(w.Codes().back(), devlink::cmdGetACC) << "nothing sent after it";
  EXPECT_EQ(w.dialogs.messages.size(), 1u);
}

// A download lets window events run between its commands; no poll gets in
// between them, and the switch goes off when the download starts.
TEST(DownloadWindow, LiveSensorNeverPollsDuringADownload) {
  Window w("sound,erase-ms=300");
  w.Fill();
  w.Show();
  w.Click("ConfigBtn");
  auto* live = w.Child<QCheckBox>("LiveCheck");
  w.Click("LiveCheck");
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Polls() >= 2; }, 30000));
  w.Click("SendBtn");
  EXPECT_EQ(w.Text("InfoLabel"), "SUCCESS !");
  EXPECT_FALSE(live->isChecked());

  const auto lines = w.LogLines();
  const size_t none = lines.size();
  size_t firstPoll = none, lastPoll = none, firstDownload = none;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("W 28", 0) == 0) {  // GetACC: its two answers come right after it
      if (firstPoll == none) firstPoll = i;
      lastPoll = i;
      ASSERT_LT(i + 2, lines.size());
      EXPECT_EQ(lines[i + 1].substr(0, 2), "R ");
      EXPECT_EQ(lines[i + 2].substr(0, 2), "R ");
    }
    // The download starts by reading the motion values (GetAccParam).
    if (lines[i].rfind("W 29", 0) == 0 && firstPoll != none && firstDownload == none)
      firstDownload = i;
  }
  ASSERT_LT(firstDownload, lines.size());
  EXPECT_LT(lastPoll, firstDownload) << "no GetACC inside the download";
  EXPECT_EQ(w.Codes().back(), devlink::cmdReset);
}

}  // namespace
