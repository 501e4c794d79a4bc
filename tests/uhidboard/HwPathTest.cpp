// The real HID path: morvane-cli and the window's connection logic, with
// their hidapi backend, against morvane-uhid-board through the kernel's
// uhid and hidraw. Runs as root in a throwaway guest (guest-run), where
// /dev/uhid exists and the boards made here are the only HID devices.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "devlink/HidapiBus.h"
#include "session/ConnectionLifecycle.h"
#include "tests/cli/RunCli.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using cli_test::RunCli;

using testing_support::ReadBytes;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int HidrawNodes() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/sys/class/hidraw")) ++n;
  return n;
}

// morvane-uhid-board as a child process: a board plugged in until Stop.
class UhidBoard {
 public:
  // Starts the board and waits until it says "ready" (the host can find it).
  explicit UhidBoard(const std::string& spec) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      execl(UHID_BOARD, UHID_BOARD, spec.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    std::string said;
    pollfd p{out[0], POLLIN, 0};
    char c;
    while (said != "ready\n" && poll(&p, 1, 20000) == 1 && read(out[0], &c, 1) == 1) said += c;
    close(out[0]);
    ready_ = said == "ready\n";
  }
  ~UhidBoard() { Stop(); }
  UhidBoard(const UhidBoard&) = delete;
  UhidBoard& operator=(const UhidBoard&) = delete;

  bool Ready() const { return ready_; }
  // Unplugs the board (SIGTERM) and returns its exit status.
  int Stop() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    return Wait();
  }
  // The exit status once the board ended by itself; -1 when it was still
  // running after `limit` (it is killed then).
  int Wait(std::chrono::seconds limit = std::chrono::seconds(10)) {
    if (pid_ <= 0) return status_;
    const auto deadline = Clock::now() + limit;
    int st = 0;
    while (waitpid(pid_, &st, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &st, 0);
        pid_ = -1;
        return status_ = -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    return status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  bool ready_ = false;
};

class HwPath : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists("/dev/uhid")) << "run through tests/uhidboard/guest-run";
    ASSERT_EQ(HidrawNodes(), 0) << "a board of another test is still plugged in";
  }

  // A configuration with one file in each category and a few in the lists;
  // the odd sizes make short blocks. About `blocks` flash blocks in all.
  std::string Configuration(int blocks = 24) {
    const char* sections[] = {"BOOT",     "PWRON",    "PWROFF",  "IDLE",
                              "MOTION-2", "IMPACT-1", "LOCKUP-1"};
    const size_t samples = size_t(blocks) * 1024 * 2 / 3 / 8;  // 8 files, 1.5 bytes a sample
    std::string text;
    unsigned seed = 0;
    for (const char* section : sections) {
      text += std::string(section) + "\r\n";
      const int files = section == std::string("MOTION-2") ? 2 : 1;
      for (int i = 0; i < files; ++i) {
        const std::string path = dir.Path("s" + std::to_string(++seed) + ".lsu");
        sound_test::WriteLsu(path, sound_test::Samples(samples + seed * 37, 9000, seed));
        text += path + "\r\n100\r\n";
      }
    }
    testing_support::WriteBytes(dir.Path("sounds.lscfg"), text);
    return dir.Path("sounds.lscfg");
  }

  testing_support::TempFolder dir;
  const std::string flash = dir.Path("flash.bin");
  const std::string log = dir.Path("hid.log");
};

TEST_F(HwPath, InfoForASoundBoardAndAnLedDriver) {
  {
    UhidBoard board("usb2,fw=292,sn=0A1B2C3D");
    ASSERT_TRUE(board.Ready());
    const auto r = RunCli("--hid-log " + log + " info");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "Kestrane USB2 Serial Number: 0A1B2C3D\nfirmware: 292\ncapacity: 2793120\ntype: sound\n");
    // Reports as the descriptor read from the kernel defines them: 1028
    // bytes written per command, 2 read per answer.
    const std::vector<std::string> hid = testing_support::HidLogLines(log);
    ASSERT_GE(hid.size(), 3u);
    EXPECT_EQ(hid[0], "W 03" + std::string(2 * 1027, '0'));
    EXPECT_EQ(hid[1], "R 1124");
    EXPECT_TRUE(hid[2].starts_with("W 01")) << hid[2];
    EXPECT_EQ(board.Stop(), 0);
  }
  UhidBoard led("led,ledcode=3,sn=00C0FFEE");
  ASSERT_TRUE(led.Ready());
  const auto r = RunCli("info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Kestrane LED Driver Serial Number: 00C0FFEE\n")) << r.out;
  EXPECT_TRUE(r.out.ends_with("type: led\n")) << r.out;
  const auto leds = RunCli("led info");
  EXPECT_EQ(leds.status, 0) << leds.err;
  EXPECT_FALSE(leds.out.empty());
}

// The erase takes a while: its completion answer must come by itself while
// the host waits, as a real board's does.
TEST_F(HwPath, DownloadLeavesWhatImageWrites) {
  std::string before(50000, '\x5A');
  before.replace(0, 6, "\x07\x09\x15\x21\x2C\x37");
  testing_support::WriteBytes(flash, before);
  UhidBoard board("sound,erase-ms=300,flash=" + flash);
  ASSERT_TRUE(board.Ready());

  const std::string config = Configuration();
  const auto r = RunCli("--hid-log " + log + " download " + config + " --verify");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SUCCESS !\n");
  EXPECT_EQ(testing_support::HidTimeouts(log), 0) << "every answer came at the first read";
  ASSERT_EQ(board.Stop(), 0);

  const auto image = RunCli("image " + config + " -o " + dir.Path("image.bin"));
  ASSERT_EQ(image.status, 0) << image.err;
  const std::string expected = ReadBytes(dir.Path("image.bin"));
  const std::string written = ReadBytes(flash);
  ASSERT_EQ(written.size(), size_t(4) << 20);
  ASSERT_GT(expected.size(), size_t(20000));
  EXPECT_EQ(written.substr(0, 6), before.substr(0, 6)) << "motion values kept across the erase";
  EXPECT_TRUE(written.compare(6, expected.size() - 6, expected, 6) == 0);
  EXPECT_EQ(written.find_first_not_of('\xFF', expected.size()), std::string::npos);
}

TEST_F(HwPath, MotionGetAndSet) {
  UhidBoard board("usb2,flash=" + flash);
  ASSERT_TRUE(board.Ready());
  auto r = RunCli("motion get");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "MotionTh 180\nMotionDeb 2\nImpactTh 10\nImpactDeb 50\nImpactTm 125\nFOCTime 13\n");

  const std::string changed =
      "MotionTh 200\nMotionDeb 2\nImpactTh 10\nImpactDeb 50\nImpactTm 125\nFOCTime 250\n";
  r = RunCli("motion set MotionTh=200 FOCTime=300");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, changed);
  EXPECT_EQ(RunCli("motion get").out, changed) << "kept by the board";
  ASSERT_EQ(board.Stop(), 0);
  EXPECT_EQ(ReadBytes(flash).substr(0, 6), std::string("\xC8\x02\x0A\x32\x7D\xFA", 6));
}

TEST_F(HwPath, BoardUnpluggedMidDownloadEndsInConnectionLost) {
  // Commands 1 to 4 read the motion values and erase; blocks from 5 on.
  UhidBoard board("sound,erase-ms=0,unplug=12");
  ASSERT_TRUE(board.Ready());
  const auto started = Clock::now();
  const auto r = RunCli("download " + Configuration());
  EXPECT_EQ(r.status, 1) << "124 is a hang\n" << r.err;
  EXPECT_TRUE(Contains(r.err, "Connection lost")) << r.err;
  EXPECT_FALSE(Contains(r.out, "SUCCESS"));
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(board.Wait(), 0) << "the board ends once it is unplugged";
  EXPECT_EQ(HidrawNodes(), 0) << "the host saw the device go";
}

TEST_F(HwPath, SplitBoardIsOneCompleteLink) {
  UhidBoard board("usb2,split,sn=5EB17000");
  ASSERT_TRUE(board.Ready());
  EXPECT_EQ(HidrawNodes(), 2);
  auto r = RunCli("info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("Kestrane USB2 Serial Number: 5EB17000\nfirmware: 293\n")) << r.out;
  r = RunCli("motion get");  // six answers, all from the second interface
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("MotionTh 180\n")) << r.out;
}

// The window's connection logic: started without a board, it works
// offline; a board plugged in later is found by the agent's look at the bus
// (every 250 ms in the window) and the go-online timer, and one unplugged
// is let go.
class OnlineView : public session::ConnectionView {
 public:
  void SetOnlinePicture(bool on) override { online = on; }
  void SetSNLabel(const std::string& text) override { sn = text; }
  void EnableButton(session::ImageButton, bool) override {}
  void ShowLedPanel(bool) override {}
  void StartGoOnlineTimer(int) override {}
  void StopGoOnlineTimer() override {}
  void SetMemorySize(int) override {}

  bool online = false;
  std::string sn;
};

TEST_F(HwPath, BoardPluggedInLaterIsFound) {
  auto agent = devlink::MakeHidapiAgent();
  OnlineView view;
  testing_support::ScriptedDialogs dialogs;
  dialogs.answers.push_back(seams::DialogResult::Ok);  // work offline
  session::ConnectionLifecycle life(*agent, view, dialogs);
  ASSERT_TRUE(life.ConnectAtStartup());
  ASSERT_FALSE(life.LS_ONLINE());
  ASSERT_EQ(dialogs.messages.size(), 1u);

  const auto until = [&](bool online) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      agent->ProcessEvents();
      life.GoOnlineTimerTick();
      if (life.LS_ONLINE() == online) return true;
    }
    return false;
  };
  {
    UhidBoard board("usb2,sn=12345678");
    ASSERT_TRUE(board.Ready());
    ASSERT_TRUE(until(true));
    EXPECT_TRUE(view.online);
    EXPECT_EQ(view.sn, "Kestrane USB2 Serial Number: 12345678");
    EXPECT_EQ(life.FW_VERSION(), 293);
  }
  ASSERT_TRUE(until(false)) << "unplugged";
  EXPECT_FALSE(view.online);
  EXPECT_EQ(view.sn, "");

  UhidBoard led("led,sn=0000BEEF");  // another board in the same port
  ASSERT_TRUE(led.Ready());
  ASSERT_TRUE(until(true));
  EXPECT_EQ(view.sn, "Kestrane LED Driver Serial Number: 0000BEEF");
  EXPECT_EQ(life.DEVICE_TYPE(), devlink::kLedDriver);
  life.Exit();
}

}  // namespace
