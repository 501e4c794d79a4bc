// The connection's life without a window: start-up with and without a
// board, each kind of board, serial-number retries, unplug and re-plug.

#include <gtest/gtest.h>

#include <map>

#include "session/ConnectionLifecycle.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScriptedBus.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/BoardDescriptor.h"
#include "virtualboard/VirtualBoardBus.h"

using session::ImageButton;

namespace {

class RecordingView : public session::ConnectionView {
 public:
  void SetOnlinePicture(bool on) override { online = on; }
  void SetSNLabel(const std::string& text) override { sn = text; }
  void EnableButton(ImageButton b, bool enabled) override { buttons[b] = enabled; }
  void ShowLedPanel(bool visible) override { ledPanel = visible; }
  void StartGoOnlineTimer(int ms) override { timerMs = ms; }
  void StopGoOnlineTimer() override { timerMs = 0; }
  void SetMemorySize(int samples) override { memory = samples; }
  void ReadAccData() override { ++accReads; }
  void EnableLedPanel(bool on) override { ledEnables.push_back(on); }
  bool InitLedDrivers() override { return ledCatalogueOk; }

  bool online = false, ledPanel = false, ledCatalogueOk = true;
  std::string sn = "untouched";
  std::map<ImageButton, bool> buttons;
  int timerMs = -1, memory = 0, accReads = 0;
  std::vector<bool> ledEnables;
};

struct Fixture {
  explicit Fixture(const std::string& spec, bool plugged = true)
      : board(virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec(spec))),
        life(*board.agent, view, dialogs) {
    if (!plugged) board.firmware->Unplug();
    log = testing_support::UniqueTempPath("lifecycle") + ".log";
    board.agent->LogFile = log;
    board.agent->Logging = true;
  }
  // Command codes written to the board, from the HID log.
  std::vector<int> Commands() { return testing_support::HidCommandCodes(log); }

  virtualboard::VirtualBoard board;
  RecordingView view;
  testing_support::ScriptedDialogs dialogs;
  session::ConnectionLifecycle life;
  std::string log;
};

TEST(Lifecycle, StartupWithoutBoardAsksToWorkOffline) {
  for (auto answer : {seams::DialogResult::Ok, seams::DialogResult::Cancel}) {
    Fixture f("sound", false);
    f.dialogs.answers.push_back(answer);
    EXPECT_EQ(f.life.ConnectAtStartup(), answer == seams::DialogResult::Ok);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_EQ(f.dialogs.messages[0].text,
              "A connection with DudedAvori could not be established.\r\n Press OK to work "
              "offline or Cancel to exit the application");
    EXPECT_EQ(f.dialogs.messages[0].buttons, seams::DialogButtons::OkCancel);
    EXPECT_EQ(f.dialogs.messages[0].icon, seams::DialogIcon::None);
    EXPECT_FALSE(f.life.LS_ONLINE());
    EXPECT_EQ(f.view.timerMs, 1000);
    EXPECT_EQ(f.view.ledEnables, std::vector<bool>{false});
    EXPECT_TRUE(f.view.buttons[ImageButton::LoadBtn]);
    EXPECT_FALSE(f.view.buttons[ImageButton::SendBtn]);
  }
}

TEST(Lifecycle, SoundBoardGoesOnline) {
  Fixture f("usb2,fw=292,sn=0A1B2C3D");
  ASSERT_TRUE(f.life.ConnectAtStartup());
  EXPECT_TRUE(f.dialogs.messages.empty());
  EXPECT_TRUE(f.life.LS_ONLINE());
  EXPECT_TRUE(f.view.online);
  EXPECT_EQ(f.view.timerMs, 0);
  EXPECT_EQ(f.view.sn, "Kestrane USB2 Serial Number: 0A1B2C3D");
  EXPECT_EQ(f.life.FW_VERSION(), 292);
  EXPECT_EQ(f.life.DEVICE_TYPE(), 0);
  EXPECT_EQ(f.view.memory, 2793120);
  EXPECT_EQ(f.view.accReads, 1);
  EXPECT_FALSE(f.view.ledPanel);
  for (auto b : {ImageButton::LoadBtn, ImageButton::SaveBtn, ImageButton::ConfigBtn,
                 ImageButton::SendBtn, ImageButton::UpdateBtn})
    EXPECT_TRUE(f.view.buttons[b]);
}

TEST(Lifecycle, LargeBoardSetsTheCapacity) {
  Fixture f("sound64,split");
  ASSERT_TRUE(f.life.ConnectAtStartup());
  EXPECT_EQ(f.life.DeviceLinks().Count(), 1u);
  EXPECT_EQ(f.view.memory, 5589300);
  EXPECT_EQ(f.view.sn.rfind("Kestrane USB 64 Serial Number: ", 0), 0u);
}

TEST(Lifecycle, LedDriverShowsItsPanel) {
  Fixture f("led");
  ASSERT_TRUE(f.life.ConnectAtStartup());
  EXPECT_TRUE(f.life.LS_ONLINE());
  EXPECT_EQ(f.life.DEVICE_TYPE(), 1);
  EXPECT_TRUE(f.view.ledPanel);
  EXPECT_EQ(f.view.ledEnables, (std::vector<bool>{true, true}));
  EXPECT_EQ(f.view.memory, 0);  // capacity unchanged
  EXPECT_EQ(f.view.accReads, 0);
  for (auto b : {ImageButton::ConfigBtn, ImageButton::SendBtn, ImageButton::UpdateBtn})
    EXPECT_FALSE(f.view.buttons[b]);
}

TEST(Lifecycle, InvalidLedCatalogueGoesOffline) {
  Fixture f("led");
  f.view.ledCatalogueOk = false;
  f.life.ConnectAtStartup();
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].text,
            "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !");
  EXPECT_EQ(f.dialogs.messages[0].icon, seams::DialogIcon::Critical);
  EXPECT_FALSE(f.life.LS_ONLINE());
  EXPECT_EQ(f.view.sn, "");
  EXPECT_EQ(f.view.ledEnables.back(), false);
}

// Two boards: A, an LED driver the window cannot work with, and B. After
// A's failure the retry leaves A alone and brings B online as the first link.
TEST(Lifecycle, RetryPassesOverARefusedBoard) {
  auto s = testing_support::MakeScriptedAgent();
  auto& a = s.bus->Add("a", devlink::kBoardVID, devlink::kBoardPID,
                       virtualboard::BoardReportDescriptor());
  auto& b = s.bus->Add("b", devlink::kBoardVID, devlink::kBoardPID,
                       virtualboard::BoardReportDescriptor());
  a.answers = {{1, 0}, {0x12, 0x34}, {0x56, 0x78}};  // GetID 256, GetSN
  RecordingView view;
  testing_support::ScriptedDialogs dialogs;
  session::ConnectionLifecycle life(*s.agent, view, dialogs);
  view.ledCatalogueOk = false;
  ASSERT_TRUE(life.ConnectAtStartup());
  ASSERT_EQ(life.DeviceLinks().Count(), 2u);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_FALSE(life.LS_ONLINE());

  const size_t toA = a.written.size();
  life.GoOnlineTimerTick();  // B says nothing yet
  EXPECT_FALSE(life.LS_ONLINE());
  b.answers = {{0xAB, 0xCD}, {0x00, 0x01}, {0, 0}, {0xAB, 0xCD}, {0x00, 0x01}};
  life.GoOnlineTimerTick();  // GetSN answers: GetID 0, GetSN
  EXPECT_TRUE(life.LS_ONLINE());
  EXPECT_EQ(view.sn, "Kestrane USB Serial Number: ABCD0001");
  EXPECT_EQ(a.written.size(), toA);
  EXPECT_EQ(life.DeviceLinks().First()->Reset(), true);
  EXPECT_EQ(b.written.back().second[0], devlink::cmdReset);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(Lifecycle, SerialNumberIsAskedTwice) {
  Fixture once("sound,no-sn=1,sn=12345678");
  once.life.ConnectAtStartup();
  EXPECT_TRUE(once.life.LS_ONLINE());
  EXPECT_EQ(once.view.sn, "Kestrane USB Serial Number: 12345678");

  Fixture twice("sound,no-sn=2");
  twice.life.ConnectAtStartup();
  EXPECT_FALSE(twice.life.LS_ONLINE());
  EXPECT_EQ(twice.view.sn, "");
  EXPECT_EQ(twice.view.timerMs, 1000);
  EXPECT_TRUE(twice.dialogs.messages.empty());                  // no message for this one
  EXPECT_EQ(twice.Commands(), (std::vector<int>{3, 1, 1, 0}));  // GetID, GetSN x2, Reset

  // The next tick asks again, and this time the board answers.
  twice.life.GoOnlineTimerTick();
  EXPECT_TRUE(twice.life.LS_ONLINE());
}

TEST(Lifecycle, UnplugGoesOfflineAndReplugComesBack) {
  Fixture f("sound");
  f.life.ConnectAtStartup();
  ASSERT_TRUE(f.life.LS_ONLINE());
  f.board.firmware->Unplug();
  f.board.agent->ProcessEvents();
  EXPECT_FALSE(f.life.LS_ONLINE());
  EXPECT_TRUE(f.life.DeviceLinks().Empty());
  const size_t sent = f.Commands().size();
  f.life.GoOnlineTimerTick();  // no link: quiet
  EXPECT_EQ(f.Commands().size(), sent);
  EXPECT_FALSE(f.life.LS_ONLINE());

  f.board.firmware->Plug();
  f.board.agent->ProcessEvents();  // arrival: the search binds a new link
  EXPECT_EQ(f.life.DeviceLinks().Count(), 1u);
  EXPECT_FALSE(f.life.LS_ONLINE());
  f.life.GoOnlineTimerTick();
  EXPECT_TRUE(f.life.LS_ONLINE());
}

TEST(Lifecycle, NoSearchWhileStartupRuns) {
  Fixture f("sound", false);
  f.life.SetUpHidAgent();
  f.life.startupInProgress = true;
  f.board.firmware->Plug();
  f.board.agent->ProcessEvents();
  EXPECT_TRUE(f.life.DeviceLinks().Empty());
  f.life.startupInProgress = false;
  f.board.firmware->Unplug();
  f.board.agent->ProcessEvents();
  f.board.firmware->Plug();
  f.board.agent->ProcessEvents();
  EXPECT_EQ(f.life.DeviceLinks().Count(), 1u);
}

TEST(Lifecycle, ExitSaysByeThenStops) {
  Fixture f("sound");
  f.life.ConnectAtStartup();
  f.life.Exit();
  EXPECT_EQ(f.Commands().back(), 7);
  Fixture none("sound", false);
  none.life.SetUpHidAgent();
  none.life.Exit();  // no link: nothing to say, no failure
  EXPECT_TRUE(none.Commands().empty());
}

}  // namespace
