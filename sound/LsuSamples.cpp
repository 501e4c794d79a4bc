#include "sound/LsuSamples.h"

#include "fileio/Utf8Path.h"

namespace sound {

namespace {
constexpr std::streamsize kLeadingField = 4;
}

LsuSamples::LsuSamples(const std::string& utf8Path)
    : in_(fileio::PathFromUtf8(utf8Path), std::ios::binary),
      bytes_(2 * kChunkSamples),
      samples_(kChunkSamples) {
  open_ = in_.is_open();
  if (!open_) return;
  in_.read(bytes_.data(), kLeadingField);
  if (in_.bad()) failed_ = true;
}

std::span<const int16_t> LsuSamples::Next() {
  if (!open_ || failed_ || !in_) return {};
  in_.read(bytes_.data() + carried_, static_cast<std::streamsize>(bytes_.size() - carried_));
  if (in_.bad()) {
    failed_ = true;
    return {};
  }
  const size_t available = carried_ + static_cast<size_t>(in_.gcount());
  const size_t count = available / 2;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes_.data());
  for (size_t i = 0; i < count; ++i)
    samples_[i] = static_cast<int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
  carried_ = available % 2;
  if (carried_) bytes_[0] = bytes_[available - 1];
  return {samples_.data(), count};
}

}  // namespace sound
