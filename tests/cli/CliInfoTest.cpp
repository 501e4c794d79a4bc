// morvane-cli run as a user runs it, against the virtual board.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/cli/RunCli.h"
#include "tests/support/HidLog.h"
#include "tests/support/TempFiles.h"

namespace {

using cli_test::RunCli;

TEST(CliInfo, PrintsWhatTheWindowShows) {
  auto r = RunCli("--virtual-board usb2,fw=292,sn=0A1B2C3D info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "Kestrane USB2 Serial Number: 0A1B2C3D\nfirmware: 292\ncapacity: 2793120\ntype: sound\n");

  r = RunCli("--virtual-board sound64 info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Kestrane USB 64 Serial Number: "), std::string::npos);
  EXPECT_NE(r.out.find("capacity: 5589300\n"), std::string::npos);

  r = RunCli("--virtual-board led,split info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Kestrane LED Driver Serial Number: "), std::string::npos);
  EXPECT_NE(r.out.find("capacity: 2793120\ntype: led\n"), std::string::npos);
}

TEST(CliInfo, AsksTheSerialNumberTwice) {
  auto r = RunCli("--virtual-board usb2new,no-sn=1,sn=00000001 info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Serial Number: 00000001\nfirmware: 293\n"), std::string::npos);

  r = RunCli("--virtual-board sound,no-sn=2 info");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("serial number"), std::string::npos);
}

TEST(CliInfo, UsageErrorsExitWith2) {
  for (const char* args : {"", "frobnicate", "--virtual-board", "--virtual-board nosuchkind info",
                           "--virtual-board sound,sn=XYZ info", "info extra"}) {
    auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_FALSE(r.err.empty()) << args;
  }
}

TEST(CliInfo, BoardLostMidwayFails) {
  for (const char* spec : {"sound,unplug=1", "sound,unplug=2"}) {
    auto r = RunCli(std::string("--virtual-board ") + spec + " info");
    EXPECT_EQ(r.status, 1) << spec;
    EXPECT_EQ(r.out, "") << spec;
    // Gone, not reset: nothing could be sent to it.
    EXPECT_EQ(r.err, "The connection with the board was lost. Plug it in again, then retry.\n")
        << spec;
  }
  // A board that is there but keeps its serial number to itself is reset.
  auto r = RunCli("--virtual-board sound,no-sn=2 info");
  EXPECT_NE(r.err.find("it was reset"), std::string::npos) << r.err;
}

TEST(CliInfo, WithoutABoardSaysSo) {
  auto r = RunCli("info");  // real USB
  if (r.status == 0) GTEST_SKIP() << "a real board is attached";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "A connection with DudedAvori could not be established.\n");
}

TEST(CliInfo, HidLogRecordsTheExchange) {
  const std::string log = testing_support::UniqueTempPath("cli_hidlog");
  auto r = RunCli("--virtual-board usb2,sn=0A1B2C3D --hid-log " + log + " info");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines;
  for (const std::string& l : testing_support::HidLogLines(log)) lines.push_back(l.substr(0, 6));
  // GetID, its answer, GetSN, two answers, Bye.
  EXPECT_EQ(lines,
            (std::vector<std::string>{"W 0300", "R 1125", "W 0100", "R 0a1b", "R 2c3d", "W 0700"}));
}

// A log that cannot be written (a folder that is not there, a FIFO nobody
// reads) is named with the reason, and the command runs without it rather
// than failing silently or waiting for ever.
TEST(CliInfo, AnUnwritableHidLogIsReportedAndLeftOut) {
  const testing_support::TempFolder dir;
  const std::string fifo = dir.Path("log.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::string> cases[] = {
      {dir.Path("none/log.txt"), "No such file or directory"},
      {fifo, "No such device or address"},
      {dir.dir().string(), "Is a directory"}};
  for (const auto& [log, why] : cases) {
    const auto r = testing_support::RunProgram(
        {MORVANE_CLI, "--virtual-board", "sound", "--hid-log", log, "info"},
        {.timeoutSeconds = 60});
    EXPECT_FALSE(r.timedOut) << log;
    EXPECT_EQ(r.status, 0) << log << r.err;
    EXPECT_EQ(r.err, "morvane-cli: the HID log " + log + " cannot be written (" + why +
                         "); the command runs without it\n");
    EXPECT_NE(r.out.find("capacity:"), std::string::npos) << r.out;
  }
}

}  // namespace
