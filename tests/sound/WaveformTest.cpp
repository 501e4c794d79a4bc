// Waveforms: the columns of known signals at several widths, the volume
// scaled as the coded form scales it, long sounds in bounded memory, the
// files that are refused, and the background reading with its cache.

#include "sound/Waveform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>

#include "sound/LSU_SoundFile.h"
#include "sound/WaveformService.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"

namespace {

using sound::SampleSpan;
using sound::WaveformSummary;
using sound_test::WriteLsu;

constexpr int kRate = sound::LSU_SoundFile::kSamplesPerSecond;

// What the board plays of an LSU file's samples: a pair of silence, then
// the samples from the second on, to an even count.
std::vector<int16_t> Played(const std::vector<int16_t>& samples) {
  std::vector<int16_t> played = {0, 0};
  const size_t count = samples.size() + samples.size() % 2;
  for (size_t i = 1; played.size() < count; ++i) played.push_back(samples[i]);
  return played;
}

// The columns of `width` worked out one by one from every sample, at the
// summary's block size: the columns share the blocks evenly.
std::vector<SampleSpan> Reference(const std::vector<int16_t>& played, int width, int64_t block,
                                  int32_t peak, int volume) {
  const double scale = sound::LSU_SoundFile::CodeScale(peak, volume);
  const int64_t blocks = (int64_t(played.size()) + block - 1) / block;
  std::vector<SampleSpan> columns;
  for (int64_t c = 0; c < width; ++c) {
    const int64_t first = c * blocks / width;
    const int64_t end = std::max(first + 1, (c + 1) * blocks / width);
    int low = 1000, high = -1000;
    for (int64_t i = first * block; i < std::min<int64_t>(end * block, played.size()); ++i) {
      const int v = int(std::nearbyint(played[size_t(i)] * scale));
      low = std::min(low, v);
      high = std::max(high, v);
    }
    columns.push_back({int16_t(low), int16_t(high)});
  }
  return columns;
}

class Waveform : public ::testing::Test {
 protected:
  WaveformSummary Summarise(const std::string& name, const std::vector<int16_t>& samples) {
    WriteLsu(dir.Path(name), samples);
    auto summary = sound::SummariseLsu(dir.Path(name));
    EXPECT_TRUE(summary.Ok()) << summary.Message();
    return summary.Ok() ? *summary : WaveformSummary{};
  }
  testing_support::TempFolder dir;
};

// A square wave at full scale, 20 ms high and 20 ms low, for a second.
std::vector<int16_t> Square() {
  std::vector<int16_t> s(kRate);
  for (size_t i = 0; i < s.size(); ++i) s[i] = (i / 480) % 2 ? -32767 : 32767;
  return s;
}

TEST_F(Waveform, FullScaleSquareReachesFullScaleAtEveryWidth) {
  const std::vector<int16_t> square = Square();
  const WaveformSummary summary = Summarise("square.lsu", square);
  EXPECT_EQ(summary.Samples(), kRate);
  EXPECT_EQ(summary.BlockSamples(), 1);
  EXPECT_DOUBLE_EQ(summary.Seconds(), 1.0);
  for (int width : {1, 7, 50, 100, 333, 1000, kRate, 2 * kRate}) {
    const auto picture = sound::PictureAt(summary, width, 100);
    EXPECT_EQ(picture.columns, Reference(Played(square), width, 1, 32767, 100)) << width;
  }
  // One period per column: each spans the full scale.
  for (const SampleSpan& column : sound::PictureAt(summary, 50, 100).columns)
    EXPECT_EQ(column, (SampleSpan{-999, 999}));
  // One sample per column: the coded form's pair of silence, then the
  // samples one later, the first change between columns 480 and 481.
  const auto each = sound::PictureAt(summary, kRate, 100).columns;
  EXPECT_EQ(each[0], (SampleSpan{0, 0}));
  EXPECT_EQ(each[2], (SampleSpan{999, 999}));
  EXPECT_EQ(each[480], (SampleSpan{999, 999}));
  EXPECT_EQ(each[481], (SampleSpan{-999, -999}));
  EXPECT_EQ(sound::LengthText(summary.Seconds()), "1.0 s");
}

TEST_F(Waveform, HalfVolumeSineReachesHalfScale) {
  // 100 Hz, 480 samples a period, its crests at exactly +-20000.
  std::vector<int16_t> sine(kRate / 2);
  for (size_t i = 0; i < sine.size(); ++i)
    sine[i] = int16_t(std::lround(20000 * std::sin(2 * std::numbers::pi * double(i) / 480)));
  const WaveformSummary summary = Summarise("sine.lsu", sine);
  // 20000 x 999 / 20000 x 50 / 100 = 499.5, rounded half to even.
  for (int width : {10, 50})
    for (const SampleSpan& column : sound::PictureAt(summary, width, 50).columns)
      EXPECT_EQ(column, (SampleSpan{-500, 500})) << width;
  for (int width : {3, 100, 400, 999, 24000})
    EXPECT_EQ(sound::PictureAt(summary, width, 50).columns,
              Reference(Played(sine), width, 1, 20000, 50))
        << width;
  EXPECT_EQ(sound::LengthText(summary.Seconds()), "0.5 s");
}

// Every column of a picture one sample wide is the value the coded form
// holds for that sample, at any volume.
TEST_F(Waveform, VolumeScalesAsTheCodedSamples) {
  for (size_t count : {size_t{1001}, size_t{1000}}) {
    const std::vector<int16_t> samples = sound_test::Samples(count, 12000, unsigned(count));
    const std::string path = dir.Path("v" + std::to_string(count) + ".lsu");
    WriteLsu(path, samples);
    auto summary = sound::SummariseLsu(path);
    ASSERT_TRUE(summary.Ok()) << summary.Message();
    for (int16_t volume : {100, 73, 50, 1, 0}) {
      sound::LSU_SoundFile file;
      ASSERT_TRUE(file.ReadFile(path));
      file.Volume = volume;
      ASSERT_TRUE(file.Code());
      std::vector<uint8_t> coded;
      ASSERT_TRUE(file.GetBytes(coded, 0, file.NrOfBytes));
      const std::vector<int> decoded = sound_test::Decode(coded);
      const auto picture = sound::PictureAt(*summary, int(decoded.size()), volume);
      ASSERT_EQ(picture.columns.size(), decoded.size());
      for (size_t i = 0; i < decoded.size(); ++i) {
        ASSERT_EQ(picture.columns[i].low, decoded[i]) << count << " " << volume << " " << i;
        ASSERT_EQ(picture.columns[i].high, decoded[i]) << count << " " << volume << " " << i;
      }
      EXPECT_EQ(picture.volume, volume);
    }
  }
}

// A minute of sound (or an hour) is summarised in blocks, its memory
// bounded; the columns still fall on whole blocks, exactly.
TEST(WaveformBuilder, LongSoundsKeepBoundedMemoryAndExactColumns) {
  sound::WaveformBuilder builder;
  // A second high, a second low, for a minute, streamed in odd chunks.
  std::vector<int16_t> played;
  for (int64_t i = 0; i < 60 * kRate; ++i) played.push_back((i / kRate) % 2 ? -30000 : 30000);
  for (size_t at = 0; at < played.size(); at += 7777)
    builder.Add(
        std::span<const int16_t>(played).subspan(at, std::min<size_t>(7777, played.size() - at)));
  const WaveformSummary summary = builder.Finish(30000, 60.0);
  EXPECT_EQ(summary.Samples(), 60 * kRate);
  EXPECT_EQ(summary.BlockSamples(), 64);  // 2880000 / 64 = 45000 blocks
  EXPECT_LT(summary.Bytes(), size_t{1} << 20);
  for (int width : {60, 120, 777, 1920})
    EXPECT_EQ(sound::PictureAt(summary, width, 100).columns,
              Reference(played, width, 64, 30000, 100))
        << width;
  // Half a second per column: high, high, low, low, ...
  const auto columns = sound::PictureAt(summary, 120, 100).columns;
  EXPECT_EQ(columns[0], (SampleSpan{999, 999}));
  EXPECT_EQ(columns[1], (SampleSpan{999, 999}));
  EXPECT_EQ(columns[2], (SampleSpan{-999, -999}));
  EXPECT_EQ(columns[119], (SampleSpan{-999, -999}));
}

TEST_F(Waveform, RefusesWhatIsNotAValidLsuFile) {
  std::vector<int16_t> short48 = sound_test::Samples(48);
  WriteLsu(dir.Path("short.lsu"), short48);
  WriteLsu(dir.Path("silent.lsu"), std::vector<int16_t>(5000, 0));
  WriteLsu(dir.Path("hum.wav"), sound_test::Samples(5000));
  ASSERT_EQ(mkfifo(dir.Path("pipe.lsu").c_str(), 0600), 0);
  for (const char* name : {"short.lsu", "silent.lsu", "hum.wav", "pipe.lsu", "missing.lsu"}) {
    const auto summary = sound::SummariseLsu(dir.Path(name));
    EXPECT_FALSE(summary.Ok()) << name;
    EXPECT_NE(summary.Message().find(name), std::string::npos) << summary.Message();
  }
  WriteLsu(dir.Path("ok.lsu"), sound_test::Samples(49));
  EXPECT_TRUE(sound::SummariseLsu(dir.Path("ok.lsu")).Ok());
}

// Waits (bounded) for a value that another thread sets.
template <typename T>
class Mailbox {
 public:
  void Put(T value) {
    std::lock_guard<std::mutex> hold(lock_);
    values_.push_back(std::move(value));
    changed_.notify_all();
  }
  // The n-th value put (from 0); fails the test after a minute.
  T Take(size_t n) {
    std::unique_lock<std::mutex> hold(lock_);
    const bool there =
        changed_.wait_for(hold, std::chrono::minutes(1), [&] { return values_.size() > n; });
    EXPECT_TRUE(there) << "nothing came";
    return there ? values_[n] : T{};
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return values_.size();
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<T> values_;
};

using Answer = std::pair<std::string, std::string>;  // path, "" or the failure

sound::WaveformService::Done Into(Mailbox<Answer>& box) {
  return [&box](const std::string& path,
                const seams::ResultOf<sound::WaveformService::Summary>& summary) {
    box.Put({path, summary.Ok() ? std::string() : summary.Message()});
  };
}

TEST_F(Waveform, ServiceReadsAFileOnceForEveryWidthAndVolume) {
  const std::string path = dir.Path("hum.lsu");
  WriteLsu(path, sound_test::Samples(4000));
  sound::WaveformService service;
  EXPECT_EQ(service.Cached(path), nullptr);
  Mailbox<Answer> answers;
  service.Request(path, Into(answers));
  EXPECT_EQ(answers.Take(0), (Answer{path, ""}));
  EXPECT_EQ(service.Readings(), 1);
  // Asked again, at another width and volume: nothing is read.
  const auto cached = service.Cached(path);
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(sound::PictureAt(*cached, 300, 20).columns.size(), 300u);
  service.Request(path, Into(answers));
  EXPECT_EQ(answers.Take(1), (Answer{path, ""}));
  EXPECT_EQ(service.Readings(), 1);

  // The file changes: it is read again.
  WriteLsu(path, sound_test::Samples(4002));
  EXPECT_EQ(service.Cached(path), nullptr);
  service.Request(path, Into(answers));
  EXPECT_EQ(answers.Take(2), (Answer{path, ""}));
  EXPECT_EQ(service.Readings(), 2);
  EXPECT_EQ(service.Cached(path)->Samples(), 4002);

  // A failure says why, and is not kept.
  service.Request(dir.Path("none.lsu"), Into(answers));
  EXPECT_EQ(answers.Take(3).second, "none.lsu is not a regular file");
  service.Forget();
  EXPECT_EQ(service.Cached(path), nullptr);
}

TEST_F(Waveform, ServiceCacheIsBounded) {
  // Room for two summaries of this size.
  std::vector<std::string> paths;
  for (const char* name : {"a.lsu", "b.lsu", "c.lsu"}) {
    paths.push_back(dir.Path(name));
    WriteLsu(paths.back(), sound_test::Samples(20000));
  }
  auto one = sound::SummariseLsu(paths[0]);
  ASSERT_TRUE(one.Ok());
  sound::WaveformService service(sound::SummariseLsu, 2 * one->Bytes() + 100);
  Mailbox<Answer> answers;
  for (size_t i = 0; i < paths.size(); ++i) {
    service.Request(paths[i], Into(answers));
    answers.Take(i);
  }
  EXPECT_EQ(service.Cached(paths[0]), nullptr);
  EXPECT_NE(service.Cached(paths[1]), nullptr);
  EXPECT_NE(service.Cached(paths[2]), nullptr);
}

// A newer request stops the reading of an older one, whose answer never
// comes.
TEST_F(Waveform, ServiceDropsARequestThatANewerOneReplaced) {
  WriteLsu(dir.Path("new.lsu"), sound_test::Samples(100));
  std::atomic<bool> slowStarted = false;
  std::atomic<bool> slowSawCancel = false;
  sound::WaveformService service(
      [&](const std::string& path,
          const sound::ReadCancelled& cancelled) -> seams::ResultOf<WaveformSummary> {
        if (path.ends_with("slow.lsu")) {
          slowStarted = true;
          const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
          while (!cancelled() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          slowSawCancel = cancelled();
          return seams::Result::Cancelled();
        }
        return sound::SummariseLsu(path, cancelled);
      });
  Mailbox<Answer> answers;
  service.Request(dir.Path("slow.lsu"), Into(answers));
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!slowStarted && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(slowStarted);
  service.Request(dir.Path("new.lsu"), Into(answers));
  EXPECT_EQ(answers.Take(0), (Answer{dir.Path("new.lsu"), ""}));
  EXPECT_TRUE(slowSawCancel);
  EXPECT_EQ(answers.Count(), 1u);
  EXPECT_EQ(service.Readings(), 2);
}

}  // namespace
