#include "led/BladeColor.h"

#include <algorithm>
#include <cmath>

namespace led {

namespace {

constexpr int kChannels = 4;
constexpr double kFull = 255;

}  // namespace

Rgb EmitterColor(int32_t colorCode) {
  switch (colorCode) {
    case kRed:
      return {255, 0, 0};
    case kGreen:
      return {0, 255, 0};
    case kBlue:
      return {0, 0, 255};
    default:
      return CodeColor(colorCode);
  }
}

Rgb CodeColor(int32_t colorCode) {
  int16_t r = 0, g = 0, b = 0;
  SysToRGB(colorCode, r, g, b);
  return {r, g, b};
}

double FullScaleLuminance(const LED_Driver& driver) {
  double dimmestPrimary = 0, brightest = 0;
  for (int16_t i = 1; i <= std::min<int16_t>(driver.NrOfChannels, kChannels); ++i) {
    const double lum = driver.GetMaxLum(i);
    brightest = std::max(brightest, lum);
    const int32_t color = driver.GetChannelColor(i);
    if ((color == kRed || color == kGreen || color == kBlue) &&
        (dimmestPrimary == 0 || lum < dimmestPrimary))
      dimmestPrimary = lum;
  }
  return dimmestPrimary > 0 ? dimmestPrimary : brightest;
}

Rgb BladeColor(const LED_Driver& driver, const ChannelLevels& levels) {
  const double scale = FullScaleLuminance(driver);
  if (scale <= 0) return {};
  double mix[3] = {0, 0, 0};
  for (int16_t i = 1; i <= std::min<int16_t>(driver.NrOfChannels, kChannels); ++i) {
    const double level = std::clamp(levels[size_t(i - 1)], 0, int(kFull));
    const double luminance = level * driver.GetMaxLum(i) / kFull;
    const Rgb light = EmitterColor(driver.GetChannelColor(i));
    const double share = luminance / scale;
    mix[0] += light.red * share;
    mix[1] += light.green * share;
    mix[2] += light.blue * share;
  }
  const double brightest = std::max({mix[0], mix[1], mix[2]});
  const double dim = brightest > kFull ? kFull / brightest : 1;
  auto component = [dim](double v) { return int(std::lround(std::min(v * dim, kFull))); };
  return {component(mix[0]), component(mix[1]), component(mix[2])};
}

}  // namespace led
