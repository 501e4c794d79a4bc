// morvane-cli led against the virtual LED driver and the shipped catalogue.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/cli/RunCli.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;

using cli_test::RunCli;
using testing_support::Hex;
using testing_support::HidWrites;

std::string File(const std::string& stem, const std::string& text) {
  const std::string path = testing_support::UniqueTempPath(stem) + ".ldset";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(CliLed, InfoShowsTheTypeAndPulses) {
  auto r = RunCli("--virtual-board led led info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "type: Cree XP-E2 Red\ncode: 1\nvoltage: 6.0\noverdrive: 100\n"
            "idle: PULSE+Low=0_0_0_0+High=0_0_0_0+Times=1000_1000_0_0\n"
            "foc: FOC=0_0_0_0+Times=1000_1000_1\n");
  r = RunCli("--virtual-board led,ledcode=999 led info");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.err,
      "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !\n");
  r = RunCli("--virtual-board sound led info");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The board is not an LED driver.\n");
}

// A driver that stops answering while the panel is filled is said to be
// silent; the installation's catalogue is not blamed for it.
TEST(CliLed, ASilentDriverIsNotACatalogueFault) {
  // Commands: 1 GetID, 2 GetLEDConfig, 3 and 4 GetLEDPulses.
  for (const char* fault : {"drop=2", "drop=4", "unplug=2", "unplug=3"}) {
    for (const std::string& command :
         {std::string("led info"), "led save " + testing_support::UniqueTempPath("silent")}) {
      const auto r = RunCli(std::string("--virtual-board led,") + fault + " " + command);
      EXPECT_EQ(r.status, 1) << fault << ' ' << command;
      EXPECT_EQ(r.err, "The LED driver did not answer.\n") << fault << ' ' << command;
      EXPECT_EQ(r.out, "");
    }
  }
}

TEST(CliLed, SetTypeNeedsYes) {
  const std::string log = testing_support::UniqueTempPath("cli_led") + ".log";
  const std::string cli = "--virtual-board led --hid-log " + log + " led set-type ";
  auto r = RunCli(cli + "'Cree XP-E2 Blue'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("WARNING: Setting a different LED than actually installed may damage the "
                       "LED and driver\nAre you sure you want to continue ?\n"),
            std::string::npos);
  EXPECT_TRUE(HidWrites(log).empty());

  r = RunCli(cli + "'Cree XP-E2 Blue' --overdrive 120 --yes");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "type: Cree XP-E2 Blue\ncode: 3\nvoltage: 6.0\noverdrive: 120\n");
  EXPECT_EQ(HidWrites(log, "3d").at(0).substr(0, 14), Hex("3d 0003 003c 0078"));
  // Without --overdrive the shown one stays, lowered to the type's maximum.
  r = RunCli(cli + "'SSC P7 White (4 dies)' --yes");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(HidWrites(log, "3d").at(0).substr(0, 14), Hex("3d 0032 003c 0064"));

  r = RunCli(cli + "'SSC P7 White (4 dies)' --yes --overdrive 101");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The overdrive of SSC P7 White (4 dies) must be 50 to 100.\n");
  r = RunCli(cli + "'No such LED' --yes");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No LED type \"No such LED\""), std::string::npos);
}

// The times pass through the seconds fields: 1234.5 ms goes out as 1230;
// the ticks are those of the board's LED type.
TEST(CliLed, SendLoadsTheFileAndSendsBothPulses) {
  const std::string log = testing_support::UniqueTempPath("cli_led") + ".log";
  const std::string file =
      File("send",
           "KestraneLEDSettings#1\r\nPULSE+Low=40_0_0_0+High=255_0_0_0+Times=1234.5_500_0_0"
           "\r\nFOC=255_255_255_0+Times=100_100_3\r\n");
  auto r = RunCli("--virtual-board led --hid-log " + log + " led send " + file);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "idle: PULSE+Low=40_0_0_0+High=255_0_0_0+Times=1230_500_0_0\n"
            "foc: FOC=255_255_255_0+Times=100_100_3\n");
  const std::string idle = HidWrites(log, "3500").at(0);
  // Cree XP-E2 Red: level 40 is luminance 220 of 1400, 7.63 % -> off tick 77.
  EXPECT_EQ(idle.substr(0, 24), Hex("3500 28ff 0001 004d 0001 03e9"));
  EXPECT_EQ(idle.substr(84, 20), Hex("0000 04ce 0000 01f4 0000"));
  EXPECT_EQ(HidWrites(log, "3501").at(0).substr(84, 20), Hex("0000 0064 0000 0064 0003"));
  EXPECT_EQ(HidWrites(log, "36").size(), 2u);

  r = RunCli(
      "--virtual-board led --hid-log " + log + " led send " +
      File("bad", "KestraneLEDSettings#1\r\nPULSE+Low=0_0_0_0+High=0_0_0_0+Times=70000_0_0_0"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("out of range"), std::string::npos);
  EXPECT_TRUE(HidWrites(log, "35").empty());
}

TEST(CliLed, SaveAndApply) {
  const std::string path = testing_support::UniqueTempPath("save") + ".ldset";
  auto r = RunCli("--virtual-board led led save " + path);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing_support::ReadBytes(path),
            "KestraneLEDSettings#1\r\nPULSE+Low=0_0_0_0+High=0_0_0_0+Times=1000_1000_0_0\r\n"
            "FOC=0_0_0_0+Times=1000_1000_1\r\n");
  std::remove(path.c_str());

  // A name without an extension gets the settings file's.
  const std::string bare = testing_support::UniqueTempPath("bare");
  r = RunCli("--virtual-board led led save " + bare);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(bare));
  EXPECT_TRUE(fs::exists(bare + ".ldset"));
  std::remove((bare + ".ldset").c_str());

  const std::string log = testing_support::UniqueTempPath("cli_led") + ".log";
  r = RunCli("--virtual-board led,ledcode=10 --hid-log " + log + " led apply 255 0 12");
  EXPECT_EQ(r.status, 0) << r.err;
  // Blue level 12: luminance 52 of 1100, 1.66 % -> off tick 17.
  EXPECT_EQ(HidWrites(log, "33").at(0).substr(0, 38),
            Hex("33 03e8 0001 03e9 0000 0001 0001 0011 0000 0000"));
  r = RunCli("--virtual-board led led apply 10 10");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The LED type Cree XP-E2 Red has 1 channel.\n");
  r = RunCli("--virtual-board led led apply 256");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "A level must be 0 to 255, not 256.\n");
}

// A virtual LED driver that keeps its settings between runs, and the
// command line before the led command.
struct StoredDriver {
  explicit StoredDriver(int ledCode = 10)
      : cli("--virtual-board led,ledcode=" + std::to_string(ledCode) + ",eeprom=" + eeprom + " ") {}
  std::string eeprom = testing_support::UniqueTempPath("eeprom") + ".bin";
  std::string cli;
  ~StoredDriver() { std::remove(eeprom.c_str()); }
  // Sends the file to the driver, then saves what the driver holds.
  std::string SendThenSave(const std::string& text) {
    auto r = RunCli(cli + "led send " + File("sent", text));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string saved = testing_support::UniqueTempPath("saved") + ".ldset";
    r = RunCli(cli + "led save " + saved);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string back = testing_support::ReadBytes(saved);
    std::remove(saved.c_str());
    return back;
  }
};

// What is sent to the driver and saved back from it is the same file, byte
// for byte: every time differs from the others (a rise and fall time, or an
// on and off time, swapped on the way shows), and the largest values the
// board and the file take come back as they went.
TEST(CliLed, SentSettingsSaveBackUnchanged) {
  StoredDriver driver;
  for (const std::string text :
       {"KestraneLEDSettings#1\r\nPULSE+Low=10_20_30_40+High=200_210_220_230+"
        "Times=1500_700_300_900\r\nFOC=250_240_230_220+Times=100_250_4\r\n",
        "KestraneLEDSettings#1\r\nPULSE+Low=0_0_0_0+High=255_255_255_255+"
        "Times=65535_65535_65535_65535\r\nFOC=255_0_0_0+Times=65535_0_32767\r\n"})
    EXPECT_EQ(driver.SendThenSave(text), text);
}

// A program that only reads the driver does not write its stored image
// back: another program may have changed it meanwhile.
TEST(CliLed, ReadingTheDriverLeavesItsImageFileAlone) {
  StoredDriver driver;
  driver.SendThenSave(
      "KestraneLEDSettings#1\r\nPULSE+Low=0_0_0_0+High=9_0_0_0+Times=100_100_0_0\r\n"
      "FOC=9_0_0_0+Times=100_100_1\r\n");
  const auto inode = [&] {
    struct stat st {};
    EXPECT_EQ(stat(driver.eeprom.c_str(), &st), 0);
    return st.st_ino;
  };
  const auto before = inode();
  ASSERT_EQ(RunCli(driver.cli + "led info").status, 0);
  EXPECT_EQ(inode(), before) << "the image was saved again (a save replaces the file)";
}

// A repeat count the board holds above what a settings file takes is saved
// as the largest the file takes, so the file loads again.
TEST(CliLed, LargeBoardRepeatCountSavesAFileThatLoads) {
  StoredDriver driver;
  driver.SendThenSave(
      "KestraneLEDSettings#1\r\nPULSE+Low=0_0_0_0+High=9_0_0_0+Times=100_100_0_0\r\n"
      "FOC=9_0_0_0+Times=100_100_1\r\n");
  for (const uint16_t count : {32768, 65535}) {
    {
      // The flash on clash's repeat count: the last two bytes of the image.
      std::fstream image(driver.eeprom, std::ios::binary | std::ios::in | std::ios::out);
      image.seekp(-2, std::ios::end);
      image.put(char(count >> 8)).put(char(count & 255));
    }
    const std::string saved = testing_support::UniqueTempPath("large") + ".ldset";
    auto r = RunCli(driver.cli + "led save " + saved);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(testing_support::ReadBytes(saved).find("FOC=9_0_0_0+Times=100_100_32767\r\n"),
              std::string::npos)
        << count << ": " << testing_support::ReadBytes(saved);
    r = RunCli(driver.cli + "led send " + saved);
    EXPECT_EQ(r.status, 0) << count << ": " << r.err;
    std::remove(saved.c_str());
  }
}

// A catalogue may give an LED type a negative code. It goes to the driver
// as the same 16 bits (-5 as FFFB) and the driver's code is read back the
// same way, so the type is found again at the next start.
TEST(CliLed, NegativeLedCodeIsFoundAgain) {
  const std::string app = testing_support::UniqueTempPath("led_app");
  std::filesystem::create_directories(app);
  const std::string channel = "+Col=redML1400MDC60VL3.0Coef0_0_28_0;0_0_0.03_0;";
  std::ofstream(app + "/KestraneLEDS.ldcfg", std::ios::binary)
      << "KestraneLEDConfigurator#2\r\nPlain@1#1#1000" << channel << "\r\nMinus five@-5#1#1000"
      << channel << "\r\n";
  const std::string cli = cli_test::CopyOfCli(app);
  const std::string log = app + "/hid.log";
  StoredDriver driver(1);

  auto r = testing_support::RunAsTyped(
      cli, driver.cli + "--hid-log " + log + " led set-type 'Minus five' --yes");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "type: Minus five\ncode: -5\nvoltage: 6.0\noverdrive: 100\n");
  EXPECT_EQ(HidWrites(log, "3d").at(0).substr(0, 14), Hex("3d fffb 003c 0064"));
  r = testing_support::RunAsTyped(cli, driver.cli + "led info");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("voltage")), "type: Minus five\ncode: -5\n");
  std::filesystem::remove_all(app);
}

// A settings file or a catalogue that is a FIFO nobody writes to, or holds
// an endless line, is refused at once with the reason; nothing is sent.
TEST(CliLed, RefusesFilesThatAreNotBoundedText) {
  using testing_support::RunProgram;
  const std::string fifo = testing_support::UniqueTempPath("fifo") + ".ldset";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = File("huge", "KestraneLEDSettings#1\r\n" + std::string(1 << 20, '7'));
  const std::pair<std::string, std::string> cases[] = {
      {fifo, fifo + " is not a regular file"}, {huge, huge + " has a line longer than 4096 bytes"}};
  for (const auto& [file, why] : cases) {
    const auto r = RunProgram({MORVANE_CLI, "--virtual-board", "led", "led", "send", file},
                              {.timeoutSeconds = 60});
    EXPECT_FALSE(r.timedOut) << file;
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err, "File is corrupted, could not read !\n" + why + "\n");
  }

  // A copy of the program is a working application folder; here its
  // catalogue is a FIFO.
  const fs::path folder = testing_support::UniqueTempPath("cli_app");
  fs::create_directories(folder);
  fs::copy_file(MORVANE_CLI, folder / "morvane-cli");
  const fs::path catalogue = fs::canonical(folder) / "KestraneLEDS.ldcfg";
  ASSERT_EQ(mkfifo(catalogue.c_str(), 0600), 0);
  const auto r =
      RunProgram({(folder / "morvane-cli").string(), "--virtual-board", "led", "led", "info"},
                 {.timeoutSeconds = 60});
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.err,
      "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !\n" +
          catalogue.string() + " is not a regular file\n");
  fs::remove_all(folder);
  fs::remove(fifo);
  fs::remove(huge);
}

// A save cut short (here by a file-size limit, as a full disk would) keeps
// the file that was there and says why.
TEST(CliLed, AFailedSaveKeepsTheOldFile) {
  const std::string old =
      "KestraneLEDSettings#1\r\nPULSE+Low=1_2_3_4+High=5_6_7_8+Times=1_2_3_4\r\n"
      "FOC=9_9_9_9+Times=5_6_7\r\n";
  const std::string path = File("kept", old);
  const auto r = testing_support::RunProgram(
      {MORVANE_CLI, "--virtual-board", "led", "led", "save", path}, {.fileSizeLimit = 64});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err,
            "Could not write the LED settings file " + path + ": cannot write: File too large\n");
  EXPECT_EQ(testing_support::ReadBytes(path), old);
  std::remove(path.c_str());
}

TEST(CliLed, UsageErrors) {
  for (const char* args : {"led", "led frobnicate", "led info extra", "led send", "led apply",
                           "led apply 1 2 3 4 5", "led apply red", "led set-type --yes",
                           "led set-type A B --yes", "led set-type A --overdrive"}) {
    auto r = RunCli(std::string("--virtual-board led ") + args);
    EXPECT_EQ(r.status, 2) << args;
  }
}

}  // namespace
