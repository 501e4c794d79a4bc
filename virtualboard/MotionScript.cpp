#include "virtualboard/MotionScript.h"

#include <algorithm>

namespace virtualboard {

namespace {

constexpr int kSwingStart = 20;
constexpr int kClashStart = 40;
constexpr int kUpright = 8;  // gravity on y while still

uint8_t AxisByte(int value) {
  value = std::clamp(value, -31, 31);
  return uint8_t(value < 0 ? 32 - value : value);
}

}  // namespace

AccSample ScriptedMotion(long long reading) {
  const int k = int(reading % kMotionScriptSteps);
  if (k < kSwingStart) return {0, kUpright, 0, 0};
  if (k < kClashStart) {
    const int h = std::min(k - kSwingStart, kClashStart - 1 - k);
    return {h, kUpright, h / 3, 5 * h};
  }
  const int j = k - kClashStart;
  const int halve = 1 << j;
  return {-31 / halve, kUpright + 16 / halve, 12 / halve, 0};
}

std::array<std::array<uint8_t, 2>, 2> AccResponses(const AccSample& s) {
  return {{{AxisByte(s.x), AxisByte(s.y)}, {AxisByte(s.z), uint8_t(std::clamp(s.tilt, 0, 255))}}};
}

}  // namespace virtualboard
