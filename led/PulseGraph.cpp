#include "led/PulseGraph.h"

#include <algorithm>
#include <cmath>

namespace led {

namespace {

constexpr int kChannels = 4;

int16_t ChannelCount(const LED_Driver& driver) {
  return std::clamp<int16_t>(driver.NrOfChannels, 0, kChannels);
}

}  // namespace

std::vector<GraphPoint> PulseCurve(const PulseTimes& times, int low, int high) {
  std::vector<GraphPoint> points;
  auto add = [&points](double ms, int level) {
    const GraphPoint p{ms / 1000, double(level)};
    if (points.empty() || !(points.back() == p)) points.push_back(p);
  };
  const double cycle = times.CycleMs();
  for (int c = 0; c < std::max(times.cycles, 1); ++c) {
    const double start = c * cycle;
    add(start, low);
    add(start + times.rise, high);
    add(start + times.rise + times.on, high);
    add(start + times.rise + times.on + times.fall, low);
    add(start + cycle, low);
  }
  return points;
}

double LevelAt(const PulseTimes& times, int low, int high, double ms) {
  const double cycle = times.CycleMs();
  if (!(cycle > 0)) return low;
  double t = std::fmod(std::max(ms, 0.0), cycle);
  const double swing = high - low;
  if (t < times.rise) return low + swing * t / times.rise;
  t -= times.rise;
  if (t < times.on) return high;
  t -= times.on;
  if (t < times.fall) return high - swing * t / times.fall;
  return low;
}

std::vector<ChannelCurve> PulseGraph(const LED_Driver& driver, const LED_Pulse& pulse,
                                     const PulseTimes& times) {
  std::vector<ChannelCurve> curves;
  for (int16_t i = 1; i <= ChannelCount(driver); ++i)
    curves.push_back({i, CodeColor(driver.GetChannelColor(i)),
                      PulseCurve(times, pulse.GetLow(i), pulse.GetHigh(i))});
  return curves;
}

Rgb PulseColorAt(const LED_Driver& driver, const LED_Pulse& pulse, const PulseTimes& times,
                 double ms) {
  ChannelLevels levels{};
  for (int16_t i = 1; i <= ChannelCount(driver); ++i)
    levels[size_t(i - 1)] = int(std::lround(LevelAt(times, pulse.GetLow(i), pulse.GetHigh(i), ms)));
  return BladeColor(driver, levels);
}

}  // namespace led
