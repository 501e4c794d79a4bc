#pragma once
// A light pulse as a picture: each channel's level against time, and the
// blade colour at any moment. A cycle starts at the low level, rises to the
// high level in the rise time, holds it for the on time, falls back in the
// fall time and holds the low level for the off time.

#include <vector>

#include "led/BladeColor.h"
#include "led/LED_Driver.h"
#include "led/LED_Pulse.h"

namespace led {

// One cycle's times in ms and how many cycles to draw.
struct PulseTimes {
  double rise = 0, on = 0, fall = 0, off = 0;
  int cycles = 1;
  double CycleMs() const { return rise + on + fall + off; }
};

struct GraphPoint {
  double seconds = 0;
  double level = 0;
  bool operator==(const GraphPoint&) const = default;
};

// The corners of one channel's curve over all cycles, from 0 s: a rise or
// fall of no time is a vertical step; no point repeats the one before it.
std::vector<GraphPoint> PulseCurve(const PulseTimes& times, int low, int high);

// The level ms into the pulse, its cycle repeating without end (the low
// level when the cycle takes no time).
double LevelAt(const PulseTimes& times, int low, int high, double ms);

struct ChannelCurve {
  int channel = 0;  // 1..4
  Rgb color;        // the channel's label colour
  std::vector<GraphPoint> points;
};

// One curve per channel of the LED type, between the pulse's low and high
// levels.
std::vector<ChannelCurve> PulseGraph(const LED_Driver& driver, const LED_Pulse& pulse,
                                     const PulseTimes& times);

// The blade colour ms into the repeating pulse.
Rgb PulseColorAt(const LED_Driver& driver, const LED_Pulse& pulse, const PulseTimes& times,
                 double ms);

}  // namespace led
