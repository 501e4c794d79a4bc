// Any recording to LSU: the sound that comes out is measured here (level
// and frequency of a tone, sample counts of known durations), never compared
// with an earlier output of the converter.

#include "converter/AudioConversion.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <cmath>
#include <filesystem>
#include <random>

#include "tests/converter/AudioFixtures.h"
#include "tests/converter/WavFixtures.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"

// Every close() of the conversion's own code passes through here (the
// test links with --wrap=close). A close that finds no open descriptor
// (EBADF) closed a number that was closed already: in a program that
// converts on several threads, that number may by then be another file's.
std::atomic<int> closedTwice{0};
extern "C" int __real_close(int fd);
extern "C" int __wrap_close(int fd) {
  const int result = __real_close(fd);
  if (result != 0 && errno == EBADF) ++closedTwice;
  return result;
}

namespace {

using converter::ConversionStatus;
using converter::ConvertToLsu;
using testing_support::FolderNames;
using testing_support::ReadLsuSamples;
using testing_support::Shell;
using testing_support::Sox;

std::vector<double> AsDouble(const std::vector<int16_t>& samples, size_t from, size_t count) {
  return {samples.begin() + ptrdiff_t(from), samples.begin() + ptrdiff_t(from + count)};
}

class AudioConversion : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir.Path(name); }
  testing_support::TempFolder dir;
};

// 0.5 of full scale: sox's sine at "vol 0.5".
constexpr double kHalfScaleDb = -6.0206;

double LevelDb(const std::vector<int16_t>& samples, size_t from, size_t count, double rate) {
  return 20 *
         std::log10(testing_support::ToneAmplitude(AsDouble(samples, from, count), 1000, rate) /
                    32768.0);
}

TEST_F(AudioConversion, StereoSineAt44100BecomesTheSameToneAt48000) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Path("tone.wav") + " synth 2 sine 1000 vol 0.5"));
  const auto r = ConvertToLsu(Path("tone.wav"), Path("tone.lsu"));
  ASSERT_EQ(r.status, ConversionStatus::Converted) << r.message;
  EXPECT_EQ(r.message, "Converted: stereo 44100 Hz 16 bit \u2192 mono 48000 Hz 16 bit");
  EXPECT_EQ(r.clippedSamples, 0);

  const auto out = ReadLsuSamples(Path("tone.lsu"));
  // Two seconds at 48000 per second.
  EXPECT_NEAR(double(out.size()), 96000, 1);
  EXPECT_EQ(r.samples, int64_t(out.size()));
  // One second from the middle: 1000 whole periods at 48 kHz.
  EXPECT_NEAR(LevelDb(out, 24000, 48000, 48000), kHalfScaleDb, 0.1);
  // Nothing but that tone: read at another rate, the tone would lie off 1 kHz.
  EXPECT_LT(testing_support::ResidualDb(AsDouble(out, 24000, 48000), 1000, 48000), -70);
}

TEST_F(AudioConversion, MonoSixteenBitAt48000IsCopiedSampleForSample) {
  const auto samples = sound_test::Samples(5001, 32767, 7);
  std::vector<uint8_t> data;
  for (int16_t s : samples) {
    data.push_back(uint8_t(s & 0xFF));
    data.push_back(uint8_t((s >> 8) & 0xFF));
  }
  testing_support::WriteFile(Path("mono.wav"),
                             testing_support::MakeWav(1, 48000, 16, data, {{"LIST", "INFOxxxx"}}));
  const auto r = ConvertToLsu(Path("mono.wav"), Path("mono.lsu"));
  ASSERT_EQ(r.status, ConversionStatus::Copied) << r.message;
  EXPECT_EQ(r.message, "Copied: mono 48000 Hz 16 bit");
  const std::string lsu = testing_support::ReadBytes(Path("mono.lsu"));
  EXPECT_EQ(lsu.substr(0, 4), "LSU1");
  EXPECT_EQ(lsu.substr(4), std::string(data.begin(), data.end()));
}

TEST_F(AudioConversion, OppositeChannelsMixToSilence) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> value(-0.9f, 0.9f);
  std::vector<float> frames;
  for (int i = 0; i < 44100; ++i) {
    const float v = std::round(value(random) * 32767) / 32768;
    frames.insert(frames.end(), {v, -v});
  }
  testing_support::WriteSound(Path("opposite.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                              frames);
  const auto r = ConvertToLsu(Path("opposite.wav"), Path("opposite.lsu"));
  ASSERT_TRUE(r.Ok()) << r.message;
  const auto out = ReadLsuSamples(Path("opposite.lsu"));
  EXPECT_NEAR(double(out.size()), 48000, 1);
  // Only the dither is left: at most one step either way.
  for (int16_t s : out) ASSERT_LE(std::abs(s), 1);
}

// Encoded by the programs users have, each read back as a 1 kHz tone of
// about the level it went in with and the length it had.
TEST_F(AudioConversion, ReadsFlacOggMp3OpusAndEveryWavForm) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Path("src.wav") + " synth 1 sine 1000 vol 0.5"));
  ASSERT_TRUE(Shell("flac -s -f -o " + Path("tone.flac") + " " + Path("src.wav")));
  ASSERT_TRUE(Shell("oggenc -Q -o " + Path("tone.ogg") + " " + Path("src.wav")));
  ASSERT_TRUE(Shell("lame --quiet " + Path("src.wav") + " " + Path("tone.mp3")));
  ASSERT_TRUE(Sox("-n -r 96000 -c 2 -b 24 " + Path("tone24.wav") + " synth 1 sine 1000 vol 0.5"));
  ASSERT_TRUE(Sox("-n -r 22050 -c 1 -e floating-point -b 32 " + Path("float.wav") +
                  " synth 1 sine 1000 vol 0.5"));
  ASSERT_TRUE(Sox("-n -r 32000 -c 6 -b 16 " + Path("six.wav") + " synth 1 sine 1000 vol 0.5"));
  ASSERT_TRUE(Sox("-n -r 11025 -c 1 -b 8 " + Path("eight.wav") + " synth 1 sine 1000 vol 0.5"));
  std::vector<float> tone;
  for (int i = 0; i < 48000; ++i)
    tone.push_back(0.5f * float(std::sin(2 * 3.14159265358979 * 1000 * i / 48000)));
  testing_support::WriteSound(Path("tone.opus"), SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, tone);

  const struct {
    const char* file;
    const char* source;
    double tolerance;  // dB; lossy codings change the level a little
  } cases[] = {
      {"tone.flac", "Converted: stereo 44100 Hz 16 bit", 0.1},
      {"tone.ogg", "Converted: stereo 44100 Hz OGG Vorbis", 0.5},
      {"tone.mp3", "Converted: stereo 44100 Hz MP3", 0.5},
      {"tone.opus", "Converted: mono 48000 Hz OGG Opus", 0.5},
      {"tone24.wav", "Converted: stereo 96000 Hz 24 bit", 0.1},
      {"float.wav", "Converted: mono 22050 Hz 32 bit float", 0.1},
      {"six.wav", "Converted: 6 channels 32000 Hz 16 bit", 0.1},
      {"eight.wav", "Converted: mono 11025 Hz 8 bit", 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto r = ConvertToLsu(Path(c.file), Path("out.lsu"));
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(r.message.substr(0, r.message.find(" \u2192")), c.source);
    const auto out = ReadLsuSamples(Path("out.lsu"));
    // Opus pads its start; every other coding keeps the length exactly.
    EXPECT_NEAR(double(out.size()), 48000, std::string(c.file) == "tone.opus" ? 1000 : 1);
    EXPECT_NEAR(LevelDb(out, 12000, 24000, 48000), kHalfScaleDb, c.tolerance);
  }
}

TEST_F(AudioConversion, SamplesBeyondFullScaleAreHeldAndCounted) {
  std::vector<float> frames(2 * 1000, 0.25f);
  for (int at : {100, 500, 900}) frames[size_t(2 * at)] = frames[size_t(2 * at + 1)] = 1.25f;
  frames[2 * 700] = frames[2 * 700 + 1] = -1.5f;
  testing_support::WriteSound(Path("loud.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, frames);
  const auto r = ConvertToLsu(Path("loud.wav"), Path("loud.lsu"));
  ASSERT_TRUE(r.Ok()) << r.message;
  EXPECT_EQ(r.clippedSamples, 4);
  EXPECT_EQ(r.message,
            "Converted: stereo 48000 Hz 32 bit float \u2192 mono 48000 Hz 16 bit, 4 clipped "
            "samples");
  const auto out = ReadLsuSamples(Path("loud.lsu"));
  ASSERT_EQ(out.size(), 1000u);
  EXPECT_EQ(out[100], 32767);
  EXPECT_EQ(out[900], 32767);
  EXPECT_EQ(out[700], -32768);
  EXPECT_NEAR(out[0], 8192, 1);
}

// A level of a fraction of a step survives as the mean of the dither: it is
// neither rounded away nor made a steady tone of its own.
TEST_F(AudioConversion, QuantisesWithTriangularDither) {
  testing_support::WriteSound(Path("faint.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1,
                              std::vector<float>(48000, 0.3f / 32768));
  ASSERT_TRUE(ConvertToLsu(Path("faint.wav"), Path("faint.lsu")).Ok());
  const auto out = ReadLsuSamples(Path("faint.lsu"));
  ASSERT_EQ(out.size(), 48000u);
  double sum = 0;
  for (int16_t s : out) {
    ASSERT_GE(s, -1);
    ASSERT_LE(s, 1);
    sum += s;
  }
  EXPECT_NEAR(sum / double(out.size()), 0.3, 0.02);
}

// Nothing is written for a file that cannot be read whole, and the
// message names the file and says what is wrong with it.
TEST_F(AudioConversion, RefusesTruncatedAndNonAudioFilesWritingNothing) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Path("src.wav") + " synth 2 sine 1000"));
  ASSERT_TRUE(Shell("flac -s -f -o " + Path("full.flac") + " " + Path("src.wav")));
  const std::string flac = testing_support::ReadBytes(Path("full.flac"));
  testing_support::WriteBytes(Path("cut.flac"), flac.substr(0, flac.size() / 2));
  // A WAV or AIFF file cut in a copy, and a header announcing hours of
  // sound in front of a few bytes: libsndfile reads what is there as if
  // it were the whole recording.
  const std::string wav = testing_support::ReadBytes(Path("src.wav"));
  testing_support::WriteBytes(Path("cut.wav"), wav.substr(0, wav.size() / 2));
  for (const std::string kind : {"aiff", "au"}) {
    ASSERT_TRUE(Sox(Path("src.wav") + " " + Path("full." + kind)));
    const std::string whole = testing_support::ReadBytes(Path("full." + kind));
    testing_support::WriteBytes(Path("cut." + kind), whole.substr(0, whole.size() / 2));
    std::filesystem::remove(Path("full." + kind));
  }
  std::string hours = wav.substr(0, 44 + 4000);
  const size_t data = hours.find("data");
  ASSERT_NE(data, std::string::npos);
  hours.replace(data + 4, 4, "\x00\x00\x00\xF0", 4);
  testing_support::WriteBytes(Path("hours.wav"), hours);
  testing_support::WriteBytes(Path("header.wav"),
                              testing_support::ReadBytes(Path("src.wav")).substr(0, 30));
  testing_support::WriteBytes(Path("notes.wav"), "These are not samples.\n");
  testing_support::WriteBytes(Path("empty.mp3"), "");
  ASSERT_EQ(mkfifo(Path("pipe.wav").c_str(), 0600), 0);
  std::filesystem::remove(Path("src.wav"));
  std::filesystem::remove(Path("full.flac"));
  testing_support::WriteBytes(Path("kept.lsu"), "previous");

  const struct {
    const char* file;
    const char* says;
  } cases[] = {
      {"cut.flac", "cut.flac ends early"},
      {"cut.wav", "cut.wav ends early: "},
      {"cut.aiff", "cut.aiff ends early: "},
      {"cut.au", "cut.au ends early: "},
      {"hours.wav", "hours.wav ends early: "},
      {"header.wav", "header.wav cannot be read as sound: "},
      {"notes.wav", "notes.wav cannot be read as sound: "},
      {"empty.mp3", "empty.mp3 cannot be read as sound: "},
      {"pipe.wav", "pipe.wav is not a regular file"},
      {"missing.ogg", "missing.ogg cannot be read: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto r = ConvertToLsu(Path(c.file), Path("kept.lsu"));
    EXPECT_EQ(r.status, ConversionStatus::Refused);
    EXPECT_EQ(r.message.rfind(c.says, 0), 0u) << r.message;
    // libsndfile's reason follows.
    if (std::string(c.says).ends_with(": "))
      EXPECT_GT(r.message.size(), std::string(c.says).size()) << r.message;
    EXPECT_EQ(converter::DescribeConversion(r), r.message);
  }
  EXPECT_EQ(testing_support::ReadBytes(Path("kept.lsu")), "previous");
  EXPECT_EQ(
      FolderNames(dir.dir().string()),
      (std::vector<std::string>{"cut.aiff", "cut.au", "cut.flac", "cut.wav", "empty.mp3",
                                "header.wav", "hours.wav", "kept.lsu", "notes.wav", "pipe.wav"}));
}

// libsndfile closes the descriptor of a file it cannot read: the
// conversion must not close that number a second time.
TEST_F(AudioConversion, AFileThatIsNoSoundClosesEachDescriptorOnce) {
  testing_support::WriteBytes(Path("notes.wav"), "These are not samples.\n");
  ASSERT_TRUE(Sox("-n -r 48000 -c 1 -b 16 " + Path("tone.wav") + " synth 0.1 sine 1000"));
  closedTwice = 0;
  EXPECT_EQ(ConvertToLsu(Path("notes.wav"), Path("notes.lsu")).status, ConversionStatus::Refused);
  EXPECT_EQ(ConvertToLsu(Path("tone.wav"), Path("tone.lsu")).status, ConversionStatus::Copied);
  EXPECT_EQ(closedTwice, 0);
}

TEST_F(AudioConversion, CancelLeavesNeitherOutputNorTemporaryFile) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Path("long.wav") + " synth 20 sine 1000"));
  testing_support::WriteBytes(Path("long.lsu"), "previous");
  std::vector<double> told;
  converter::ConversionControl control;
  control.progress = [&](double part) { told.push_back(part); };
  control.cancelled = [&] { return told.size() == 3; };
  const auto r = ConvertToLsu(Path("long.wav"), Path("long.lsu"), control);
  EXPECT_EQ(r.status, ConversionStatus::Cancelled);
  EXPECT_EQ(told.size(), 3u);
  EXPECT_EQ(testing_support::ReadBytes(Path("long.lsu")), "previous");
  EXPECT_EQ(FolderNames(dir.dir().string()), (std::vector<std::string>{"long.lsu", "long.wav"}));

  // Left to run, the parts grow to 1.
  told.clear();
  control.cancelled = {};
  ASSERT_TRUE(ConvertToLsu(Path("long.wav"), Path("long.lsu"), control).Ok());
  ASSERT_GT(told.size(), 3u);
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_GT(told.front(), 0);
  EXPECT_EQ(told.back(), 1.0);
}

TEST_F(AudioConversion, OutputProblemsLeaveInputsAndLinkedFilesAlone) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 1 -b 16 " + Path("in.wav") + " synth 0.5 sine 1000"));
  const std::string input = testing_support::ReadBytes(Path("in.wav"));

  auto r = ConvertToLsu(Path("in.wav"), Path("in.wav"));
  EXPECT_EQ(r.status, ConversionStatus::Refused);
  EXPECT_EQ(r.message, "in.wav cannot be converted onto itself");
  std::filesystem::create_symlink(Path("in.wav"), Path("alias.lsu"));
  EXPECT_EQ(ConvertToLsu(Path("in.wav"), Path("alias.lsu")).status, ConversionStatus::Refused);
  EXPECT_EQ(testing_support::ReadBytes(Path("in.wav")), input);

  r = ConvertToLsu(Path("in.wav"), Path("no-such-folder/out.lsu"));
  EXPECT_EQ(r.status, ConversionStatus::Failed);
  EXPECT_EQ(r.message.rfind("Could not write " + Path("no-such-folder/out.lsu") + ": ", 0), 0u)
      << r.message;

  // An output name that is a link keeps its link, as every save does: the
  // file it points to is replaced as a whole.
  testing_support::WriteBytes(Path("target.lsu"), "older");
  std::filesystem::create_symlink(Path("target.lsu"), Path("link.lsu"));
  ASSERT_TRUE(ConvertToLsu(Path("in.wav"), Path("link.lsu")).Ok());
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.lsu")));
  EXPECT_EQ(ReadLsuSamples(Path("target.lsu")).size(), 24000u);
}

// A write that fails half-way (here the file size limit, as a full disk
// would) takes the temporary file with it and keeps the older output.
TEST_F(AudioConversion, AWriteThatFailsHalfWayLeavesTheOlderOutput) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Path("in.wav") + " synth 5 sine 1000"));
  testing_support::WriteBytes(Path("out.lsu"), "previous");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto r = ConvertToLsu(Path("in.wav"), Path("out.lsu"));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r.status, ConversionStatus::Failed);
  EXPECT_EQ(r.message.rfind("Could not write " + Path("out.lsu") + ": ", 0), 0u) << r.message;
  EXPECT_NE(r.message.find("File too large"), std::string::npos) << r.message;
  EXPECT_EQ(testing_support::ReadBytes(Path("out.lsu")), "previous");
  EXPECT_EQ(FolderNames(dir.dir().string()), (std::vector<std::string>{"in.wav", "out.lsu"}));
}

TEST_F(AudioConversion, InformationOfAnyReadableFile) {
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 24 " + Path("a.wav") + " synth 2.5 sine 1000"));
  ASSERT_TRUE(Shell("lame --quiet " + Path("a.wav") + " " + Path("a.mp3")));
  auto info = converter::ReadAudioInfo(Path("a.wav"));
  ASSERT_TRUE(info.ok) << info.message;
  EXPECT_EQ(info.format.sampleRate, 44100);
  EXPECT_EQ(info.format.channels, 2);
  EXPECT_EQ(info.format.bits, 24);
  EXPECT_DOUBLE_EQ(info.format.DurationSeconds(), 2.5);
  EXPECT_EQ(converter::DescribeAudio(info.format), "WAV, stereo, 44100 Hz, 24 bit, 2.50 s");

  info = converter::ReadAudioInfo(Path("a.mp3"));
  ASSERT_TRUE(info.ok) << info.message;
  EXPECT_EQ(converter::DescribeAudio(info.format), "MP3, stereo, 44100 Hz, 2.50 s");

  testing_support::WriteBytes(Path("b.wav"), "RIFF");
  info = converter::ReadAudioInfo(Path("b.wav"));
  EXPECT_FALSE(info.ok);
  EXPECT_EQ(info.message.rfind("b.wav cannot be read as sound: ", 0), 0u) << info.message;
}

}  // namespace
