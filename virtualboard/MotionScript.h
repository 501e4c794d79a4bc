#pragma once
// What the virtual sound board's acceleration sensor reports to GetACC: a
// scripted motion that repeats every 2.5 s - still, a swing, a clash. The
// sensor moves on 50 ms with every reading it answers (the rate at which
// morvane and morvane-cli poll it), so the same readings come in the same
// order on every run, however busy the machine.
//
// Reading n is step k = n mod 50 of the script (t = k x 0.05 s):
//   still  k 0..19   x 0, y 8, z 0, tilt 0 (held upright: gravity on y)
//   swing  k 20..39  h = min(k - 20, 39 - k), 0 up to 9 and back:
//                    x h, y 8, z h / 3 (rounded down), tilt 5 h
//   clash  k 40..49  j = k - 40: x -31 / 2^j, y 8 + 16 / 2^j, z 12 / 2^j
//                    (each cut towards 0), tilt 0: a hit of -31, 24, 12
//                    that dies away to still by k 45
// Axes are in the sensor's units, -31..31, as GetACC reads them; only the
// clash goes past the factory impact threshold of 10 on any axis.

#include <array>
#include <cstdint>

namespace virtualboard {

inline constexpr int kMotionScriptSteps = 50;
inline constexpr int kMotionScriptStepMs = 50;

struct AccSample {
  int x = 0, y = 0, z = 0, tilt = 0;
};

// Step n of the repeating script.
AccSample ScriptedMotion(long long reading);

// The two responses of GetACC for a sample: x and y, then z and tilt; an
// axis below 0 is sent as sign and magnitude (32 - value: -1 is 33).
std::array<std::array<uint8_t, 2>, 2> AccResponses(const AccSample& sample);

}  // namespace virtualboard
