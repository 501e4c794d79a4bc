#pragma once
// An LED_Pulse to and from the pulse that the board's pulse commands carry
// (devlink::LEDPulseWire).

#include "devlink/TLS.h"
#include "led/LED_Pulse.h"

namespace led {

// Levels as their low byte; ticks held to 0..65535; times (held in ms as
// fractions) rounded to whole ms, halves to even, and held to 0..65535; a
// negative repeat count goes out as 0.
devlink::LEDPulseWire ToWire(const LED_Pulse& pulse);

// The levels, times and repeat count the board holds; the ticks, which the
// board does not send back, stay as they were. A repeat count above
// kMaxRepeat, which NRep and a settings file cannot hold, becomes
// kMaxRepeat.
void FromWire(const devlink::LEDPulseWire& wire, LED_Pulse& pulse);

}  // namespace led
