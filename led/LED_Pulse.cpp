#include "led/LED_Pulse.h"

#include <algorithm>

#include "text/NumberReading.h"

namespace led {

namespace {

// A level as a luminance of the channel: level x MaxLum / 255, rounded
// halves to even.
double Luminance(int16_t level, const LED_Driver& driver, int16_t channel) {
  const int32_t product = level * driver.GetMaxLum(channel);
  return text::RoundHalfEven(product / 255.0);
}

}  // namespace

void LED_Pulse::CalculateTimes(const LED_Driver& driver) {
  const int16_t n = std::min<int16_t>(driver.NrOfChannels, 4);
  for (int16_t i = 1; i <= n; ++i) {
    const double lum = Luminance(GetLow(i), driver, i);
    tonLow_[At(i)] = driver.GetTon(kLuminance, i, lum);
    toffLow_[At(i)] = driver.GetToff(kLuminance, i, lum);
  }
  for (int16_t i = 1; i <= n; ++i) {
    const double lum = Luminance(GetHigh(i), driver, i);
    tonHigh_[At(i)] = driver.GetTon(kLuminance, i, lum);
    toffHigh_[At(i)] = driver.GetToff(kLuminance, i, lum);
  }
}

}  // namespace led
