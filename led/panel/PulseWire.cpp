#include "led/panel/PulseWire.h"

#include <algorithm>
#include <cmath>

#include "led/LedSettingsFile.h"

namespace led {

namespace {

uint16_t Wire16(int64_t value) {
  return uint16_t(std::clamp<int64_t>(value, 0, 65535));
}

// Whole ms; anything that is not a number goes out as 0.
uint16_t WireMs(double ms) {
  if (!(ms > 0)) return 0;
  return ms >= 65535 ? 65535 : uint16_t(std::nearbyint(ms));
}

}  // namespace

devlink::LEDPulseWire ToWire(const LED_Pulse& pulse) {
  devlink::LEDPulseWire wire;
  for (int16_t k = 1; k <= int16_t(wire.channels.size()); ++k) {
    auto& channel = wire.channels[size_t(k - 1)];
    channel.Low = uint8_t(pulse.GetLow(k));
    channel.High = uint8_t(pulse.GetHigh(k));
    channel.Ton_Low = Wire16(pulse.GetTon_Low(k));
    channel.Toff_Low = Wire16(pulse.GetToff_Low(k));
    channel.Ton_High = Wire16(pulse.GetTon_High(k));
    channel.Toff_High = Wire16(pulse.GetToff_High(k));
  }
  wire.Trise = WireMs(pulse.Trise);
  wire.Ton = WireMs(pulse.Ton);
  wire.Tfall = WireMs(pulse.Tfall);
  wire.Toff = WireMs(pulse.Toff);
  wire.NRep = Wire16(pulse.NRep);
  return wire;
}

void FromWire(const devlink::LEDPulseWire& wire, LED_Pulse& pulse) {
  for (int16_t k = 1; k <= int16_t(wire.channels.size()); ++k) {
    const auto& channel = wire.channels[size_t(k - 1)];
    pulse.SetHigh(k, channel.High);
    pulse.SetLow(k, channel.Low);
  }
  pulse.Trise = wire.Trise;
  pulse.Ton = wire.Ton;
  pulse.Tfall = wire.Tfall;
  pulse.Toff = wire.Toff;
  pulse.NRep = int16_t(std::min<int>(wire.NRep, kMaxRepeat));
}

}  // namespace led
