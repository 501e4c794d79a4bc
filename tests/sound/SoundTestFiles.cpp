#include "tests/sound/SoundTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "tests/support/Files.h"

namespace sound_test {

void WriteLsu(const std::string& path, const std::vector<int16_t>& samples) {
  std::string bytes = "LSU1";
  for (int16_t s : samples) {
    bytes.push_back(static_cast<char>(s & 0xFF));
    bytes.push_back(static_cast<char>((s >> 8) & 0xFF));
  }
  testing_support::WriteBytes(path, bytes);
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
