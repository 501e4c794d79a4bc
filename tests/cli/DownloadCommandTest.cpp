// morvane-cli download and motion on the virtual board: the flash a
// download leaves (compared with what image writes), the failures and
// their texts, the per-file check, Ctrl+C as the cancel button, the
// board's motion values read, changed and reset, and its live readings.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "motion/LiveSensor.h"
#include "sound/FlashDownload.h"
#include "tests/cli/RunCli.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/TempFiles.h"

namespace {

using cli_test::RunCli;
using testing_support::ReadBytes;

// Boot, power-on, power-off, idle, 3 motion, 2 impact, 1 lock-up.
const std::vector<std::pair<std::string, size_t>> kSounds = {
    {"boot", 1000}, {"on", 777}, {"off", 2049}, {"idle", 4000}, {"m1", 60},
    {"m2", 1500},   {"m3", 500}, {"i1", 333},   {"i2", 49},     {"l1", 1024}};

const std::string kFactoryMotion =
    "MotionTh 180\nMotionDeb 2\nImpactTh 10\nImpactDeb 50\nImpactTm 125\nFOCTime 13\n";

// The command codes in a HID log, in order.
constexpr auto& Codes = testing_support::HidCommandCodes;

bool Has(const std::vector<int>& codes, int code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class DownloadCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    unsigned seed = 0;
    for (const auto& [name, n] : kSounds)
      sound_test::WriteLsu(Path(name), sound_test::Samples(n, 9000, ++seed));
  }
  std::string Path(const std::string& sound) { return dir.Path(sound + ".lsu"); }
  // The configuration file of kSounds without the categories `skip`, with
  // one file under another name if asked.
  std::string Configuration(const std::string& skip = "", const std::string& renamed = "") {
    const char* headers[] = {"BOOT",  "PWRON", "PWROFF",   "IDLE",  "MOTION-3",
                             nullptr, nullptr, "IMPACT-2", nullptr, "LOCKUP-1"};
    std::string text;
    for (size_t i = 0; i < kSounds.size(); ++i) {
      if (headers[i] && skip == headers[i]) break;
      if (headers[i]) text += std::string(headers[i]) + "\r\n";
      const std::string& name = kSounds[i].first;
      text += (name == renamed ? dir.Path("gone.lsu") : Path(name)) + "\r\n100\r\n";
    }
    if (skip == "LOCKUP-1") text += "LOCKUP-0\r\n";
    testing_support::WriteBytes(dir.Path("sounds.lscfg"), text);
    return dir.Path("sounds.lscfg");
  }
  // morvane-cli on a virtual board keeping its flash in flash.bin, logging
  // to hid.log.
  cli_test::Run Cli(const std::string& board, const std::string& command) {
    std::filesystem::remove(log);
    return RunCli("--virtual-board " + board + ",flash=" + flash + " --hid-log " + log + " " +
                  command);
  }
  void ExpectFailed(const cli_test::Run& r, const std::string& text) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(Contains(r.err, text)) << r.err;
    EXPECT_FALSE(Has(Codes(log), 0)) << "no restart";
  }

  testing_support::TempFolder dir;
  const std::string flash = dir.Path("flash.bin");
  const std::string log = dir.Path("hid.log");
};

TEST_F(DownloadCommand, LeavesWhatImageWrites) {
  // The board's flash holds other motion values and old contents.
  std::string before(100000, '\x5A');
  before.replace(0, 6, "\x07\x09\x15\x21\x2C\x37");
  testing_support::WriteBytes(flash, before);

  const auto r = Cli("sound,erase-ms=0", "download " + Configuration());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SUCCESS !\n");
  for (const char* phase : {"Erasing flash memory ...", "Coding data...", "Downloading..."})
    EXPECT_TRUE(Contains(r.err, phase)) << phase;

  const auto image = RunCli("image " + Configuration() + " -o " + dir.Path("image.bin"));
  ASSERT_EQ(image.status, 0) << image.err;
  const std::string expected = ReadBytes(dir.Path("image.bin"));
  const std::string board = ReadBytes(flash);
  ASSERT_GT(board.size(), expected.size());
  EXPECT_EQ(board.substr(0, 6), before.substr(0, 6)) << "motion values kept across the erase";
  EXPECT_TRUE(board.compare(6, expected.size() - 6, expected, 6) == 0);
  EXPECT_EQ(board.find_first_not_of('\xFF', expected.size()), std::string::npos);
  EXPECT_EQ(Codes(log).back(), 7) << "the session ends with Bye";
}

TEST_F(DownloadCommand, UnloadableConfigurationSendsNothing) {
  auto r = Cli("sound,erase-ms=0", "download " + Configuration("", "m2"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, dir.Path("gone.lsu"))) << r.err;
  EXPECT_TRUE(Codes(log).empty());
  EXPECT_FALSE(std::filesystem::exists(flash));

  // Loaded, but a category is empty: told, and the flash left alone.
  r = Cli("sound,erase-ms=0", "download " + Configuration("LOCKUP-1"));
  ExpectFailed(r, "At least one locku-up file is required");
  EXPECT_EQ(Codes(log), (std::vector<int>{3, 7})) << "GetID, then Bye";

  // More samples than the board takes: told, and the flash left alone; verify
  // refuses it with the same words.
  const size_t capacity = 2793120, others = 1000 + 777 + 2049 + 60 + 1500 + 500 + 333 + 49 + 1024;
  sound_test::WriteLsu(Path("idle"), sound_test::Samples(capacity, 9000, 4));
  const std::string tooBig = "The sound files do not fit into the board: they hold " +
                             std::to_string(capacity + others) + " samples, the board takes " +
                             std::to_string(capacity) + ".";
  for (const std::string command : {"download ", "verify "}) {
    r = Cli("sound,erase-ms=0", command + Configuration());
    ExpectFailed(r, tooBig);
    for (int code : Codes(log)) EXPECT_TRUE(code == 3 || code == 7) << "only GetID and Bye";
  }
}

TEST_F(DownloadCommand, FailuresExitWith1AndTellWhy) {
  ExpectFailed(Cli("sound,erase-ms=0,refuse-erase", "download " + Configuration()),
               "Connection lost");
  // Commands: 1 GetID, 2 GetAccParam, 3 ClearFlash, 4 SetAccParam, 5 on blocks.
  ExpectFailed(Cli("sound,erase-ms=0,bad-echo=6", "download " + Configuration()),
               "Connection lost");
  const auto unread = Cli("sound,erase-ms=0,drop=2", "download " + Configuration());
  ExpectFailed(unread, "Connection lost");
  EXPECT_FALSE(Has(Codes(log), 10)) << "no erase without the motion values";
  EXPECT_FALSE(Contains(unread.err, sound::kBoardNotReady)) << "the board holds what it held";

  // The checksum read of the table gets no answer.
  ASSERT_EQ(Cli("sound,erase-ms=0", "download " + Configuration()).status, 0);
  const auto codes = Codes(log);
  const auto check = std::find(codes.begin(), codes.end(), 30) - codes.begin() + 1;
  ExpectFailed(Cli("sound,erase-ms=0,drop=" + std::to_string(check), "download " + Configuration()),
               "Memory check error");

  std::filesystem::remove(log);
  ExpectFailed(RunCli("--virtual-board led --hid-log " + log + " download " + Configuration()),
               "LED driver");
}

// Saving the virtual board's flash image is part of the download: a folder
// that cannot hold it (its parent is a plain file, so that running as root
// does not help) fails the download. The save goes through a temporary
// file of its own: a link planted at the name it once used is not followed.
TEST_F(DownloadCommand, AFlashImageThatCannotBeSavedFailsTheDownload) {
  testing_support::WriteBytes(dir.Path("plain"), "a file, not a folder");
  const std::string unsaved = dir.Path("plain") + "/flash.bin";
  const auto r = RunCli("--virtual-board sound,erase-ms=0,flash=" + unsaved + " --hid-log " + log +
                        " download " + Configuration());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "virtual board: cannot save flash image \"" + unsaved +
                                  "\": cannot create a file beside it: Not a directory\n"))
      << r.err;
  EXPECT_TRUE(Contains(r.err, "Connection lost\n" + std::string(sound::kBoardNotReady) + "\n"))
      << r.err;
  EXPECT_EQ(Codes(log).back(), 7) << "Bye still ends the session";

  testing_support::WriteBytes(dir.Path("victim"), "victim");
  std::filesystem::create_symlink(dir.Path("victim"), flash + ".tmp");
  ASSERT_EQ(Cli("sound,erase-ms=0", "download " + Configuration()).status, 0);
  EXPECT_TRUE(ReadBytes(dir.Path("victim")) == "victim") << "the link was followed";
  EXPECT_EQ(std::filesystem::file_size(flash), 4u << 20);
}

// Two programs on one flash image: each loads it at its start, so the one
// that saves last would undo what the other stored while reporting success.
// The later save is refused instead, and a program that only reads the
// board does not write the image at all.
TEST_F(DownloadCommand, TwoProgramsOnOneFlashImageLoseNothingSilently) {
  std::string before(1000, '\x5A');
  before.replace(0, 6, "\x07\x09\x15\x21\x2C\x37");
  testing_support::WriteBytes(flash, before);
  // Reading the board leaves a short image as it is.
  ASSERT_EQ(Cli("sound", "motion get").status, 0);
  EXPECT_TRUE(ReadBytes(flash) == before) << "rewritten by a program that only read it";

  // While the download erases, another program changes the motion values.
  cli_test::Run motionSet;
  const auto download = testing_support::RunAsTyped(
      MORVANE_CLI,
      "--virtual-board sound,erase-ms=2500,flash=" + flash + " download " + Configuration(),
      {.interruptWhen = [&](const testing_support::ProgramRun& soFar) {
        if (Contains(soFar.err, sound::kErasing) && motionSet.err.empty() && motionSet.out.empty())
          motionSet = RunCli("--virtual-board sound,flash=" + flash + " motion set MotionTh=77");
        return false;
      }});
  ASSERT_FALSE(motionSet.out.empty() && motionSet.err.empty()) << download.err;
  EXPECT_TRUE(download.status == 1 || motionSet.status == 1)
      << "both reported success, but only one program's work is in the image";
  const std::string image = ReadBytes(flash);
  if (motionSet.status == 0) EXPECT_EQ(image[0], '\x4D') << "the motion value was lost";
  if (download.status == 0) EXPECT_EQ(image.size(), 4u << 20) << "the download was lost";
  const auto& refused = download.status == 1 ? download.err : motionSet.err;
  EXPECT_TRUE(Contains(refused, "virtual board: cannot save flash image \"" + flash +
                                    "\": another program changed it since this board loaded it\n"))
      << refused;
}

TEST_F(DownloadCommand, VerifyChecksEveryFile) {
  const auto r = Cli("sound,erase-ms=0", "download " + Configuration() + " --verify");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SUCCESS !\n");
  for (const auto& [name, n] : kSounds)
    EXPECT_TRUE(Contains(r.err, "verified: " + Path(name) + "\n")) << name;
  const auto codes = Codes(log);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 30), 1 + long(kSounds.size()));
}

// Ctrl+C once the erase has started: the erase outlasts the first
// completion poll (which waits up to 3 s), so the interrupt is seen at the
// next erase round, before anything is coded.
TEST_F(DownloadCommand, CtrlCDuringTheEraseCancels) {
  const auto r =
      testing_support::RunAsTyped(MORVANE_CLI,
                                  "--virtual-board sound,erase-ms=3500 --hid-log " + log +
                                      " download " + Configuration() + " 2>&1",
                                  {.interruptWhen = [](const testing_support::ProgramRun& soFar) {
                                    return Contains(soFar.out, sound::kErasing);
                                  }});
  const std::string& output = r.out;
  ASSERT_TRUE(r.interrupted);
  ASSERT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1) << "130 when the interrupt ended the program";
  EXPECT_TRUE(Contains(output, "Canceled\n")) << output;
  EXPECT_TRUE(Contains(output, std::string(sound::kBoardNotReady) + "\n")) << output;
  EXPECT_FALSE(Contains(output, "Coding data...")) << output;
  EXPECT_FALSE(Contains(output, "SUCCESS")) << output;
  const auto codes = Codes(log);
  for (int code : {20, 21, 30, 0}) EXPECT_FALSE(Has(codes, code)) << code;
  EXPECT_EQ(codes.back(), 7) << "the session still ends with Bye";
}

// How many completion polls got no answer after the erase was started.
long UnansweredPolls(const std::string& log) {
  return testing_support::HidTimeouts(log, "0a");
}

// Ctrl+C while the board erases: the program does not wait the erase out.
// It gives the motion values back when the erase ended meanwhile, and
// otherwise says which values the board lost.
TEST_F(DownloadCommand, CtrlCDuringAnEraseReturnsPromptly) {
  std::string before(4096, '\x5A');
  before.replace(0, 6, "\x07\x09\x15\x21\x2C\x37");
  // Ctrl+C as soon as the erase is under way; the download says "Canceled".
  const auto interrupted = [&](const std::string& erase) {
    testing_support::WriteBytes(flash, before);
    const auto r =
        cli_test::RunCliInterrupted("--virtual-board sound," + erase + ",flash=" + flash +
                                        " --hid-log " + log + " download " + Configuration(),
                                    "Erasing flash memory ...");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "Canceled\n")) << r.err;
    EXPECT_FALSE(Contains(r.err, "Press OK")) << "a question nobody can answer here";
    return r.err;
  };
  const std::string never = interrupted("erase-never");
  EXPECT_TRUE(Contains(never, std::string(sound::kMotionNotRestored) +
                                  "MotionTh=7 MotionDeb=9 ImpactTh=21 ImpactDeb=33 "
                                  "ImpactTm=44 FOCTime=55\n"))
      << never;
  EXPECT_LE(UnansweredPolls(log), 2) << "one poll after the interrupt, not the rounds left";
  EXPECT_FALSE(Has(Codes(log), 0x2a)) << "nothing restored";
  EXPECT_EQ(Codes(log).back(), 7);

  // An erase shorter than one poll's wait (3 s) has ended by the last poll,
  // however early the interrupt came (or, when it came during the first
  // poll, the erase ended in that poll and the cancel stops what follows).
  const std::string ended = interrupted("erase-ms=2000");
  EXPECT_FALSE(Contains(ended, sound::kMotionNotRestored)) << ended;
  EXPECT_EQ(ReadBytes(flash).substr(0, 6), before.substr(0, 6)) << "motion values restored";
  EXPECT_NE(ReadBytes(flash).substr(6, 506), before.substr(6, 506)) << "erased";
}

TEST_F(DownloadCommand, MotionGetSetAndDefault) {
  auto r = Cli("usb2", "motion get");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kFactoryMotion);
  EXPECT_EQ(Codes(log), (std::vector<int>{3, 41, 7}));

  r = Cli("usb2", "motion set MotionTh=200 FOCTime=300");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string changed =
      "MotionTh 200\nMotionDeb 2\nImpactTh 10\nImpactDeb 50\nImpactTm 125\nFOCTime 250\n";
  EXPECT_EQ(r.out, changed);
  EXPECT_EQ(Codes(log), (std::vector<int>{3, 41, 42, 0, 41, 7}));
  EXPECT_EQ(Cli("usb2", "motion get").out, changed) << "kept by the board";

  r = Cli("usb2", "motion set ImpactTh=99");
  EXPECT_EQ(r.out,
            "MotionTh 200\nMotionDeb 2\nImpactTh 31\nImpactDeb 50\nImpactTm 125\nFOCTime 250\n")
      << "only the named value changes, held to its range";

  r = Cli("usb2", "motion default");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kFactoryMotion);

  std::filesystem::remove(flash);
  r = RunCli("--virtual-board usb2,fw=292 motion set FOCTime=100 ImpactTm=7");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "MotionTh 180\nMotionDeb 2\nImpactTh 10\nImpactDeb 50\nImpactTm 7\nFOCTime 13\n")
      << "the flash period is fixed before firmware 293";

  for (const char* bad : {"motion", "motion set", "motion set Speed=3", "motion set MotionTh=x",
                          "motion set MotionTh", "motion get MotionTh=1"})
    EXPECT_EQ(Cli("usb2", bad).status, 2) << bad;
  EXPECT_EQ(Cli("usb2", "motion set MotionTh=x").out, "");
  ExpectFailed(Cli("usb2,drop=2", "motion get"), "motion values");
}

// The virtual board's sensor plays its script, a reading per line: still,
// a swing, a clash, 50 readings in 2.5 s.
TEST_F(DownloadCommand, MotionWatchPrintsTheLiveReadings) {
  const auto r = Cli("sound", "motion watch --seconds 2.5");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines;
  std::vector<double> times;
  std::istringstream out(r.out);
  const std::regex line(R"(t=(\d+\.\d{3}) (x=-?\d+ y=-?\d+ z=-?\d+ tilt=\d+ magnitude=\d+\.\d\d))");
  for (std::string text; std::getline(out, text);) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    times.push_back(std::stod(m[1]));
    lines.push_back(m[2]);
  }
  ASSERT_EQ(lines.size(), 50u);
  EXPECT_EQ(lines[0], "x=0 y=8 z=0 tilt=0 magnitude=8.00");
  EXPECT_EQ(lines[19], "x=0 y=8 z=0 tilt=0 magnitude=8.00");
  EXPECT_EQ(lines[22], "x=2 y=8 z=0 tilt=10 magnitude=8.25");
  EXPECT_EQ(lines[29], "x=9 y=8 z=3 tilt=45 magnitude=12.41");
  EXPECT_EQ(lines[40], "x=-31 y=24 z=12 tilt=0 magnitude=41.00");
  EXPECT_EQ(lines[41], "x=-15 y=16 z=6 tilt=0 magnitude=22.74");
  EXPECT_EQ(lines[49], "x=0 y=8 z=0 tilt=0 magnitude=8.00");
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  std::vector<int> codes = {3};
  codes.insert(codes.end(), 50, 40);
  codes.push_back(7);
  EXPECT_EQ(Codes(log), codes) << "GetID, 50 GetACC, Bye";

  // A board that does not answer: one message, exit 1, nothing printed.
  const auto silent = Cli("sound,no-acc", "motion watch --seconds 1");
  EXPECT_EQ(silent.status, 1);
  EXPECT_EQ(silent.out, "");
  EXPECT_NE(silent.err.find("did not answer the request for live sensor values"), std::string::npos)
      << silent.err;
  EXPECT_EQ(Codes(log), (std::vector<int>{3, 40, 7})) << "one try, then goodbye";

  // A board that stops answering after it answered: said as such.
  const auto stopped = Cli("sound,drop=4", "motion watch --seconds 2");
  EXPECT_EQ(stopped.status, 1);
  EXPECT_EQ(std::count(stopped.out.begin(), stopped.out.end(), '\n'), 2) << stopped.out;
  EXPECT_EQ(stopped.err, std::string(motion::kLiveValuesStoppedCause) + '\n');

  // Unplugged while watching: said as such, not as a firmware without
  // live values; the readings before it stay printed.
  const auto unplugged = Cli("sound,unplug=4", "motion watch --seconds 2");
  EXPECT_EQ(unplugged.status, 1);
  EXPECT_EQ(std::count(unplugged.out.begin(), unplugged.out.end(), '\n'), 2) << unplugged.out;
  EXPECT_EQ(unplugged.err, std::string(sound::kConnectionLost) +
                               ": the board was unplugged while it was watched.\n");

  // A time above 0, however short, gets the reading at its start.
  const auto shortest = Cli("sound", "motion watch --seconds 1e-12");
  EXPECT_EQ(shortest.status, 0) << shortest.err;
  EXPECT_EQ(shortest.out, "t=0.000 x=0 y=8 z=0 tilt=0 magnitude=8.00\n");

  for (const char* bad :
       {"motion watch --seconds 0", "motion watch --seconds -1", "motion watch --seconds",
        "motion watch --seconds 1x", "motion watch --seconds 90000", "motion watch 5"})
    EXPECT_EQ(Cli("sound", bad).status, 2) << bad;
}

}  // namespace
