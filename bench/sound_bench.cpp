// Sound coding throughput: ReadFile and Code of one 10-second file in
// samples per second, and MakeMemoryMap of a full-capacity configuration
// (40 files, 2793120 samples, files in the page cache; target under 50 ms),
// against a naive coder that reads sample by sample and lets window events
// run after every sample pair.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "seams/EventPump.h"
#include "seams/WindowHooks.h"
#include "sound/LSU_Configuration.h"
#include "sound/LSU_SoundFile.h"

namespace {

constexpr int kCapacity = 2793120;
constexpr int kFiles = 40;

class QuietHooks : public seams::WindowHooks {
 public:
  void SetInfoLabel(const std::string&) override {}
  void SetPercentLabel(const std::string& text) override { benchmark::DoNotOptimize(text); }
  void SetPercentComplete(double) override {}
};

// An event pump that costs what the cheapest real one does at least: a
// call that looks at the clock.
class PollingPump : public seams::EventPump {
 public:
  void LetEventsRun() override { benchmark::DoNotOptimize(std::chrono::steady_clock::now()); }
};

class SoundFolder {
 public:
  SoundFolder()
      : dir_(std::filesystem::temp_directory_path() / ("sound_bench_" + std::to_string(getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~SoundFolder() { std::filesystem::remove_all(dir_); }

  // A file of n samples of noise under a slow swell, as sound fonts are.
  std::string Write(const std::string& name, size_t n) {
    const std::string path = (dir_ / name).string();
    std::mt19937 random(static_cast<unsigned>(n));
    std::normal_distribution<double> noise(0, 6000);
    std::string bytes = "LSU1";
    for (size_t i = 0; i < n; ++i) {
      const double v = std::clamp(noise(random) * std::sin(double(i) / 20000), -32768.0, 32767.0);
      const auto s = static_cast<uint16_t>(static_cast<int16_t>(v));
      bytes.push_back(static_cast<char>(s & 0xFF));
      bytes.push_back(static_cast<char>(s >> 8));
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }

 private:
  std::filesystem::path dir_;
};

SoundFolder& Folder() {
  static SoundFolder folder;
  return folder;
}

const std::string& TenSeconds() {
  static const std::string path = Folder().Write("ten_seconds.lsu", 480000);
  return path;
}

// 4 single files and 12 files in each list, 2793120 samples in all.
sound::LSU_Configuration& FullCapacity() {
  static std::unique_ptr<sound::LSU_Configuration> config = [] {
    auto c = std::make_unique<sound::LSU_Configuration>();
    const int each = kCapacity / kFiles;
    constexpr int kSingles[] = {sound::kBoot, sound::kPwrOn, sound::kPwrOff, sound::kIdle};
    for (int k = 0; k < kFiles; ++k) {
      const int type = k < 4 ? kSingles[k] : sound::kMotion + (k - 4) / 12;
      const int n = each + (k == 0 ? kCapacity - each * kFiles : 0);
      if (!c->AddFile(Folder().Write(std::to_string(k) + ".lsu", size_t(n)), type)) std::abort();
    }
    if (c->TotalNrOfSamples() != kCapacity || c->CheckIntegrity() != 0) std::abort();
    return c;
  }();
  return *config;
}

void BM_ReadFile(benchmark::State& state) {
  const std::string& path = TenSeconds();
  sound::LSU_SoundFile file;
  for (auto _ : state)
    if (!file.ReadFile(path)) state.SkipWithError("ReadFile refused the file");
  state.SetItemsProcessed(state.iterations() * file.NrOfSamples);
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);

void BM_Code(benchmark::State& state) {
  sound::LSU_SoundFile file;
  file.ReadFile(TenSeconds());
  file.Volume = 80;
  for (auto _ : state)
    if (!file.Code()) state.SkipWithError("Code failed");
  state.SetItemsProcessed(state.iterations() * file.NrOfSamples);
}
BENCHMARK(BM_Code)->Unit(benchmark::kMillisecond);

void BM_MakeMemoryMapFullCapacity(benchmark::State& state) {
  sound::LSU_Configuration& config = FullCapacity();
  QuietHooks hooks;
  PollingPump pump;
  for (auto _ : state)
    if (!config.MakeMemoryMap(hooks, pump)) state.SkipWithError("MakeMemoryMap failed");
  state.SetItemsProcessed(state.iterations() * config.TotalNrOfSamples());
}
BENCHMARK(BM_MakeMemoryMapFullCapacity)->Unit(benchmark::kMillisecond);

// The straightforward coder: two bytes read per sample through the stream,
// events run after every pair. Kept to show what the chunked coder and the
// time-based event pump save.
std::vector<uint8_t> NaiveCode(const sound::LSU_SoundFile& file, seams::EventPump& pump) {
  std::ifstream in(file.FileName, std::ios::binary);
  in.seekg(4);
  const int n = file.NrOfSamples + (file.NrOfSamples & 1);
  std::vector<int16_t> s(size_t(n) + 1, 0);
  int peak = 0;
  for (int i = 1; i <= file.NrOfSamples; ++i) {
    char b[2];
    in.read(b, 2);
    s[size_t(i)] = static_cast<int16_t>(uint8_t(b[0]) | uint8_t(b[1]) << 8);
    peak = std::max(peak, std::abs(int{s[size_t(i)]}));
  }
  std::vector<uint8_t> coded(size_t(n) / 2 * 3, 0);
  const double scale = (999.0 / peak) * file.Volume / 100;
  for (int i = 3; i <= file.NrOfSamples; i += 2) {
    const int a = int(std::nearbyint(s[size_t(i) - 1] * scale));
    const int b = int(std::nearbyint(s[size_t(i)] * scale));
    uint8_t* t = &coded[size_t(3 * ((i - 1) / 2))];
    t[0] = uint8_t(std::abs(a) / 4);
    t[1] = uint8_t((a < 0) << 7 | (b < 0) << 6 | (std::abs(a) % 4) << 2 | std::abs(b) % 4);
    t[2] = uint8_t(std::abs(b) / 4);
    pump.LetEventsRun();
  }
  return coded;
}

void BM_MakeMemoryMapFullCapacityNaive(benchmark::State& state) {
  sound::LSU_Configuration& config = FullCapacity();
  PollingPump pump;
  for (auto _ : state)
    for (const sound::LSU_SoundFile* file : config.FilesInFlashOrder())
      benchmark::DoNotOptimize(NaiveCode(*file, pump));
  state.SetItemsProcessed(state.iterations() * config.TotalNrOfSamples());
}
BENCHMARK(BM_MakeMemoryMapFullCapacityNaive)->Unit(benchmark::kMillisecond);

}  // namespace
