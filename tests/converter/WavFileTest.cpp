// Reading WAV headers and writing LSU files.

#include <gtest/gtest.h>

#include <filesystem>

#include "converter/WavFile.h"
#include "tests/converter/WavFixtures.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

using converter::WavFile;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Ramp(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + 3);
  return v;
}

struct Dir {
  Dir() : path(UniqueTempPath("wav")) { fs::create_directories(path); }
  ~Dir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

TEST(WavFile, HundredDataBytesMakeA104ByteLsu) {
  Dir d;
  const auto data = Ramp(100);
  WriteFile(d / "in.wav", MakeWav(1, 48000, 16, data));
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "in.wav"));
  EXPECT_EQ(w.DataSize, 100);
  EXPECT_TRUE(w.IsConvertible());
  ASSERT_EQ(w.ConvertToLSU(d / "out.lsu"), WavFile::Result::Done);
  const auto lsu = ReadFile(d / "out.lsu");
  ASSERT_EQ(lsu.size(), 104u);
  EXPECT_EQ(std::string(lsu.begin(), lsu.begin() + 4), "LSU1");
  EXPECT_TRUE(std::equal(data.begin(), data.end(), lsu.begin() + 4));
  EXPECT_FALSE(fs::exists(d / "out.lsu.part"));
}

TEST(WavFile, DataChunkIsFoundByWalkingTheChunks) {
  Dir d;
  const auto data = Ramp(64);
  // The metadata holds the text "data" before the data chunk: a byte search
  // would take the wrong place.
  WriteFile(d / "list.wav", MakeWav(1, 48000, 16, data, {{"LIST", "INFOdata is not here"}}));
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "list.wav"));
  EXPECT_EQ(w.DataSize, 64);
  ASSERT_EQ(w.ConvertToLSU(d / "list.lsu"), WavFile::Result::Done);
  const auto lsu = ReadFile(d / "list.lsu");
  EXPECT_TRUE(std::equal(data.begin(), data.end(), lsu.begin() + 4));

  // A broken chunk list falls back to the first "data" bytes of the file.
  auto broken = MakeWav(1, 48000, 16, data, {{"JUNK", "xy"}});
  broken[40] = 0xFF;  // the JUNK chunk's size now runs past the end
  WriteFile(d / "broken.wav", broken);
  ASSERT_TRUE(w.OpenFile(d / "broken.wav"));
  EXPECT_EQ(w.DataSize, 64);
}

// A LIST chunk of odd size written without its pad byte, holding the text
// "data": the walk goes on at the unpadded place and finds the real data.
TEST(WavFile, ChunkOfOddSizeWithoutItsPadByte) {
  Dir d;
  const auto data = Ramp(64);
  auto wav = MakeWav(1, 48000, 16, data, {{"LIST", "INFOdata!"}});
  const size_t pad = 36 + 8 + 9;
  ASSERT_EQ(wav[pad], 0);
  wav.erase(wav.begin() + std::ptrdiff_t(pad));
  WriteFile(d / "unpadded.wav", wav);
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "unpadded.wav"));
  EXPECT_EQ(w.DataSize, 64);
  ASSERT_EQ(w.ConvertToLSU(d / "unpadded.lsu"), WavFile::Result::Done);
  const auto lsu = ReadFile(d / "unpadded.lsu");
  ASSERT_EQ(lsu.size(), 68u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), lsu.begin() + 4));

  // Padded as it should be, the same file reads the same.
  WriteFile(d / "padded.wav", MakeWav(1, 48000, 16, data, {{"LIST", "INFOdata!"}}));
  ASSERT_TRUE(w.OpenFile(d / "padded.wav"));
  EXPECT_EQ(w.DataSize, 64);
}

// 50 MB of empty 8-byte chunks before the data: the walk reads its way
// through them (its speed is measured by the converter benchmark) and
// brelka converts the right bytes.
TEST(WavFile, LongRunOfChunksBeforeTheData) {
  Dir d;
  const auto data = Ramp(100);
  auto wav = MakeWav(1, 48000, 16, {}, {{"JUNK", ""}});
  wav.resize(wav.size() - 8);  // without its data chunk
  wav.resize(wav.size() + (50u << 20), 0);
  const auto tail = MakeWav(1, 48000, 16, data);
  wav.insert(wav.end(), tail.begin() + 36, tail.end());
  WriteFile(d / "long.wav", wav);
  const auto r =
      RunProgram({BRELKA, "-i", d / "long.wav", "-o", d / "long.lsu", "-u"},
                 {.env = {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}}, .timeoutSeconds = 600});
  EXPECT_EQ(r.status, 0) << r.err;
  const auto lsu = ReadFile(d / "long.lsu");
  ASSERT_EQ(lsu.size(), 104u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), lsu.begin() + 4));
}

TEST(WavFile, AnnouncedSizePastTheEndIsCut) {
  Dir d;
  WriteFile(d / "short.wav", MakeWav(1, 48000, 16, Ramp(51), {}, 100000));
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "short.wav"));
  EXPECT_EQ(w.DataSize, 51);
  ASSERT_EQ(w.ConvertToLSU(d / "short.lsu"), WavFile::Result::Done);
  EXPECT_EQ(ReadFile(d / "short.lsu").size(), 4u + 50u);  // whole samples only
}

TEST(WavFile, NotAWavFile) {
  Dir d;
  WavFile w;
  EXPECT_FALSE(w.OpenFile(d / "missing.wav"));
  auto bytes = MakeWav(1, 48000, 16, Ramp(10));
  for (size_t at : {0u, 8u, 12u, 20u}) {
    auto bad = bytes;
    bad[at] ^= 0x20;
    WriteFile(d / "bad.wav", bad);
    EXPECT_FALSE(w.OpenFile(d / "bad.wav")) << "byte " << at;
  }
  auto noData = bytes;
  std::copy_n("dada", 4, noData.begin() + 36);
  WriteFile(d / "nodata.wav", noData);
  EXPECT_FALSE(w.OpenFile(d / "nodata.wav"));
  WriteFile(d / "tiny.wav", {'R', 'I', 'F', 'F'});
  EXPECT_FALSE(w.OpenFile(d / "tiny.wav"));
  EXPECT_TRUE(w.FileName.empty());
}

TEST(WavFile, InformationText) {
  Dir d;
  WavFile w;
  WriteFile(d / "one.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(96000)));
  ASSERT_TRUE(w.OpenFile(d / "one.wav"));
  EXPECT_EQ(w.Information(),
            "File information: mono, Frequency: 48000, Coding: 16 bits, Duration: 1 sec");
  WriteFile(d / "st.wav", MakeWav(2, 44100, 16, std::vector<uint8_t>(44100)));
  ASSERT_TRUE(w.OpenFile(d / "st.wav"));
  EXPECT_EQ(w.Information(),
            "File information: stereo, Frequency: 44100, Coding: 16 bits, Duration: 0.25 sec");
  EXPECT_FALSE(w.IsConvertible());
  WriteFile(d / "half.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(144000)));
  ASSERT_TRUE(w.OpenFile(d / "half.wav"));
  EXPECT_NE(w.Information().find("Duration: 1.5 sec"), std::string::npos);
  WriteFile(d / "third.wav", MakeWav(1, 48000, 8, std::vector<uint8_t>(16000)));
  ASSERT_TRUE(w.OpenFile(d / "third.wav"));
  EXPECT_NE(w.Information().find("Coding: 8 bits, Duration: 0.33 sec"), std::string::npos);
}

TEST(WavFile, NeverOverwritesItsInputOrLeavesAPartialFile) {
  Dir d;
  const auto wav = MakeWav(1, 48000, 16, Ramp(20));
  WriteFile(d / "in.wav", wav);
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "in.wav"));
  EXPECT_EQ(w.ConvertToLSU(d / "in.wav"), WavFile::Result::SameAsInput);
  EXPECT_EQ(w.ConvertToLSU(d.path + "/./in.wav"), WavFile::Result::SameAsInput);
  EXPECT_EQ(ReadFile(d / "in.wav"), wav);
  EXPECT_EQ(w.ConvertToLSU(d / "no/such/folder/out.lsu"), WavFile::Result::CannotWrite);
  EXPECT_FALSE(fs::exists(d / "no"));

  WriteFile(d / "old.lsu", std::vector<uint8_t>(999, 1));  // replaced whole
  ASSERT_EQ(w.ConvertToLSU(d / "old.lsu"), WavFile::Result::Done);
  EXPECT_EQ(ReadFile(d / "old.lsu").size(), 24u);
}

TEST(WavFile, FilesMadeBySox) {
  Dir d;
  ASSERT_TRUE(Sox("-n -r 48000 -c 1 -b 16 " + d / "tone.wav" + " synth 0.5 sine 440"))
      << "sox is needed (scripts/setup installs it)";
  ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + d / "stereo.wav" + " synth 0.25 sine 440"));
  WavFile w;
  ASSERT_TRUE(w.OpenFile(d / "tone.wav"));
  EXPECT_TRUE(w.IsConvertible());
  EXPECT_EQ(w.DataSize, 48000);
  ASSERT_EQ(w.ConvertToLSU(d / "tone.lsu"), WavFile::Result::Done);
  const auto wav = ReadFile(d / "tone.wav");
  const auto lsu = ReadFile(d / "tone.lsu");
  ASSERT_EQ(lsu.size(), 48004u);
  EXPECT_TRUE(std::equal(lsu.begin() + 4, lsu.end(), wav.end() - 48000));
  ASSERT_TRUE(w.OpenFile(d / "stereo.wav"));
  EXPECT_EQ(w.Channels, 2);
  EXPECT_EQ(w.SamplesPerSecond, 44100);
  EXPECT_FALSE(w.IsConvertible());
}

}  // namespace
