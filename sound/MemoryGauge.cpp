#include "sound/MemoryGauge.h"

#include <charconv>
#include <cmath>

#include "sound/LSU_SoundFile.h"

namespace sound {

namespace {

std::string Tenths(int64_t tenths) {
  char buf[32];
  auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, double(tenths) / 10, std::chars_format::fixed, 1);
  return std::string(buf, ec == std::errc() ? end : buf);
}

constexpr double kSamplesPerTenth = LSU_SoundFile::kSamplesPerSecond / 10.0;

}  // namespace

std::string SecondsText(int64_t samples) {
  return Tenths(int64_t(std::llround(double(samples) / kSamplesPerTenth)));
}

std::string MemoryGaugeText(int64_t used, int64_t capacity) {
  const std::string samples = std::to_string(used) + " of " + std::to_string(capacity) + " samples";
  if (used > capacity) {
    const auto tooLong = int64_t(std::ceil(double(used - capacity) / kSamplesPerTenth));
    return samples + ": too many for the board, " + Tenths(tooLong) + " s too long";
  }
  const int64_t percent = capacity > 0 ? used * 100 / capacity : 0;
  return samples + " (" + std::to_string(percent) + " %) \u2013 " + SecondsText(used) + " s of " +
         SecondsText(capacity) + " s";
}

}  // namespace sound
