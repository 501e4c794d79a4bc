#pragma once
// One light pulse of the LED driver: per channel a low and a high level with
// the PWM on and off ticks the board needs for each, and the pulse's times.

#include <array>
#include <cstdint>

#include "led/LED_Driver.h"

namespace led {

class LED_Pulse {
 public:
  double Ton = 0;    // on time, ms
  double Toff = 0;   // off time, ms
  double Trise = 0;  // rise time, ms
  double Tfall = 0;  // fall time, ms
  int16_t NRep = 0;  // repeat count

  // Channels are numbered 1 to 4; a number below 1 counts as 1, above 4 as 4.
  int16_t GetLow(int16_t index) const { return low_[At(index)]; }
  int16_t GetHigh(int16_t index) const { return high_[At(index)]; }
  void SetLow(int16_t index, int16_t Value) { low_[At(index)] = Value; }
  void SetHigh(int16_t index, int16_t Value) { high_[At(index)] = Value; }
  int32_t GetTon_Low(int16_t index) const { return tonLow_[At(index)]; }
  int32_t GetTon_High(int16_t index) const { return tonHigh_[At(index)]; }
  int32_t GetToff_Low(int16_t index) const { return toffLow_[At(index)]; }
  int32_t GetToff_High(int16_t index) const { return toffHigh_[At(index)]; }

  // Fills the four tick arrays for the channels of the driver's LED type
  // from the levels; channels above its NrOfChannels keep their ticks.
  void CalculateTimes(const LED_Driver& driver);

 protected:
  static int At(int16_t index) { return index < 1 ? 0 : index > 4 ? 3 : index - 1; }
  std::array<int16_t, 4> low_{}, high_{};
  std::array<int32_t, 4> tonLow_{}, toffLow_{}, tonHigh_{}, toffHigh_{};
};

}  // namespace led
