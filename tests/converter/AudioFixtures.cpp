#include "tests/converter/AudioFixtures.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"

namespace testing_support {

bool Shell(const std::string& commandLine) {
  return RunProgram({"/bin/sh", "-c", commandLine}, {.timeoutSeconds = 600}).status == 0;
}

void WriteSound(const std::string& path, int format, int rate, int channels,
                const std::vector<float>& frames) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  // Float files keep values beyond full scale as they are.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_FALSE);
  EXPECT_EQ(sf_writef_float(file, frames.data(), sf_count_t(frames.size()) / channels),
            sf_count_t(frames.size()) / channels);
  sf_close(file);
}

std::vector<int16_t> ReadLsuSamples(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  std::vector<int16_t> samples;
  for (size_t i = 4; i + 1 < bytes.size(); i += 2)
    samples.push_back(int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
  return samples;
}

namespace {
// The sine and cosine parts of the tone: a single DFT bin.
std::pair<double, double> Bin(const std::vector<double>& x, double frequency, double rate) {
  double c = 0, s = 0;
  const double w = 2 * std::numbers::pi * frequency / rate;
  for (size_t n = 0; n < x.size(); ++n) {
    c += x[n] * std::cos(w * double(n));
    s += x[n] * std::sin(w * double(n));
  }
  return {2 * c / double(x.size()), 2 * s / double(x.size())};
}
}  // namespace

double ToneAmplitude(const std::vector<double>& samples, double frequency, double rate) {
  const auto [c, s] = Bin(samples, frequency, rate);
  return std::hypot(c, s);
}

double ResidualDb(const std::vector<double>& samples, double frequency, double rate) {
  const auto [c, s] = Bin(samples, frequency, rate);
  const double w = 2 * std::numbers::pi * frequency / rate;
  double rest = 0;
  for (size_t n = 0; n < samples.size(); ++n) {
    const double e = samples[n] - c * std::cos(w * double(n)) - s * std::sin(w * double(n));
    rest += e * e;
  }
  const double toneRms = std::hypot(c, s) / std::sqrt(2.0);
  return 20 * std::log10(std::sqrt(rest / double(samples.size())) / toneRms);
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_support
