// LSU files: what ReadFile accepts, the coded form bit for bit, the coded
// bytes handed out, and the WAV file written back.

#include "sound/LSU_SoundFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sound/LsuSamples.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"

namespace {

using sound::LSU_SoundFile;
using sound_test::Samples;
using sound_test::WriteLsu;
using Bytes = std::vector<uint8_t>;

class LsuFile : public ::testing::Test {
 protected:
  // Reads, sets the volume and codes path; the coded bytes.
  Bytes CodeAt(const std::string& path, int16_t volume) {
    EXPECT_TRUE(file.ReadFile(path)) << path;
    file.Volume = volume;
    EXPECT_TRUE(file.Code());
    Bytes coded;
    EXPECT_TRUE(file.GetBytes(coded, 0, file.NrOfBytes));
    return coded;
  }
  // The worked example: peak 999, so the scale is 1 at volume 100.
  std::string Example() {
    std::vector<int16_t> s = {0, 999, -999, 500, -3};
    s.resize(49, 0);
    WriteLsu(dir.Path("e.lsu"), s);
    return dir.Path("e.lsu");
  }

  testing_support::TempFolder dir;
  LSU_SoundFile file;
};

TEST_F(LsuFile, ReadFileAcceptsLsuNamesWithFortyNineSamplesOfSound) {
  for (auto [name, valid] : {std::pair{"HUM.LSU", true},
                             {"hum.lsu", true},
                             {"hum.Lsu", true},
                             {"hum.wav", false},
                             {"hum", false},
                             {"hum.lsu.bak", false}}) {
    WriteLsu(dir.Path(name), Samples(100));
    EXPECT_EQ(file.ReadFile(dir.Path(name)), valid) << name;
  }
  EXPECT_FALSE(file.ReadFile(dir.Path("missing.lsu")));
  std::filesystem::create_directory(dir.Path("folder.lsu"));
  EXPECT_FALSE(file.ReadFile(dir.Path("folder.lsu")));

  const std::string path = dir.Path("s.lsu");
  WriteLsu(path, Samples(48));
  EXPECT_FALSE(file.ReadFile(path));
  EXPECT_EQ(file.NrOfSamples, 48);
  WriteLsu(path, Samples(49));
  EXPECT_TRUE(file.ReadFile(path));
  EXPECT_EQ(file.Volume, 100);
  WriteLsu(path, std::vector<int16_t>(5000, 0));
  EXPECT_FALSE(file.ReadFile(path)) << "silence";
  testing_support::WriteBytes(path, testing_support::ReadBytes(path) + "x");  // odd byte: no sample
  file.ReadFile(path);
  EXPECT_EQ(file.NrOfSamples, 5000);
}

TEST_F(LsuFile, CodesTheWorkedExamplesAtVolume100And50And0) {
  const Bytes at100 = CodeAt(Example(), 100);
  EXPECT_EQ(Bytes(at100.begin(), at100.begin() + 9),
            (Bytes{0x00, 0x00, 0x00, 0xF9, 0x4F, 0xF9, 0x7D, 0x43, 0x00}));
  EXPECT_EQ(file.GetFileCRC(), 0xF9u + 0x4F + 0xF9 + 0x7D + 0x43);
  // 499.5 -> 500, -499.5 -> -500, 250 and -1.5 -> -2: halves go to even.
  const Bytes at50 = CodeAt(Example(), 50);
  EXPECT_EQ(Bytes(at50.begin(), at50.begin() + 9),
            (Bytes{0x00, 0x00, 0x00, 0x7D, 0x40, 0x7D, 0x3E, 0x4A, 0x00}));
  EXPECT_EQ(CodeAt(Example(), 0), Bytes(75, 0));
  // A volume outside 0..100 is held there rather than overflowing 10 bits.
  EXPECT_EQ(CodeAt(Example(), 300), at100);
  EXPECT_EQ(CodeAt(Example(), -40), Bytes(75, 0));
}

TEST_F(LsuFile, NeverCodesTheFirstSampleNorAnEvenFilesLast) {
  auto even = Samples(50);
  even[49] = 777;
  WriteLsu(dir.Path("a.lsu"), even);
  even[49] = -5;
  WriteLsu(dir.Path("b.lsu"), even);
  EXPECT_EQ(CodeAt(dir.Path("a.lsu"), 100).size(), 75u);
  EXPECT_EQ(CodeAt(dir.Path("a.lsu"), 100), CodeAt(dir.Path("b.lsu"), 100));

  auto odd = Samples(51);
  odd[0] = 12000;  // not coded, but still the peak
  odd[50] = -999;
  WriteLsu(dir.Path("c.lsu"), odd);
  const auto values = sound_test::Decode(CodeAt(dir.Path("c.lsu"), 100));
  ASSERT_EQ(values.size(), 52u) << "78 bytes";
  EXPECT_EQ(values, sound_test::Expected(odd, 100));
  EXPECT_EQ(values[51], -83) << "-999 x 999 / 12000, rounded";
}

TEST_F(LsuFile, CodesLongFilesSampleBySampleAcrossChunks) {
  for (size_t n :
       {3 * sound::LsuSamples::kChunkSamples + 7, 2 * sound::LsuSamples::kChunkSamples}) {
    auto samples = Samples(n, 32767, static_cast<unsigned>(n));
    samples[5] = -32768;
    WriteLsu(dir.Path("long.lsu"), samples);
    EXPECT_EQ(sound_test::Decode(CodeAt(dir.Path("long.lsu"), 73)),
              sound_test::Expected(samples, 73))
        << n;
  }
  // 300 pairs -999, 999 code as F9 8F F9 each: the checksum wraps at 65536.
  std::vector<int16_t> loud = {0};
  for (int i = 0; i < 600; ++i) loud.push_back(i % 2 ? 999 : -999);
  WriteLsu(dir.Path("l.lsu"), loud);
  CodeAt(dir.Path("l.lsu"), 100);
  EXPECT_EQ(file.GetFileCRC(), 300u * (0xF9 + 0x8F + 0xF9) % 65536);
}

TEST_F(LsuFile, CodeRefusesAFileChangedSinceReadFile) {
  const std::string path = dir.Path("c.lsu");
  WriteLsu(path, Samples(200, 1000));
  ASSERT_TRUE(file.ReadFile(path));
  WriteLsu(path, Samples(200, 5000));  // louder: would overflow 999
  EXPECT_FALSE(file.Code());
  EXPECT_EQ(file.NrOfBytes, 0);
  WriteLsu(path, Samples(300, 1000));
  EXPECT_FALSE(file.Code());
  std::filesystem::remove(path);
  EXPECT_FALSE(file.Code());
}

TEST_F(LsuFile, GetBytesHandsOutRangesWithinTheCodedBytes) {
  ASSERT_TRUE(file.ReadFile(Example()));
  Bytes bytes = {42};
  EXPECT_FALSE(file.GetBytes(bytes, 0, 1)) << "nothing coded yet";
  ASSERT_TRUE(file.Code());
  EXPECT_TRUE(file.GetBytes(bytes, 3, 4));
  EXPECT_EQ(bytes, (Bytes{0xF9, 0x4F, 0xF9, 0x7D}));
  for (auto [first, size] : {std::pair{1, 75}, {75, 1}, {-1, 2}, {2, -1}, {1, 2147483647}})
    EXPECT_FALSE(file.GetBytes(bytes, first, size)) << first << "+" << size;
  EXPECT_EQ(bytes.size(), 4u) << "a refused range leaves the array as it was";
  EXPECT_TRUE(file.GetBytes(bytes, 0, 75));
  EXPECT_EQ(bytes.size(), 75u);
  EXPECT_TRUE(file.GetBytes(bytes, 75, 0));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(LsuFile, WriteWavWritesTheCanonicalHeaderAndTheSamplesUnscaled) {
  const uint32_t n = LSU_SoundFile::kMinSamples + sound::LsuSamples::kChunkSamples;
  WriteLsu(dir.Path("w.lsu"), Samples(n));
  const std::string lsu = testing_support::ReadBytes(dir.Path("w.lsu"));
  testing_support::WriteBytes(dir.Path("w.lsu"), lsu + "z");
  testing_support::WriteBytes(dir.Path("out.wav"), std::string(500000, 'x'));  // replaced
  ASSERT_TRUE(file.ReadFile(dir.Path("w.lsu")));
  file.Volume = 10;
  ASSERT_TRUE(file.WriteWav(dir.Path("out.wav")));
  const std::string wav = testing_support::ReadBytes(dir.Path("out.wav"));
  ASSERT_EQ(wav.size(), 44 + 2 * n);
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  EXPECT_EQ(wav.substr(0, 44), "RIFF" + le32(2 * n + 36) + "WAVEfmt " + le32(16) +
                                   std::string("\1\0\1\0", 4) + le32(48000) + le32(96000) +
                                   std::string("\2\0\20\0", 4) + "data" + le32(2 * n));
  EXPECT_EQ(wav.substr(44), lsu.substr(4));

  WriteLsu(dir.Path("w.lsu"), Samples(60));  // shorter than ReadFile saw
  EXPECT_FALSE(file.WriteWav(dir.Path("out.wav")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wav")));
}

}  // namespace
