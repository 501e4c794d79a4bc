// morvane-cli image: the flash image of a configuration, decoded here
// byte by byte, and the refusals that must leave the output untouched.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/cli/RunCli.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

namespace {

using cli_test::RunCli;
using testing_support::ReadBytes;

struct Sound {
  std::string name;
  size_t samples;
  int volume;
};

// Boot, power-on, power-off, idle, then 3 motion, 2 impact and 1 lock-up
// files: the 66-byte table.
const std::vector<Sound> kSounds = {
    {"boot", 1000, 100}, {"on", 777, 50}, {"off", 2049, 100}, {"idle", 4000, 75}, {"m1", 60, 100},
    {"m2", 61, 0},       {"m3", 500, 33}, {"i1", 333, 100},   {"i2", 49, 100},    {"l1", 1024, 88}};

class ImageCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Sound& s : kSounds) {
      samples.push_back(sound_test::Samples(s.samples, 20000, unsigned(samples.size() + 1)));
      sound_test::WriteLsu(Path(s.name), samples.back());
    }
  }
  std::string Path(const std::string& sound) { return dir.Path(sound + ".lsu"); }
  // The configuration file of kSounds, or of the lines given.
  std::string Configuration(std::vector<std::string> lines = {}) {
    const char* headers[] = {"BOOT",  "PWRON", "PWROFF",   "IDLE",  "MOTION-3",
                             nullptr, nullptr, "IMPACT-2", nullptr, "LOCKUP-1"};
    if (lines.empty()) {
      for (size_t i = 0; i < kSounds.size(); ++i) {
        if (headers[i]) lines.push_back(headers[i]);
        lines.insert(lines.end(), {Path(kSounds[i].name), std::to_string(kSounds[i].volume)});
      }
    }
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    testing_support::WriteBytes(dir.Path("sounds.lscfg"), text);
    return "image " + dir.Path("sounds.lscfg") + " -o " + output;
  }
  void ExpectRefused(const std::string& args, const std::string& err) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err, err) << args;
    EXPECT_EQ(ReadBytes(output), "previous") << args;
  }

  testing_support::TempFolder dir;
  std::vector<std::vector<int16_t>> samples;
  const std::string output = dir.Path("flash.bin");
};

uint32_t Big(const std::string& b, size_t at, int size) {
  uint32_t v = 0;
  for (int i = 0; i < size; ++i) v = v << 8 | static_cast<uint8_t>(b[at + size_t(i)]);
  return v;
}

TEST_F(ImageCommand, WritesWhatAnErasedBoardHoldsAfterTheDownload) {
  const auto r = RunCli(Configuration());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(output), std::string::npos);
  const std::string image = ReadBytes(output);
  const size_t tableEnd = 12 + 66;
  ASSERT_GE(image.size(), 512u);
  EXPECT_EQ(image.substr(0, 12), std::string(12, '\xFF'));
  EXPECT_EQ(image.substr(12, 4), std::string("\x03\x02\x01\x00", 4));
  uint32_t sum = 0;
  for (size_t i = 12; i < tableEnd - 2; ++i) sum += static_cast<uint8_t>(image[i]);
  EXPECT_EQ(Big(image, tableEnd - 2, 2), sum % 65536);
  EXPECT_EQ(image.substr(tableEnd, 512 - tableEnd), std::string(512 - tableEnd, '\xFF'));

  uint32_t next = 512;
  for (size_t k = 0; k < kSounds.size(); ++k) {
    const uint32_t address = Big(image, 16 + 6 * k, 3), length = Big(image, 19 + 6 * k, 3);
    EXPECT_EQ(address, next) << kSounds[k].name;
    EXPECT_EQ(length, 3 * ((kSounds[k].samples + 1) / 2)) << kSounds[k].name;
    ASSERT_LE(address + length, image.size());
    const std::string coded = image.substr(address, length);
    EXPECT_EQ(sound_test::Decode({coded.begin(), coded.end()}),
              sound_test::Expected(samples[k], kSounds[k].volume))
        << kSounds[k].name;
    if (address + length < image.size()) {
      EXPECT_EQ(image[address + length], '\xFF') << "skipped byte after " << k;
    }
    next = address + length + 1;
  }
  EXPECT_EQ(image.size(), next - 1) << "the image ends with the last byte of the last file";
}

TEST_F(ImageCommand, RefusesWhatTheWindowWouldNotDownload) {
  testing_support::WriteBytes(output, "previous");
  std::filesystem::rename(Path("m2"), dir.Path("m2.moved"));
  ExpectRefused(Configuration(),
                "The following files could not be found or are not valid:\n" + Path("m2") + "\n");
  std::filesystem::rename(dir.Path("m2.moved"), Path("m2"));
  ExpectRefused(Configuration({"BOOTS"}), "Not a valid configuration file\n");

  const std::string boot = Path("boot");
  ExpectRefused(Configuration({"BOOT", boot, "1", "PWRON", boot, "1", "PWROFF", boot, "1", "IDLE",
                               "", "1", "MOTION-1", boot, "1", "IMPACT-0", "LOCKUP-0"}),
                "Idle file is missing\n");
  ExpectRefused(
      Configuration({"BOOT", boot, "1", "PWRON", boot, "1", "PWROFF", boot, "1", "IDLE", boot, "1",
                     "MOTION-1", boot, "1", "IMPACT-1", boot, "1", "LOCKUP-0"}),
      "At least one locku-up file is required\n");

  size_t total = 0;
  for (const Sound& s : kSounds) total += s.samples;
  ExpectRefused(Configuration() + " --capacity " + std::to_string(total - 1),
                "The sound files do not fit into the board: they hold " + std::to_string(total) +
                    " samples, the capacity is " + std::to_string(total - 1) + " samples.\n");
  ExpectRefused(Configuration() + " -o " + dir.Path("no/such/dir/flash.bin"),
                "The image could not be written to " + dir.Path("no/such/dir/flash.bin") +
                    ": cannot create a file beside it: No such file or directory\n");
  EXPECT_EQ(RunCli(Configuration() + " --capacity " + std::to_string(total)).status, 0)
      << "a configuration that just fits";
}

// A configuration written on another system: a byte-order mark first, or
// "\" between folders. It gives the same image as the plain one.
TEST_F(ImageCommand, ReadsConfigurationsWrittenElsewhere) {
  ASSERT_EQ(RunCli(Configuration()).status, 0);
  const std::string plain = ReadBytes(output), text = ReadBytes(dir.Path("sounds.lscfg"));
  const std::string folder = dir.dir().string();
  std::string backslashed = text;
  for (size_t at = 0; (at = backslashed.find(folder + "/", at)) != std::string::npos;
       at += folder.size())
    backslashed[at + folder.size()] = '\\';
  ASSERT_NE(backslashed.find(folder + "\\boot.lsu"), std::string::npos);
  for (const std::string& variant : {"\xEF\xBB\xBF" + text, backslashed}) {
    testing_support::WriteBytes(dir.Path("elsewhere.lscfg"), variant);
    std::filesystem::remove(output);
    const auto r = RunCli("image " + dir.Path("elsewhere.lscfg") + " -o " + output);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadBytes(output) == plain) << "not the same image";
  }
}

// What never ends or never comes (a device, a FIFO nobody writes to, one
// endless line) is refused at once, with the reason under the usual text.
TEST_F(ImageCommand, RefusesInputsThatAreNotBoundedTextFiles) {
  testing_support::WriteBytes(output, "previous");
  const std::string fifo = dir.Path("fifo.lscfg"), huge = dir.Path("huge.lscfg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  testing_support::WriteBytes(huge, "BOOT\r\n" + std::string(8 << 20, 'x'));
  const std::pair<std::string, std::string> cases[] = {
      {"/dev/zero", "/dev/zero is not a regular file"},
      {fifo, fifo + " is not a regular file"},
      {huge, huge + " has a line longer than 4096 bytes"}};
  for (const auto& [file, why] : cases) {
    const auto r = testing_support::RunProgram({MORVANE_CLI, "image", file, "-o", output},
                                               {.timeoutSeconds = 60});
    EXPECT_FALSE(r.timedOut) << file;
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err, "Not a valid configuration file\n" + why + "\n");
    EXPECT_EQ(ReadBytes(output), "previous") << file;
  }
}

// An output named like one of the image's own inputs, by a slip of the
// keyboard or through a link, is refused: the configuration and its sound
// files stay as they are.
TEST_F(ImageCommand, NeverWritesOverItsInputs) {
  const std::string args = Configuration();
  const std::string configuration = dir.Path("sounds.lscfg"), text = ReadBytes(configuration);
  const std::string boot = ReadBytes(Path("boot"));
  std::filesystem::create_symlink(Path("boot"), dir.Path("link.bin"));
  for (const std::string& input : {configuration, Path("boot"), dir.Path("link.bin")}) {
    const auto r = RunCli("image " + configuration + " -o " + input);
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(configuration), text) << input;
    EXPECT_EQ(ReadBytes(Path("boot")), boot) << input;
  }
  EXPECT_EQ(RunCli(args).status, 0) << "a new file is still written";
}

TEST_F(ImageCommand, UsageErrorsExitWith2) {
  const std::string image = Configuration();
  for (const std::string& args :
       {std::string("image"), "image -o " + output, image + " --capacity", image + " --capacity 0",
        image + " --capacity 12x", image + " --verbose", image + " extra.lscfg"}) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
  }
  EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
