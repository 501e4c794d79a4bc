#pragma once
// The picture of a sound: for every pixel column of a strip, the lowest and
// highest sample the board plays in that part of the sound, after the
// volume (scaled as LSU_SoundFile::Code scales it, so a file at volume 100
// reaches the full scale of 999), and the sound's length.
//
// A sound is read through once into a WaveformSummary: the lowest and
// highest sample of every block of samples, at every power-of-two block
// size. Any width and volume is then derived from it without reading the
// file again, in a few microseconds for a strip of a thousand pixels,
// whatever the sound's length. The summary holds at most kMaxBlocks blocks
// at its finest level (about a megabyte in all), for a sound of any length.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "seams/Result.h"

namespace sound {

// The lowest and highest of a run of samples.
struct SampleSpan {
  int16_t low = 0;
  int16_t high = 0;
  bool operator==(const SampleSpan&) const = default;
};

class WaveformSummary {
 public:
  // Blocks at the finest level: the block size doubles when a sound needs
  // more, so it stays between kMaxBlocks / 2 and kMaxBlocks.
  static constexpr size_t kMaxBlocks = 65536;

  // Samples summarised.
  int64_t Samples() const { return samples_; }
  // The magnitude the volume scales from: the loudest sample of the sound.
  int32_t Peak() const { return peak_; }
  double Seconds() const { return seconds_; }
  // Samples per block at the finest level (1 for a sound of up to
  // kMaxBlocks samples).
  int64_t BlockSamples() const { return block_; }

  // The sample values of `width` columns that share the sound evenly: each
  // column covers whole blocks, the blocks of a short sound repeating over
  // more columns than it has blocks. Empty for no samples or no width.
  std::vector<SampleSpan> Columns(int width) const;
  // Memory held, for the bound of a cache.
  size_t Bytes() const;

 private:
  friend class WaveformBuilder;
  int64_t samples_ = 0;
  int32_t peak_ = 0;
  double seconds_ = 0;
  int64_t block_ = 1;
  // levels_[0]: the blocks; levels_[k]: spans of 2^k blocks.
  std::vector<std::vector<SampleSpan>> levels_;
};

// Makes a summary from samples streamed in, in playing order.
class WaveformBuilder {
 public:
  void Add(std::span<const int16_t> samples);
  void Add(int16_t sample) { Add(std::span<const int16_t>(&sample, 1)); }
  int64_t Samples() const { return samples_; }
  // The summary, scaled from `peak` and lasting `seconds`.
  WaveformSummary Finish(int32_t peak, double seconds);

 private:
  void EndBlock();
  std::vector<SampleSpan> blocks_;
  int64_t block_ = 1;
  int64_t filled_ = 0;  // samples in the block being filled
  SampleSpan current_;
  int64_t samples_ = 0;
};

// What a strip draws: each column's lowest and highest value as the board
// plays it (-999..999), the volume it was scaled to and the length.
struct WaveformPicture {
  std::vector<SampleSpan> columns;
  int volume = 100;
  double seconds = 0;
};
WaveformPicture PictureAt(const WaveformSummary& summary, int width, int volume);

// The length as the window writes it: "2.4 s".
std::string LengthText(double seconds);

// Asked now and then while a file is read; true stops the reading.
using ReadCancelled = std::function<bool()>;

// Reads an LSU file through once and summarises it as the board plays it:
// the coded form's leading pair of silence, then the samples from the
// second on (the first one, and the last of an even count, are not coded),
// scaled from the loudest sample of the file. It is refused as
// LSU_SoundFile::ReadFile refuses it ("Not a valid file"); only a regular
// file is read. A cancelled reading fails without a message.
seams::ResultOf<WaveformSummary> SummariseLsu(const std::string& path,
                                              const ReadCancelled& cancelled = {});

}  // namespace sound
