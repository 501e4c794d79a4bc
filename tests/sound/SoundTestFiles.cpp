#include "tests/sound/SoundTestFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>

namespace sound_test {

TempFolder::TempFolder() {
  static int folders = 0;
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "x";
  dir_ = std::filesystem::path(::testing::TempDir()) /
         ("sound_" + std::to_string(getpid()) + "_" + std::to_string(++folders) + "_" + name);
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteLsu(const std::string& path, const std::vector<int16_t>& samples) {
  std::string bytes = "LSU1";
  for (int16_t s : samples) {
    bytes.push_back(static_cast<char>(s & 0xFF));
    bytes.push_back(static_cast<char>((s >> 8) & 0xFF));
  }
  WriteBytes(path, bytes);
}

std::vector<int16_t> Samples(size_t n, int peak, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-peak, peak);
  std::vector<int16_t> samples(n);
  for (auto& s : samples) s = static_cast<int16_t>(value(random));
  if (n > 0) samples[n / 2] = static_cast<int16_t>(seed % 2 ? peak : -peak);
  return samples;
}

std::vector<int> Decode(const std::vector<uint8_t>& coded) {
  std::vector<int> values;
  for (size_t t = 0; t + 2 < coded.size(); t += 3) {
    const int a = coded[t] * 4 + ((coded[t + 1] >> 2) & 3);
    const int b = coded[t + 2] * 4 + (coded[t + 1] & 3);
    EXPECT_EQ(coded[t + 1] & 0x30, 0) << "bits 5..4 of byte 1 of triple " << t / 3;
    values.push_back(coded[t + 1] & 0x80 ? -a : a);
    values.push_back(coded[t + 1] & 0x40 ? -b : b);
  }
  return values;
}

std::vector<int> Expected(const std::vector<int16_t>& samples, int volume) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int{s}));
  const double scale = 999.0 / peak * volume / 100;
  std::vector<int> values = {0, 0};
  for (size_t i = 1; i + 1 < samples.size(); i += 2) {
    values.push_back(static_cast<int>(std::nearbyint(samples[i] * scale)));
    values.push_back(static_cast<int>(std::nearbyint(samples[i + 1] * scale)));
  }
  return values;
}

}  // namespace sound_test
