// The main window on the virtual board, driven by control names.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <chrono>
#include <filesystem>

#include "app/Main.h"
#include "tests/support/Controls.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/BoardSpec.h"
#include "virtualboard/VirtualBoardBus.h"

namespace {

struct Window {
  // readTimeOutMs: how long the agent waits for an answer (0: its default).
  explicit Window(const std::string& spec, bool plugged = true, int readTimeOutMs = 0,
                  bool realHelpViewer = false) {
    session::FrontEndOptions o;
    o.virtualBoard = spec;
    log = testing_support::UniqueTempPath("main_window") + ".log";
    o.hidLog = log;
    app::MainOptions m;
    m.appFolder = APP_FOLDER;
    m.board = session::MakeBoardAgent(o);
    firmware = m.board.firmware;
    if (readTimeOutMs) m.board.agent->TimeOut = readTimeOutMs;
    if (!plugged) firmware->Unplug();
    m.dialogs = &dialogs;
    if (!realHelpViewer) m.openHelp = [this](const QString& path) { helpOpened = path; };
    main = std::make_unique<app::Main>(std::move(m));
    // Connected after the window's own slot: counts retry ticks that ended.
    QObject::connect(Child<QTimer>("GoOnlineTimer"), &QTimer::timeout, [this] { ++ticks; });
  }
  // Lets the window run until `n` retry ticks have ended in all.
  bool WaitForTicks(int n) {
    return QTest::qWaitFor([&] { return ticks >= n; }, 60000);
  }
  template <typename W>
  W* Child(const char* name) {
    return testing_support::Control<W>(*main, name);
  }
  QString Picture(const char* name) { return Child<QWidget>(name)->property("picture").toString(); }

  testing_support::ScriptedDialogs dialogs;
  std::shared_ptr<virtualboard::BoardFirmware> firmware;
  std::unique_ptr<app::Main> main;
  std::string log;
  QString helpOpened;
  int ticks = 0;
};

using testing_support::HidLogLines;

// "W " and the command code of every command report: "W 03", "W 01", ...
std::vector<std::string> WrittenCodes(const std::string& log) {
  std::vector<std::string> writes;
  for (const std::string& hex : testing_support::HidWrites(log))
    writes.push_back("W " + hex.substr(0, 2));
  return writes;
}

TEST(MainWindow, OnlineWithASoundBoard) {
  Window w("usb2,fw=292,sn=0A1B2C3D");
  ASSERT_TRUE(w.main->Startup());
  EXPECT_EQ(w.main->windowTitle(), "Taldrix Kestrane Launcher v2.2.2 ");
  EXPECT_EQ(w.Child<QLabel>("SNLabel")->text(), "Kestrane USB2 Serial Number: 0A1B2C3D");
  EXPECT_EQ(w.Picture("OnlinePicture"), "on");
  for (const char* b : {"LoadBtn", "SaveBtn", "ConfigBtn", "SendBtn", "UpdateBtn"}) {
    EXPECT_TRUE(w.Child<QToolButton>(b)->isEnabled()) << b;
    EXPECT_EQ(w.Picture(b), "on") << b;
    EXPECT_FALSE(w.Child<QToolButton>(b)->icon().isNull()) << b;
  }
  EXPECT_FALSE(w.Child<QGroupBox>("frmLED")->isVisibleTo(w.main.get()));
  EXPECT_FALSE(w.Child<QGroupBox>("DownloadFrame")->isVisibleTo(w.main.get()));
  EXPECT_TRUE(w.Child<QWidget>("BootOption")->property("checked").toBool());
  EXPECT_FALSE(w.Child<QTimer>("GoOnlineTimer")->isActive());
}

TEST(MainWindow, LedDriverDisablesTheSoundButtons) {
  Window w("led");
  ASSERT_TRUE(w.main->Startup());
  EXPECT_TRUE(w.Child<QGroupBox>("frmLED")->isVisibleTo(w.main.get()));
  for (const char* b : {"ConfigBtn", "SendBtn", "UpdateBtn"}) {
    EXPECT_FALSE(w.Child<QToolButton>(b)->isEnabled()) << b;
    EXPECT_EQ(w.Picture(b), "off") << b;
  }
  EXPECT_TRUE(w.Child<QToolButton>("LoadBtn")->isEnabled());
}

// Two virtual boards on one bus, one plugged in at a time: the board on the
// USB port changes its kind between two connections.
class TwoBoardBus : public devlink::HidBus {
 public:
  TwoBoardBus(std::shared_ptr<virtualboard::BoardFirmware> a,
              std::shared_ptr<virtualboard::BoardFirmware> b)
      : a_(a), b_(b), busA_(a), busB_(b) {}
  std::vector<devlink::HidDeviceInfo> Enumerate() override {
    return a_->Present() ? busA_.Enumerate() : busB_.Enumerate();
  }
  std::unique_ptr<devlink::HidPort> Open(const devlink::HidDeviceInfo& info) override {
    return a_->Present() ? busA_.Open(info) : busB_.Open(info);
  }

 private:
  std::shared_ptr<virtualboard::BoardFirmware> a_, b_;
  virtualboard::VirtualBoardBus busA_, busB_;
};

TEST(MainWindow, ABoardOfAnotherKindAfterReplugging) {
  auto sound =
      std::make_shared<virtualboard::BoardFirmware>(virtualboard::ParseBoardSpec("sound64"));
  auto led =
      std::make_shared<virtualboard::BoardFirmware>(virtualboard::ParseBoardSpec("led,ledcode=10"));
  led->Unplug();
  testing_support::ScriptedDialogs dialogs;
  app::MainOptions m;
  m.appFolder = APP_FOLDER;
  m.board.agent = std::make_unique<devlink::ReportAgent>(std::make_unique<TwoBoardBus>(sound, led));
  m.dialogs = &dialogs;
  m.openHelp = [](const QString&) {};
  app::Main main(std::move(m));
  ASSERT_TRUE(main.Startup());
  const auto child = [&](const char* name) {
    return testing_support::Control<QWidget>(main, name);
  };
  EXPECT_FALSE(child("frmLED")->isVisibleTo(&main));
  EXPECT_TRUE(child("SendBtn")->isEnabled());

  sound->Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.Lifecycle().DeviceLinks().Empty(); }, 30000));
  led->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.Lifecycle().LS_ONLINE(); }, 30000));
  EXPECT_TRUE(child("frmLED")->isVisibleTo(&main));
  for (const char* b : {"ConfigBtn", "SendBtn", "UpdateBtn"})
    EXPECT_FALSE(child(b)->isEnabled()) << b;
  EXPECT_TRUE(child("LoadBtn")->isEnabled());
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.at(0).text;
  EXPECT_EQ(testing_support::Control<QLabel>(main, "SNLabel")->text().left(35),
            "Kestrane LED Driver Serial Number: ");

  // And back to a sound board.
  led->Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.Lifecycle().DeviceLinks().Empty(); }, 30000));
  EXPECT_FALSE(child("btnSendPulse")->isEnabled());
  sound->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.Lifecycle().LS_ONLINE(); }, 30000));
  EXPECT_FALSE(child("frmLED")->isVisibleTo(&main));
  for (const char* b : {"LoadBtn", "SaveBtn", "ConfigBtn", "SendBtn", "UpdateBtn"})
    EXPECT_TRUE(child(b)->isEnabled()) << b;
  EXPECT_TRUE(testing_support::Control<QLabel>(main, "SNLabel")
                  ->text()
                  .startsWith("Kestrane USB 64 Serial Number: "));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(MainWindow, OfflineStartupAndCancel) {
  Window ok("sound", false);
  ok.dialogs.answers.push_back(seams::DialogResult::Ok);
  ASSERT_TRUE(ok.main->Startup());
  EXPECT_EQ(ok.Picture("OnlinePicture"), "off");
  EXPECT_EQ(ok.Child<QLabel>("SNLabel")->text(), "");
  EXPECT_TRUE(ok.Child<QTimer>("GoOnlineTimer")->isActive());
  EXPECT_EQ(ok.Child<QTimer>("GoOnlineTimer")->interval(), 1000);
  EXPECT_EQ(ok.Picture("SendBtn"), "off");
  EXPECT_TRUE(ok.Child<QToolButton>("SaveBtn")->isEnabled());

  // Plugged in later: found on the agent's next look, online at the next tick.
  ok.firmware->Plug();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return ok.main->Lifecycle().DeviceLinks().Count() == 1u; }, 30000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return ok.Picture("OnlinePicture") == "on"; }, 30000));

  Window cancel("sound", false);
  cancel.dialogs.answers.push_back(seams::DialogResult::Cancel);
  EXPECT_FALSE(cancel.main->Startup());
  EXPECT_FALSE(cancel.main->isVisible());
  EXPECT_FALSE(cancel.Child<QTimer>("GoOnlineTimer")->isActive());
}

TEST(MainWindow, AnLedDriverOutsideTheCatalogueIsNotRetriedUntilReplugged) {
  Window w("led,ledcode=999");
  ASSERT_TRUE(w.main->Startup());
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !");
  const size_t sent = testing_support::HidWrites(w.log).size();
  ASSERT_TRUE(w.WaitForTicks(3));
  EXPECT_EQ(w.dialogs.messages.size(), 1u);  // not again at every retry
  EXPECT_EQ(w.Picture("OnlinePicture"), "off");
  EXPECT_EQ(testing_support::HidWrites(w.log).size(), sent);  // the board is left alone
  EXPECT_TRUE(w.Child<QTimer>("GoOnlineTimer")->isActive());  // still looking

  // Unplugged and plugged in again, it is tried afresh.
  w.firmware->Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.main->Lifecycle().DeviceLinks().Empty(); }, 30000));
  w.firmware->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.dialogs.messages.size() == 2; }, 30000));
}

// A board that never gives its serial number: going online asks twice and
// resets it; after that, each retry tick asks for the serial number once
// and sends nothing else (no GetID, no Reset).
TEST(MainWindow, EachRetryAsksOnlyForTheSerialNumber) {
  Window w("sound,no-sn=1000000");
  ASSERT_TRUE(w.main->Startup());
  const std::vector<std::string> atStart = HidLogLines(w.log);
  const std::vector<std::string> writes = WrittenCodes(w.log);
  ASSERT_EQ(writes, (std::vector<std::string>{"W 03", "W 01", "W 01", "W 00"}));
  ASSERT_TRUE(w.WaitForTicks(3));
  const int ticks = w.ticks;
  const std::vector<std::string> log = HidLogLines(w.log);
  ASSERT_EQ(log.size(), atStart.size() + 2 * size_t(ticks));
  for (size_t i = atStart.size(); i < log.size(); i += 2) {
    EXPECT_EQ(log[i].substr(0, 4), "W 01") << "line " << i;
    EXPECT_EQ(log[i + 1], "R timeout") << "line " << i + 1;
  }
  EXPECT_EQ(w.Picture("OnlinePicture"), "off");
}

// A board that stays linked but never answers holds every retry for the
// read time-out (here 1.5 s, longer than the retry interval). The next
// retry starts a full interval after the previous one ended, and the window
// handles its own events in between: retries end about 1.5 s + 1 s
// apart (back to back they would end 1.5 s apart), and a timer standing for
// the window's own events fires between them. Only lower bounds on time are
// checked, which a busy machine cannot break.
TEST(MainWindow, ABoardThatNeverAnswersLeavesTheWindowTimeBetweenRetries) {
  using Clock = std::chrono::steady_clock;
  Window w("sound,silent", false, 1500);
  w.dialogs.answers.push_back(seams::DialogResult::Ok);
  ASSERT_TRUE(w.main->Startup());
  int events = 0;
  QTimer other;
  QObject::connect(&other, &QTimer::timeout, [&] { ++events; });
  other.start(20);
  std::vector<int> eventsAtTickEnd;
  std::vector<Clock::time_point> tickEnds;
  QObject::connect(w.Child<QTimer>("GoOnlineTimer"), &QTimer::timeout, &other, [&] {
    eventsAtTickEnd.push_back(events);
    tickEnds.push_back(Clock::now());
  });

  w.firmware->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.main->Lifecycle().DeviceLinks().Empty(); }, 30000));
  const int linkedAt = w.ticks;
  ASSERT_TRUE(w.WaitForTicks(linkedAt + 3));
  const std::vector<std::string> log = HidLogLines(w.log);
  EXPECT_GE(std::count(log.begin(), log.end(), "R timeout"), 3);  // each retry waited
  for (int i = linkedAt + 1; i < linkedAt + 3; ++i) {
    EXPECT_GE(tickEnds[i] - tickEnds[i - 1], std::chrono::milliseconds(2300))
        << "between retries " << i;
    EXPECT_GE(eventsAtTickEnd[i] - eventsAtTickEnd[i - 1], 1) << "between retries " << i;
  }
}

// A board plugged in while the window runs is bound from the agent's timer;
// this one fails in a way the variable layer reports as error 9999. The
// window shows the error and goes on.
TEST(MainWindow, AnErrorInATimerIsShownAndTheWindowGoesOn) {
  Window w("sound,bind-error", false);
  w.dialogs.answers.push_back(seams::DialogResult::Ok);
  ASSERT_TRUE(w.main->Startup());
  w.main->show();
  ASSERT_EQ(w.dialogs.messages.size(), 1u);  // no board: work offline?
  w.firmware->Plug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.dialogs.messages.size() == 2; }, 30000));
  EXPECT_EQ(w.dialogs.messages[1].text,
            "An unknown error has occurred!\n\nError 9999 in OneHidVar:Bind Method");
  EXPECT_EQ(w.dialogs.messages[1].icon, seams::DialogIcon::Critical);
  EXPECT_EQ(w.dialogs.messages[1].buttons, seams::DialogButtons::Ok);

  // Still running: the retries go on, the board is not bound, the error is
  // not repeated, and a click still works.
  ASSERT_TRUE(w.WaitForTicks(w.ticks + 2));
  EXPECT_TRUE(w.main->isVisible());
  EXPECT_TRUE(w.main->Lifecycle().DeviceLinks().Empty());
  EXPECT_EQ(w.dialogs.messages.size(), 2u);
  EXPECT_EQ(w.Picture("OnlinePicture"), "off");
  QTest::mouseClick(w.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  EXPECT_EQ(w.dialogs.fileRequests.size(), 1u);
}

// The same board already plugged in when the program starts: the error
// comes before the event loop runs. It is shown as the barrier shows it,
// and the window starts offline and goes on.
TEST(MainWindow, AnErrorAtStartUpIsShownAndTheWindowStartsOffline) {
  Window w("sound,bind-error");
  ASSERT_TRUE(w.main->Startup());
  w.main->show();
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(w.dialogs.messages[0].text,
            "An unknown error has occurred!\n\nError 9999 in OneHidVar:Bind Method");
  EXPECT_EQ(w.dialogs.messages[0].icon, seams::DialogIcon::Critical);
  EXPECT_EQ(w.dialogs.messages[0].buttons, seams::DialogButtons::Ok);
  EXPECT_EQ(w.Picture("OnlinePicture"), "off");
  EXPECT_EQ(w.Picture("SendBtn"), "off");
  EXPECT_TRUE(w.Child<QTimer>("GoOnlineTimer")->isActive());

  ASSERT_TRUE(w.WaitForTicks(w.ticks + 2));
  EXPECT_TRUE(w.main->isVisible());
  EXPECT_TRUE(w.main->Lifecycle().DeviceLinks().Empty());
  EXPECT_EQ(w.dialogs.messages.size(), 1u) << "the error is not repeated";
  QTest::mouseClick(w.Child<QToolButton>("SaveBtn"), Qt::LeftButton);
  EXPECT_EQ(w.dialogs.fileRequests.size(), 1u);
}

TEST(MainWindow, HintsFollowTheMouse) {
  Window w("sound");
  ASSERT_TRUE(w.main->Startup());
  w.main->resize(900, 500);
  w.main->show();
  auto* help = w.Child<QLabel>("HelpLabel");
  EXPECT_EQ(help->text(), "Press F1 for Help");
  testing_support::MoveMouseOver(w.Child<QWidget>("SendBtn"), {5, 5});
  EXPECT_EQ(help->text(), "DOWNLOAD Sound Files to Kestrane");
  testing_support::MoveMouseOver(w.Child<QWidget>("FileList"), {5, 5});  // no hint of its own
  EXPECT_EQ(help->text(), "DOWNLOAD Sound Files to Kestrane");
  testing_support::MoveMouseOver(w.Child<QWidget>("MainBackground"), {1, 1});
  EXPECT_EQ(help->text(), "Press F1 for help");
  testing_support::MoveMouseOver(w.Child<QWidget>("UpdateBtn"), {5, 5});
  EXPECT_EQ(help->text(), "UPDATE Sound Files (Requires Internet)");
}

// Real mouse moves through the window system over the window's empty
// areas: each is background and shows "Press F1 for help".
TEST(MainWindow, EveryEmptyAreaIsBackground) {
  Window w("sound");
  ASSERT_TRUE(w.main->Startup());
  w.main->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.main.get()));
  QWindow* window = w.main->windowHandle();
  auto at = [&](QWidget* from, QPoint p) { return from->mapTo(w.main.get(), p); };
  auto* sn = w.Child<QWidget>("SNLabel");
  auto* online = w.Child<QWidget>("OnlinePicture");
  auto* browser = w.Child<QWidget>("DiscFilesFrame");
  auto* categories = w.Child<QWidget>("Frame1");
  const QRect snBox = sn->geometry();
  const QPoint areas[] = {
      // below the serial label
      at(sn->parentWidget(), {snBox.left() + 5, snBox.bottom() + 8}),
      // between the serial label and the buttons
      at(sn->parentWidget(),
         {(snBox.right() + online->geometry().left()) / 2, online->geometry().center().y()}),
      // between the file browser and the category frame
      at(browser->parentWidget(),
         {(browser->geometry().right() + categories->geometry().left()) / 2,
          browser->geometry().center().y()}),
  };
  auto* help = w.Child<QLabel>("HelpLabel");
  for (const QPoint& p : areas) {
    QWidget* under = w.main->childAt(p);
    ASSERT_NE(under, nullptr);
    ASSERT_STREQ(under->metaObject()->className(), "QWidget") << "not an empty area";
    QTest::mouseMove(window, at(w.Child<QWidget>("SendBtn"), {5, 5}));
    ASSERT_EQ(help->text(), "DOWNLOAD Sound Files to Kestrane");
    QTest::mouseMove(window, p);
    EXPECT_EQ(help->text(), "Press F1 for help") << p.x() << "," << p.y();
  }
  // A control without a hint of its own still leaves the hint alone.
  QTest::mouseMove(window, at(w.Child<QWidget>("UpdateBtn"), {5, 5}));
  QTest::mouseMove(window, at(w.Child<QWidget>("FileList"), {20, 20}));
  EXPECT_EQ(help->text(), "UPDATE Sound Files (Requires Internet)");
}

TEST(MainWindow, F1OpensTheHelpFile) {
  Window w("sound");
  ASSERT_TRUE(w.main->Startup());
  EXPECT_EQ(w.main->HelpFile(), QString(APP_FOLDER) + "/morvane.chm");
  w.main->show();
  w.main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
  QTest::keyClick(w.main.get(), Qt::Key_F1);
  // The guide's page on the sound font, at adding files: the focus is in
  // the file browser at start.
  EXPECT_EQ(w.helpOpened, "building-a-font.html#adding");
}

TEST(MainWindow, ClosingSaysBye) {
  Window w("sound");
  ASSERT_TRUE(w.main->Startup());
  w.main->show();
  w.main->close();
  w.main->close();  // a second close says nothing more
  const std::vector<std::string> writes = WrittenCodes(w.log);
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.back(), "W 07");
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "W 07"), 1);
}

TEST(MainWindow, MissingBitmapsLeaveButtonsWithoutPictures) {
  session::FrontEndOptions o;
  o.virtualBoard = "sound";
  testing_support::ScriptedDialogs dialogs;
  app::MainOptions m;
  m.appFolder = QString::fromStdString(::testing::TempDir()) + "/no_bitmaps_here";
  m.board = session::MakeBoardAgent(o);
  m.dialogs = &dialogs;
  m.openHelp = [](const QString&) {};
  app::Main main(std::move(m));
  ASSERT_TRUE(main.Startup());
  EXPECT_TRUE(main.findChild<QToolButton*>("SendBtn")->isEnabled());
}

}  // namespace
