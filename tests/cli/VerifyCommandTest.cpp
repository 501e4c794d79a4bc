// morvane-cli verify on the virtual board: after a download the board holds
// the configuration; after a download of another font it names the files
// that differ; it never erases, writes or restarts (HID log); a board that
// stops answering ends it with the connection message.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "tests/cli/RunCli.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/TempFiles.h"

namespace {

using cli_test::RunCli;

struct Sound {
  const char* header;  // the section line before it, or nullptr
  const char* name;
  size_t samples;
};

const Sound kSounds[] = {{"BOOT", "boot", 1000},  {"PWRON", "on", 777},    {"PWROFF", "off", 2049},
                         {"IDLE", "hum", 4000},   {"MOTION-3", "m1", 60},  {nullptr, "m2", 1500},
                         {nullptr, "m3", 500},    {"IMPACT-2", "i1", 333}, {nullptr, "i2", 49},
                         {"LOCKUP-1", "l1", 1024}};

constexpr int kGetSN = 0x01, kGetID = 0x03, kCheckCRC = 0x1e;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class VerifyCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    unsigned seed = 0;
    for (const Sound& s : kSounds)
      sound_test::WriteLsu(dir.Path(std::string(s.name) + ".lsu"),
                           sound_test::Samples(s.samples, 9000, ++seed));
  }
  // The configuration of kSounds at volume 100, but for the volumes given.
  std::string Configuration(const std::string& file, std::map<std::string, int> volumes = {}) {
    std::string text;
    for (const Sound& s : kSounds) {
      if (s.header) text += std::string(s.header) + "\r\n";
      const int volume = volumes.count(s.name) ? volumes[s.name] : 100;
      text += dir.Path(std::string(s.name) + ".lsu") + "\r\n " + std::to_string(volume) + " \r\n";
    }
    testing_support::WriteBytes(dir.Path(file), text);
    return dir.Path(file);
  }
  cli_test::Run Cli(const std::string& board, const std::string& command) {
    std::filesystem::remove(log);
    return RunCli("--virtual-board " + board + ",flash=" + flash + " --hid-log " + log + " " +
                  command);
  }
  // The command codes the board was sent, in order.
  std::vector<int> Codes() const { return testing_support::HidCommandCodes(log); }
  // Only identification and CheckCRC went to the board: no erase, no
  // write, no restart. Returns how many CheckCRC.
  long ExpectOnlyChecks() const {
    const auto codes = Codes();
    for (int code : codes)
      EXPECT_TRUE(code == kGetID || code == kGetSN || code == kCheckCRC) << "command " << code;
    return std::count(codes.begin(), codes.end(), kCheckCRC);
  }
  // The lines verify prints for kSounds, each file same but those named.
  static std::string Lines(const std::vector<std::string>& differing, bool tableSame = true) {
    const char* what[] = {"Boot: boot.lsu",   "Power ON: on.lsu", "Power OFF: off.lsu",
                          "Idle: hum.lsu",    "Motion 1: m1.lsu", "Motion 2: m2.lsu",
                          "Motion 3: m3.lsu", "Impact 1: i1.lsu", "Impact 2: i2.lsu",
                          "Lock-up 1: l1.lsu"};
    std::string text = tableSame ? "same     file table\n" : "differs  file table\n";
    for (size_t i = 0; i < std::size(what); ++i) {
      const bool differs =
          std::find(differing.begin(), differing.end(), kSounds[i].name) != differing.end();
      text += std::string(differs ? "differs  " : "same     ") + what[i] + "\n";
    }
    return text;
  }

  testing_support::TempFolder dir;
  const std::string flash = dir.Path("flash.bin");
  const std::string log = dir.Path("hid.log");
};

TEST_F(VerifyCommand, AfterADownloadTheBoardHoldsTheConfiguration) {
  const std::string config = Configuration("sounds.lscfg");
  ASSERT_EQ(Cli("sound,erase-ms=0", "download " + config).status, 0);
  const std::string before = testing_support::ReadBytes(flash);

  const auto r = Cli("sound", "verify " + config);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Lines({}) + "The board holds this sound configuration.\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ExpectOnlyChecks(), 11) << "one CheckCRC for the table and one per file";
  EXPECT_TRUE(testing_support::ReadBytes(flash) == before) << "the flash is left alone";
}

TEST_F(VerifyCommand, AfterADownloadOfAnotherFontItNamesTheFilesThatDiffer) {
  // The same files, two at other volumes: the same lengths and addresses,
  // other coded bytes.
  ASSERT_EQ(
      Cli("sound,erase-ms=0", "download " + Configuration("other.lscfg", {{"m2", 60}, {"l1", 99}}))
          .status,
      0);
  auto r = Cli("sound", "verify " + Configuration("sounds.lscfg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, Lines({"m2", "l1"}) + "The board holds a different sound configuration.\n");
  EXPECT_EQ(ExpectOnlyChecks(), 11);

  // A board whose flash is erased holds no configuration at all.
  std::filesystem::remove(flash);
  r = Cli("sound", "verify " + Configuration("sounds.lscfg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, Lines({"boot", "on", "off", "hum", "m1", "m2", "m3", "i1", "i2", "l1"}, false) +
                       "The board holds a different sound configuration.\n");
}

TEST_F(VerifyCommand, ABoardThatStopsAnsweringEndsTheCheck) {
  const std::string config = Configuration("sounds.lscfg");
  ASSERT_EQ(Cli("sound,erase-ms=0", "download " + config).status, 0);
  // Command 1 is GetID, 2 the table's CheckCRC, 3 the boot file's.
  for (const char* fault : {"unplug=3", "drop=3"}) {
    const auto r = Cli(std::string("sound,") + fault, "verify " + config);
    EXPECT_EQ(r.status, 1) << fault;
    EXPECT_EQ(r.out, "same     file table\n") << fault;
    EXPECT_EQ(r.err, "Connection lost: the board stopped answering during the comparison.\n")
        << fault;
    ExpectOnlyChecks();
  }
}

TEST_F(VerifyCommand, RefusesWhatTheDownloadRefuses) {
  EXPECT_EQ(RunCli("verify").status, 2);
  EXPECT_EQ(RunCli("verify a.lscfg b.lscfg").status, 2);
  EXPECT_EQ(RunCli("verify --fast a.lscfg").status, 2);

  // An empty lock-up category: refused before the board is asked anything.
  std::string text = testing_support::ReadBytes(Configuration("sounds.lscfg"));
  text = text.substr(0, text.find("LOCKUP-1")) + "LOCKUP-0\r\n";
  testing_support::WriteBytes(dir.Path("short.lscfg"), text);
  auto r = Cli("sound", "verify " + dir.Path("short.lscfg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "At least one locku-up file is required\n");
  EXPECT_TRUE(Codes().empty());

  r = RunCli("--virtual-board led --hid-log " + log + " verify " + Configuration("sounds.lscfg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "LED driver")) << r.err;
  EXPECT_EQ(Codes(), std::vector<int>{kGetID});

  r = RunCli("--virtual-board sound --hid-log " + log + " verify " + dir.Path("none.lscfg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Not a valid configuration file")) << r.err;
}

}  // namespace
