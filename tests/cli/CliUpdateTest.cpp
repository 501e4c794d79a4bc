// morvane-cli update as a user runs it: a copy of the program in a folder
// of its own (the fonts land beside it), the virtual board, font-server.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/Files.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFiles.h"
#include "tests/update/ScriptedHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateManager.h"

namespace {
// The copy of morvane-cli that each test runs.
std::string cliCopy;
}  // namespace
#define MORVANE_CLI cliCopy
#include "tests/cli/RunCli.h"

namespace {

namespace fs = std::filesystem;
using cli_test::RunCli;
using testing_support::Exists;
using testing_support::ReadBytes;
using testing_support::ScopedEnv;

struct CliUpdate : ::testing::Test {
  std::string app = testing_support::UniqueTempPath("cli_update_app");
  std::string root = testing_support::UniqueTempPath("cli_update_root");

  void SetUp() override {
    fs::create_directories(app);
    fs::create_directories(root);
    cliCopy = app + "/morvane-cli";
    std::error_code error;
    fs::create_hard_link(BUILT_MORVANE_CLI, cliCopy, error);
    if (error) fs::copy_file(BUILT_MORVANE_CLI, cliCopy);
  }
  void TearDown() override {
    fs::remove_all(app);
    fs::remove_all(root);
  }
};

TEST_F(CliUpdate, FetchesFontsBesideTheProgram) {
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu", "A2.lsu"});
  testing_support::FontServer server(root);
  cli_test::Run r =
      RunCli("--virtual-board sound,sn=0A1B2C3D update --update-host " + server.Host());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, update::FinalMessage(update::kUpdated, app + "/fonts") + "\n");
  for (const char* line :
       {"(1/3) Checking for updates\n", "  Retrieving item catalogue\n",
        "(3/3) Updating item: Alpha\n", "  Downloading: A2.lsu\n", "(3/3) Completed\n", "] 100%\n"})
    EXPECT_NE(r.err.find(line), std::string::npos) << line << " in " << r.err;
  EXPECT_EQ(ReadBytes(app + "/fonts/Alpha/A2.lsu"), std::string(3000, 'b'));
  EXPECT_TRUE(Exists(app + "/fonts/Alpha/fnt"));
  EXPECT_EQ(server.Log().front(), "POST / svc=gct&did=0A1B2C3D -> 200");

  // The environment names the service when the option does not.
  setenv("MORVANE_UPDATE_HOST", server.Host().c_str(), 1);
  r = RunCli("--virtual-board sound update");
  unsetenv("MORVANE_UPDATE_HOST");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, update::FinalMessage(update::kNoUpdates, app + "/fonts") + "\n");
  EXPECT_EQ(server.Log().size(), 5u);
}

// A copy in a folder that cannot be written (a shared folder, a read-only
// medium): the fonts go to the user's data folder, the final message says
// so, and the configuration written names the sound files there.
TEST_F(CliUpdate, ReadOnlyCopyFetchesIntoTheUsersDataFolder) {
  const std::string home = root + "_home";
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu", "A2.lsu"});
  testing_support::FontServer server(root);
  const ScopedEnv homeVar("HOME", home), data("XDG_DATA_HOME", nullptr);
  {
    const testing_support::ReadOnlyFolder readOnly(app);
    if (!readOnly.Holds()) GTEST_SKIP() << "this file system lets root write anywhere";
    const cli_test::Run r =
        RunCli("--virtual-board sound,sn=0A1B2C3D update --update-host " + server.Host());
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string fonts = home + "/.local/share/morvane/fonts";
    EXPECT_EQ(r.out, update::FinalMessage(update::kUpdated, fonts) + "\n");
    EXPECT_EQ(ReadBytes(fonts + "/Alpha/A2.lsu"), std::string(3000, 'b'));
    EXPECT_TRUE(Exists(fonts + "/Alpha/fnt"));
    EXPECT_NE(ReadBytes(fonts + "/Alpha/Alpha.lscfg").find(fonts + "/Alpha/A1.lsu\r\n"),
              std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(app), {}), 1) << "only the program itself";
  }
  fs::remove_all(home);
}

TEST_F(CliUpdate, WarningsAndRefusalsExitWithOne) {
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu"});
  testing_support::FontServer server(root);
  cli_test::Run r = RunCli("--virtual-board sound,no-sn=9 update --update-host " + server.Host());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("serial number"), std::string::npos) << r.err;

  r = RunCli("--virtual-board led update --update-host " + server.Host());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("LED driver"), std::string::npos) << r.err;
  EXPECT_TRUE(server.Log().empty());

  r = RunCli("--virtual-board sound update --update-host 127.0.0.1:1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(std::string("Warning! ") + update::kCatalogueFailed), std::string::npos)
      << r.err;
  EXPECT_FALSE(Exists(app + "/fonts/Alpha"));

  r = RunCli("--virtual-board sound update extra");
  EXPECT_EQ(r.status, 2);
}

// A display that is configured but cannot be reached (a stale DISPLAY over
// ssh or in cron) with the X11 platform asked for: morvane-cli and
// font-server work as ever, as neither starts a window system.
TEST_F(CliUpdate, NeedsNoWindowSystem) {
  if (fs::exists("/tmp/.X11-unix/X93")) GTEST_SKIP() << "display :93 exists here";
  const ScopedEnv display("DISPLAY", ":93"), platform("QT_QPA_PLATFORM", "xcb"),
      wayland("WAYLAND_DISPLAY", nullptr);
  testing_support::MakeServedFont(root, "Alpha", {"A1.lsu"});
  testing_support::FontServer server(root);
  auto r = RunCli("--virtual-board sound,sn=0A1B2C3D update --update-host " + server.Host());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Exists(app + "/fonts/Alpha/A1.lsu"));
  r = RunCli("--virtual-board sound info");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliUpdate, EndlessCatalogueEndsWithAWarningSoon) {
  // The service streams its catalogue without end: the update gives up a
  // little after the first megabyte instead of taking it all in.
  const std::string chunk = "10000\r\n" + std::string(1 << 16, 'F') + "\r\n";
  testing_support::ScriptedHttpServer server(
      {testing_support::ScriptedReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                      "19\r\nstatus:OK\r\nclientv:1\r\nF\r\n\r\n")
           .Then(chunk, 256u << 20)});
  const cli_test::Run r = RunCli("--virtual-board sound update --update-host " + server.Host());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(std::string("Warning! ") + update::kCatalogueFailed), std::string::npos)
      << r.err;
  EXPECT_LT(server.BytesSent(), 32u << 20);
}

TEST_F(CliUpdate, RepeatedContentLengthIsTheServicesFault) {
  const std::string header = "status:OK\r\nclientv:1\r\n";
  testing_support::ScriptedHttpServer server(
      {testing_support::HttpAnswer(header + "F"),
       testing_support::HttpAnswer(header + "BOOT\r\na.lsu\r\n 100 "),
       {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 4\r\n\r\nabcd", false}});
  const cli_test::Run r = RunCli("--virtual-board sound update --update-host " + server.Host());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(std::string("Warning! ") + update::kBadDownload), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("could not be saved"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(app + "/fonts/F/a.lsu"));
}

// Ctrl+C while a sound file arrives: the program ends as Ctrl+C ends it,
// and the part of the file that had arrived does not stay behind in the
// fonts folder as a hidden file.
TEST_F(CliUpdate, InterruptedDownloadLeavesNoPartOfTheFile) {
  const std::string header = "status:OK\r\nclientv:1\r\n";
  testing_support::ScriptedHttpServer server(
      {testing_support::HttpAnswer(header + "F"),
       testing_support::HttpAnswer(header + "BOOT\r\na.lsu\r\n 100 "),
       testing_support::ScriptedReply("HTTP/1.1 200 OK\r\nContent-Length: 60000000\r\n\r\n")
           .Then(std::string(64 << 10, 'a'), 60000000, std::chrono::milliseconds(50))});
  const std::string font = app + "/fonts/F";
  auto partArrived = [&](const cli_test::Run&) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(font, error))
      if (entry.path().filename().string().starts_with(".a.lsu.") && entry.file_size(error) > 0)
        return true;
    return false;
  };
  const cli_test::Run r = testing_support::RunAsTyped(
      cliCopy, "--virtual-board sound update --update-host " + server.Host(),
      {.timeoutSeconds = 120, .interruptWhen = partArrived});
  server.Stop();
  ASSERT_TRUE(r.interrupted) << r.err;
  EXPECT_FALSE(r.timedOut);
  EXPECT_TRUE(r.signal == SIGINT || r.status == 1) << r.status << " " << r.signal;
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(font)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"F.lscfg", "descriptor"}));
}

TEST_F(CliUpdate, NamesFromTheServiceCannotDriveTheTerminal) {
  // A font id with an 8-bit CSI (U+009B) is checked and shown; one with
  // escape sequences is refused and quoted in the warning. Neither reaches
  // the terminal as a control character.
  const std::string header = "status:OK\r\nclientv:1\r\n";
  testing_support::ScriptedHttpServer server(
      {testing_support::HttpAnswer(header + "A\xc2\x9b"
                                            "31m\r\nevil\x1b[2J\x1b]0;owned\x07")});
  const cli_test::Run r = RunCli("--virtual-board sound update --update-host " + server.Host());
  EXPECT_EQ(r.status, 1);
  for (const char* control : {"\x1b", "\x07", "\xc2\x9b"})
    EXPECT_EQ(r.err.find(control), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Checking item: A\\xc2\\x9b31m\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("evil\\x1b[2J\\x1b]0;owned\\x07"), std::string::npos) << r.err;
}

}  // namespace
