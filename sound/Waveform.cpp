#include "sound/Waveform.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "fileio/Utf8Path.h"
#include "sound/LSU_SoundFile.h"
#include "sound/LsuSamples.h"

namespace sound {

namespace {

// Nothing yet: any sample is lower and higher.
constexpr SampleSpan kNoSpan{std::numeric_limits<int16_t>::max(),
                             std::numeric_limits<int16_t>::min()};

void Widen(SampleSpan& span, const SampleSpan& other) {
  span.low = std::min(span.low, other.low);
  span.high = std::max(span.high, other.high);
}

}  // namespace

void WaveformBuilder::Add(std::span<const int16_t> samples) {
  samples_ += static_cast<int64_t>(samples.size());
  while (!samples.empty()) {
    const size_t take = static_cast<size_t>(
        std::min<int64_t>(block_ - filled_, static_cast<int64_t>(samples.size())));
    const auto [low, high] = std::minmax_element(samples.begin(), samples.begin() + take);
    if (filled_ == 0) current_ = kNoSpan;
    Widen(current_, {*low, *high});
    filled_ += static_cast<int64_t>(take);
    samples = samples.subspan(take);
    if (filled_ == block_) EndBlock();
  }
}

void WaveformBuilder::EndBlock() {
  blocks_.push_back(current_);
  filled_ = 0;
  if (blocks_.size() < WaveformSummary::kMaxBlocks) return;
  // Twice the samples per block, half the blocks.
  for (size_t i = 0; i < blocks_.size() / 2; ++i) {
    SampleSpan pair = blocks_[2 * i];
    Widen(pair, blocks_[2 * i + 1]);
    blocks_[i] = pair;
  }
  blocks_.resize(blocks_.size() / 2);
  block_ *= 2;
}

WaveformSummary WaveformBuilder::Finish(int32_t peak, double seconds) {
  if (filled_ > 0) {
    blocks_.push_back(current_);
    filled_ = 0;
  }
  WaveformSummary summary;
  summary.samples_ = samples_;
  summary.peak_ = peak;
  summary.seconds_ = seconds;
  summary.block_ = block_;
  if (blocks_.empty()) return summary;
  summary.levels_.push_back(std::move(blocks_));
  while (summary.levels_.back().size() > 1) {
    const std::vector<SampleSpan>& finer = summary.levels_.back();
    std::vector<SampleSpan> coarser((finer.size() + 1) / 2);
    for (size_t i = 0; i < coarser.size(); ++i) {
      coarser[i] = finer[2 * i];
      if (2 * i + 1 < finer.size()) Widen(coarser[i], finer[2 * i + 1]);
    }
    summary.levels_.push_back(std::move(coarser));
  }
  blocks_ = {};
  return summary;
}

std::vector<SampleSpan> WaveformSummary::Columns(int width) const {
  if (levels_.empty() || width <= 0) return {};
  const int64_t blocks = static_cast<int64_t>(levels_[0].size());
  std::vector<SampleSpan> columns(static_cast<size_t>(width));
  for (int64_t c = 0; c < width; ++c) {
    int64_t first = c * blocks / width;
    const int64_t end = std::max(first + 1, (c + 1) * blocks / width);
    // The blocks first..end as the fewest aligned runs of 2^k blocks: at
    // most two per level.
    SampleSpan span = kNoSpan;
    while (first < end) {
      size_t level = 0;
      while (level + 1 < levels_.size() && first % (int64_t{2} << level) == 0 &&
             first + (int64_t{2} << level) <= end)
        ++level;
      Widen(span, levels_[level][static_cast<size_t>(first >> level)]);
      first += int64_t{1} << level;
    }
    columns[static_cast<size_t>(c)] = span;
  }
  return columns;
}

size_t WaveformSummary::Bytes() const {
  size_t bytes = sizeof *this;
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(SampleSpan);
  return bytes;
}

WaveformPicture PictureAt(const WaveformSummary& summary, int width, int volume) {
  WaveformPicture picture;
  picture.volume = std::clamp(volume, 0, 100);
  picture.seconds = summary.Seconds();
  picture.columns = summary.Columns(width);
  const double scale = LSU_SoundFile::CodeScale(summary.Peak(), picture.volume);
  // Scaling keeps the order of values: the scaled lowest is the lowest.
  for (SampleSpan& span : picture.columns)
    span = {static_cast<int16_t>(LSU_SoundFile::CodedValue(span.low, scale)),
            static_cast<int16_t>(LSU_SoundFile::CodedValue(span.high, scale))};
  return picture;
}

std::string LengthText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

seams::ResultOf<WaveformSummary> SummariseLsu(const std::string& path,
                                              const ReadCancelled& cancelled) {
  const std::string name = fileio::FileNameOf(path);
  if (!HasLsuExtension(path)) return seams::Result::Failure(name + " is not an LSU file");
  // A FIFO or a device would never end, or never open.
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileio::PathFromUtf8(path), error))
    return seams::Result::Failure(name + " is not a regular file");
  LsuSamples samples(path);
  if (!samples.IsOpen()) return seams::Result::Failure(name + " cannot be read");
  WaveformBuilder builder;
  int64_t count = 0;
  int32_t peak = 0;
  // The coded form begins with a pair of silence and leaves out the first
  // sample; the last one read waits until it is known whether it ends an
  // odd count (coded) or an even one (not coded).
  builder.Add(std::vector<int16_t>{0, 0});
  bool held = false;
  int16_t last = 0;
  for (auto chunk = samples.Next(); !chunk.empty(); chunk = samples.Next()) {
    for (int16_t s : chunk) peak = std::max(peak, std::abs(int32_t{s}));
    auto played = count == 0 ? chunk.subspan(1) : chunk;
    count += static_cast<int64_t>(chunk.size());
    if (count > LSU_SoundFile::kMaxSamples)
      return seams::Result::Failure(name + " is too long for an LSU file");
    if (played.empty()) continue;
    if (held) builder.Add(last);
    builder.Add(played.first(played.size() - 1));
    last = played.back();
    held = true;
    if (cancelled && cancelled()) return seams::Result::Cancelled();
  }
  if (samples.Failed()) return seams::Result::Failure(name + " cannot be read");
  if (count < LSU_SoundFile::kMinSamples || peak == 0)
    return seams::Result::Failure(name + " is not a valid LSU file (silent, or shorter than " +
                                  std::to_string(LSU_SoundFile::kMinSamples) + " samples)");
  if (count % 2 == 1 && held) builder.Add(last);
  return builder.Finish(peak, double(count) / LSU_SoundFile::kSamplesPerSecond);
}

}  // namespace sound
