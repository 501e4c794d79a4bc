// brelka's conversion of any format from the command line, run as scripts
// run it: "-i IN -o OUT -u -r" and "brelka convert ...", in a folder of
// their own, without a window system.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <numbers>

#include "tests/converter/AudioFixtures.h"
#include "tests/converter/WavFixtures.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Interleaved frames of a 1 kHz sine at half scale, the same in every
// channel.
std::vector<float> Tone(int rate, int channels, double seconds) {
  std::vector<float> frames;
  for (int n = 0; n < int(rate * seconds); ++n)
    for (int c = 0; c < channels; ++c)
      frames.push_back(float(0.5 * std::sin(2 * std::numbers::pi * 1000 * n / rate)));
  return frames;
}

// The LSU file holds the tone at 48 kHz: its length and its level.
void ExpectToneLsu(const std::string& path, double seconds) {
  const std::vector<int16_t> samples = ReadLsuSamples(path);
  ASSERT_NEAR(double(samples.size()), 48000 * seconds, 2) << path;
  EXPECT_EQ(testing_support::ReadBytes(path).substr(0, 4), "LSU1");
  const std::vector<double> middle(samples.begin() + 4800, samples.end() - 4800);
  EXPECT_NEAR(ToneAmplitude(middle, 1000, 48000) / 32768, 0.5, 0.01) << path;
}

class BrelkaConvert : public ::testing::Test {
 protected:
  BrelkaConvert() {
    WriteSound(Path("stereo 44k.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
               Tone(44100, 2, 0.5));
    WriteSound(Path("clash 2.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2,
               Tone(44100, 2, 0.5));
    WriteFile(Path("mono.wav"), MakeWav(1, 48000, 16, std::vector<uint8_t>(2000, 7)));
    testing_support::WriteBytes(Path("notes.txt"), "not a sound");
  }
  std::string Path(const std::string& name) const { return dir.Path(name); }

  // brelka run in the test's folder, with a display that cannot be
  // reached: none of the command-line forms may need it.
  ProgramRun Brelka(std::vector<std::string> args, int timeoutSeconds = 120) const {
    args.insert(args.begin(), BRELKA);
    std::optional<std::string> display;
    if (!fs::exists("/tmp/.X11-unix/X93")) display = ":93";
    return RunProgram(
        args, {.env = {{"DISPLAY", display}, {"WAYLAND_DISPLAY", {}}, {"QT_QPA_PLATFORM", {}}},
               .timeoutSeconds = timeoutSeconds,
               .workingDirectory = dir.dir().string()});
  }

  testing_support::TempFolder dir;
};

TEST_F(BrelkaConvert, ResampleSwitchConvertsAnyFormatAndWithoutItTheOldRefusalStands) {
  // This form cannot take names with spaces.
  fs::rename(Path("stereo 44k.wav"), Path("stereo.wav"));
  fs::rename(Path("clash 2.flac"), Path("clash.flac"));
  ProgramRun r = Brelka({"-i", Path("stereo.wav"), "-o", Path("stereo.lsu"), "-u"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Only mono files coded 16bit @ 48kHz can be converted\n");
  EXPECT_FALSE(fs::exists(Path("stereo.lsu")));
  r = Brelka({"-i", Path("clash.flac"), "-o", Path("clash.lsu"), "-u"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Invalid WAV file\n");

  // -r after -u, upper or lower case, anything after it ignored.
  r = Brelka({"-i", Path("stereo.wav"), "-o", Path("stereo.lsu"), "-u", "-r"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Converted: stereo 44100 Hz 16 bit \u2192 mono 48000 Hz 16 bit\n");
  ExpectToneLsu(Path("stereo.lsu"), 0.5);
  r = Brelka({"-I", Path("clash.flac"), "-O", Path("clash.lsu"), "-U", "-R", "whatever"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Converted: stereo 44100 Hz 24 bit \u2192 mono 48000 Hz 16 bit\n");
  ExpectToneLsu(Path("clash.lsu"), 0.5);
  // What the converter always took is still copied byte for byte.
  r = Brelka({"-i", Path("mono.wav"), "-o", Path("mono.lsu"), "-u", "-r"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Copied: mono 48000 Hz 16 bit\n");
  EXPECT_EQ(testing_support::ReadBytes(Path("mono.lsu")), "LSU1" + std::string(2000, char(7)));
  r = Brelka({"-i", Path("notes.txt"), "-o", Path("notes.lsu"), "-u", "-r"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("notes.txt cannot be read as sound", 0), 0u) << r.err;
  EXPECT_FALSE(fs::exists(Path("notes.lsu")));
}

// A FIFO would never end: it is refused at once, in either form.
TEST_F(BrelkaConvert, AFifoIsRefusedNotWaitedFor) {
  ASSERT_EQ(mkfifo(Path("pipe.wav").c_str(), 0600), 0);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-i", Path("pipe.wav"), "-o", Path("pipe.lsu"), "-u"},
           {"-i", Path("pipe.wav"), "-o", Path("pipe.lsu"), "-u", "-r"},
           {"convert", "pipe.wav"},
           {"convert", "--resample", "pipe.wav"}}) {
    const ProgramRun r = Brelka(args, 60);
    EXPECT_FALSE(r.timedOut) << args.back();
    EXPECT_EQ(r.status, 1) << args.back() << r.err;
  }
  EXPECT_FALSE(fs::exists(Path("pipe.lsu")));
}

TEST_F(BrelkaConvert, ConvertsSeveralFilesBesideThemselvesAndNeverOverwrites) {
  // Without --resample only what the converter always took is converted.
  ProgramRun r = Brelka({"convert", "clash 2.flac", "mono.wav", "stereo 44k.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "mono.wav \u2192 mono.lsu (Copied: mono 48000 Hz 16 bit)\n");
  EXPECT_EQ(r.err,
            "clash 2.flac: Invalid WAV file (FLAC, stereo, 44100 Hz, 24 bit, 0.50 s; --resample "
            "converts it)\n"
            "stereo 44k.wav: Only mono files coded 16bit @ 48kHz can be converted (WAV, stereo, "
            "44100 Hz, 16 bit, 0.50 s; --resample converts it)\n");
  EXPECT_FALSE(fs::exists(Path("clash 2.lsu")));

  fs::remove(Path("mono.lsu"));
  r = Brelka({"convert", "--resample", "clash 2.flac", "mono.wav", "stereo 44k.wav"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "clash 2.flac \u2192 clash 2.lsu (Converted: stereo 44100 Hz 24 bit \u2192 mono 48000 "
            "Hz 16 bit)\n"
            "mono.wav \u2192 mono.lsu (Copied: mono 48000 Hz 16 bit)\n"
            "stereo 44k.wav \u2192 stereo 44k.lsu (Converted: stereo 44100 Hz 16 bit \u2192 mono "
            "48000 Hz 16 bit)\n");
  EXPECT_EQ(r.err, "");
  ExpectToneLsu(Path("clash 2.lsu"), 0.5);
  ExpectToneLsu(Path("stereo 44k.lsu"), 0.5);

  // Existing outputs stay without --force; the others are converted.
  testing_support::WriteBytes(Path("mono.lsu"), "mine");
  fs::remove(Path("stereo 44k.lsu"));
  r = Brelka({"convert", "--resample", "mono.wav", "stereo 44k.wav", "clash 2.flac"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "mono.wav: mono.lsu exists; not converted (--force replaces it)\n"
            "clash 2.flac: clash 2.lsu exists; not converted (--force replaces it)\n");
  EXPECT_EQ(r.out.rfind("stereo 44k.wav \u2192 stereo 44k.lsu (Converted:", 0), 0u) << r.out;
  EXPECT_EQ(testing_support::ReadBytes(Path("mono.lsu")), "mine");
  r = Brelka({"convert", "--force", "mono.wav"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing_support::ReadBytes(Path("mono.lsu")).size(), 2004u);

  // Never the input, not even with --force, under any name.
  fs::create_symlink(Path("mono.wav"), Path("link.lsu"));
  const std::string wav = testing_support::ReadBytes(Path("mono.wav"));
  for (const char* output : {"mono.wav", "link.lsu", "./mono.wav"}) {
    r = Brelka({"convert", "--force", "--resample", "mono.wav", "-o", output});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_NE(r.err.find("is its own output"), std::string::npos) << r.err;
  }
  EXPECT_EQ(testing_support::ReadBytes(Path("mono.wav")), wav);
  EXPECT_TRUE(fs::is_symlink(Path("link.lsu")));
}

TEST_F(BrelkaConvert, OutputOptionsAndUsageErrors) {
  ProgramRun r = Brelka({"convert", "--resample", "clash 2.flac", "-o", "sub dir/../one.lsu"});
  EXPECT_EQ(r.status, 1) << "no such folder to write into";
  fs::create_directory(Path("sub dir"));
  r = Brelka({"convert", "--resample", "clash 2.flac", "-o", "sub dir/../one.lsu"});
  EXPECT_EQ(r.status, 0) << r.err;
  ExpectToneLsu(Path("one.lsu"), 0.5);

  r = Brelka({"convert", "--out-dir", "new dir/lsu", "--resample", "stereo 44k.wav", "mono.wav",
              "--", "clash 2.flac"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FolderNames(Path("new dir/lsu")),
            (std::vector<std::string>{"clash 2.lsu", "mono.lsu", "stereo 44k.lsu"}));

  // Two inputs that would make the same LSU file: the second is refused.
  fs::create_directory(Path("b"));
  fs::copy_file(Path("mono.wav"), Path("b/clash 2.wav"));
  r = Brelka({"convert", "--resample", "--out-dir", "c", "clash 2.flac", "b/clash 2.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.err,
      "b/clash 2.wav was not converted: its LSU file clash 2.lsu is made from clash 2.flac\n");
  ExpectToneLsu(Path("c/clash 2.lsu"), 0.5);

  const auto before = FolderNames(dir.dir().string());
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"convert"},
           {"convert", "--resample"},
           {"convert", "-o", "x.lsu", "mono.wav", "clash 2.flac"},
           {"convert", "mono.wav", "-o"},
           {"convert", "mono.wav", "-o", "x.lsu", "-o", "y.lsu"},
           {"convert", "mono.wav", "-o", "x.lsu", "--out-dir", "d"},
           {"convert", "--louder", "mono.wav"}}) {
    r = Brelka(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_NE(r.err.find("Usage: brelka convert"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(FolderNames(dir.dir().string()), before) << "nothing written";
}

// Ctrl+C while a long recording is converted: brelka stops, says so and
// leaves neither the LSU file nor its temporary file.
TEST_F(BrelkaConvert, InterruptLeavesNoFile) {
  ASSERT_TRUE(Sox("-n -r 8000 -c 1 -b 16 " + Path("long.wav") + " trim 0 900"));
  const auto before = FolderNames(dir.dir().string());
  auto writing = [&](const ProgramRun&) { return FolderNames(dir.dir().string()) != before; };
  const ProgramRun r =
      RunProgram({BRELKA, "convert", "--resample", Path("long.wav")}, {.interruptWhen = writing});
  ASSERT_TRUE(r.interrupted) << "the conversion never started";
  ASSERT_EQ(r.signal, 0) << "ended by the signal";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FolderNames(dir.dir().string()), before);
}

// The same in the older form, which keeps Ctrl+C's usual meaning: brelka
// ends at once, and the part of the LSU file written so far goes with it.
TEST_F(BrelkaConvert, InterruptOfTheOlderFormLeavesNoFile) {
  ASSERT_TRUE(Sox("-n -r 8000 -c 1 -b 16 " + Path("long.wav") + " trim 0 900"));
  const auto before = FolderNames(dir.dir().string());
  auto writing = [&](const ProgramRun&) { return FolderNames(dir.dir().string()) != before; };
  const ProgramRun r =
      RunProgram({BRELKA, "-i", Path("long.wav"), "-o", Path("long.lsu"), "-u", "-r"},
                 {.env = {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}}, .interruptWhen = writing});
  ASSERT_TRUE(r.interrupted) << "the conversion never started";
  EXPECT_TRUE(r.signal == SIGINT || r.status == 1) << r.status << " " << r.signal;
  EXPECT_EQ(FolderNames(dir.dir().string()), before);
}

TEST_F(BrelkaConvert, HelpAndVersion) {
  ProgramRun r = Brelka({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "brelka " MORVANE_VERSION "\n");
  r = Brelka({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(
      r.out.find("brelka convert [--resample] [--force] FILE... [-o OUT.lsu | --out-dir DIR]"),
      std::string::npos);
  EXPECT_NE(r.out.find("brelka -i IN -o OUT -u [-r]"), std::string::npos);
  EXPECT_EQ(Brelka({"convert", "--help"}).out, r.out);
}

}  // namespace
