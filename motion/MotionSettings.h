#pragma once
// The six motion, impact and lock-up parameters of a sound board as the
// configuration panel shows them: five sliders in board units and the
// lock-up flash period in milliseconds (four times the board value, fixed
// at 52 ms before firmware 293), read from the board, reset to factory
// values and sent back.

#include <array>
#include <string>

#include "devlink/TLS.h"

namespace motion {

inline constexpr int kFlashPeriodFirmware = 293;  // boards that take a flash period
inline constexpr int kFixedFlashPeriodMs = 52;

// Slider positions: five in board units, the flash period in ms.
struct Sliders {
  int MotionThreshold = 0, MotionDebouncing = 0, ImpactThreshold = 0, ImpactDebouncing = 0,
      ImpactTime = 0, FOCTime = 0;
  bool operator==(const Sliders&) const = default;
};

inline constexpr Sliders kFactorySliders = {180, 2, 10, 50, 125, 52};

struct Range {
  int min, max;
  int Hold(int v) const { return v < min ? min : v > max ? max : v; }
};
// The sliders' ranges, in slider order.
inline constexpr std::array<Range, 6> kSliderRanges = {
    {{1, 255}, {2, 25}, {0, 31}, {1, 255}, {1, 255}, {20, 1000}}};

bool FlashPeriodEnabled(int fwVersion);
// The nearest multiple of 4, halves to the even neighbour: 22 and 26 give 24.
int SnapFlashPeriod(int ms);
// What the sliders show for the board's values.
Sliders SlidersFor(const devlink::AccParams& board, int fwVersion);
// What a send transmits for the sliders.
devlink::AccParams BoardValuesFor(const Sliders& sliders);

// The board values by name, for the command line: MotionTh, MotionDeb,
// ImpactTh, ImpactDeb, ImpactTm, FOCTime.
inline constexpr std::array<const char*, 6> kValueNames = {"MotionTh",  "MotionDeb", "ImpactTh",
                                                           "ImpactDeb", "ImpactTm",  "FOCTime"};
std::array<int, 6> AsArray(const devlink::AccParams& p);
devlink::AccParams FromArray(const std::array<int, 6>& values);
// A board value held to its slider's range (FOCTime in board units 5..250,
// and 13 before firmware 293).
int HoldBoardValue(size_t index, int value, int fwVersion);

// Reads the board's values into `values` (kept as they were when the read
// fails) and gives the sliders for them.
Sliders ReadAccData(devlink::TLS& link, devlink::AccParams& values, int fwVersion);
// Sends the sliders; when the board confirms, resets it and reads the
// values back. False when the board did not confirm.
bool SendAccData(devlink::TLS& link, const Sliders& sliders, devlink::AccParams& values);

// What the window's status line says after a send.
inline constexpr const char* kMotionSent = "The board took the motion settings.";
inline constexpr const char* kMotionNotConfirmed =
    "The board did not confirm the motion settings: check the connection and send them again.";

}  // namespace motion
