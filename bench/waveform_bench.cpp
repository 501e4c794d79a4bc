// The waveform strip of a 60-second LSU file: drawing it again once the
// file was read (a new volume, so the columns are derived afresh, and the
// whole strip painted, 1000 pixels wide), target under 20 ms; and the
// first reading of the file into its summary, for comparison.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "sound/LSU_SoundFile.h"
#include "sound/Waveform.h"
#include "widgets/WaveformStrip.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kWidth = 1000;

// A 60-second LSU file: a 440 Hz tone under a slow swell, so that every
// column differs.
class LongSound {
 public:
  LongSound()
      : path_((std::filesystem::temp_directory_path() /
               ("waveform_bench_" + std::to_string(getpid()) + ".lsu"))
                  .string()) {
    const int rate = sound::LSU_SoundFile::kSamplesPerSecond;
    std::vector<int16_t> samples(size_t(rate) * kSeconds);
    for (size_t i = 0; i < samples.size(); ++i) {
      const double t = double(i) / rate;
      const double swell = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * t / 7);
      samples[i] = int16_t(std::lround(30000 * swell * std::sin(2 * std::numbers::pi * 440 * t)));
    }
    std::ofstream out(path_, std::ios::binary);
    out.write("LSU1", 4);  // the leading field, then the samples little-endian
    for (int16_t s : samples) {
      const char bytes[2] = {char(s & 0xff), char((s >> 8) & 0xff)};
      out.write(bytes, 2);
    }
  }
  ~LongSound() { std::filesystem::remove(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const LongSound& Sound() {
  static const LongSound sound;
  return sound;
}

void BM_DrawAfterFirstReading(benchmark::State& state) {
  widgets::WaveformStrip strip("WaveformStrip");
  strip.resize(kWidth + 2 * strip.frameWidth(), strip.sizeHint().height());
  const QString path = QString::fromStdString(Sound().Path());
  strip.ShowFile(path, 100);
  // The first reading, on the strip's worker (bounded, in case it hangs).
  const QDeadlineTimer deadline(120000);
  while (strip.CurrentState() == widgets::WaveformStrip::State::Reading && !deadline.hasExpired())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  if (strip.CurrentState() != widgets::WaveformStrip::State::Shown) {
    state.SkipWithError("the file was not read");
    return;
  }
  QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);
  int volume = 0;
  for (auto _ : state) {
    strip.ShowFile(path, 50 + volume++ % 50);  // from the cache, at another volume
    strip.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  if (strip.Picture().columns.size() != size_t(kWidth)) state.SkipWithError("not 1000 columns");
  if (strip.Service().Readings() != 1) state.SkipWithError("the file was read again");
}
BENCHMARK(BM_DrawAfterFirstReading)->Unit(benchmark::kMillisecond);

void BM_FirstReading(benchmark::State& state) {
  for (auto _ : state) {
    auto summary = sound::SummariseLsu(Sound().Path());
    if (!summary.Ok()) state.SkipWithError(summary.Message().c_str());
    benchmark::DoNotOptimize(summary);
  }
}
BENCHMARK(BM_FirstReading)->Unit(benchmark::kMillisecond);

}  // namespace
