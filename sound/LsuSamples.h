#pragma once
// Streams the samples of an LSU file chunk by chunk: the 4-byte leading
// field is skipped, then every complete signed 16-bit little-endian value is
// a sample and a trailing odd byte is ignored. Only one chunk is in memory.

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace sound {

class LsuSamples {
 public:
  static constexpr size_t kChunkSamples = 32768;

  explicit LsuSamples(const std::string& utf8Path);
  bool IsOpen() const { return open_; }
  // The next samples in playing order; empty at the end of the file or after
  // a read error.
  std::span<const int16_t> Next();
  // True when reading stopped at an error rather than at the end.
  bool Failed() const { return failed_; }

 private:
  std::ifstream in_;
  bool open_ = false;
  bool failed_ = false;
  std::vector<char> bytes_;
  size_t carried_ = 0;  // a byte of a split value, kept at bytes_[0]
  std::vector<int16_t> samples_;
};

}  // namespace sound
