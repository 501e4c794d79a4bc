// Feeds arbitrary bytes to the LED settings file reader. What it takes over
// must be what the board can carry, and a file it reads completely must
// read back the same once written again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "led/LedSettingsFile.h"

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "settings invariant broken: %s\n", what);
  std::abort();
}

bool IsTime(double ms) {
  return ms >= 0 && ms <= led::kMaxTimeMs;
}

bool IsLevel(int16_t level) {
  return level >= 0 && level <= led::kMaxLevel;
}

void CheckRead(const led::LED_Pulse& idle, const led::LED_Pulse& foc,
               const led::SettingsRead& read) {
  Require(read.status != led::SettingsStatus::Ok || (read.idleRead && read.focRead),
          "success without both pulses");
  Require(!read.focRead || read.idleRead, "flash on clash read before the idle pulse");
  if (read.idleRead) {
    for (int16_t k = 1; k <= 4; ++k)
      Require(IsLevel(idle.GetLow(k)) && IsLevel(idle.GetHigh(k)), "idle level outside 0..255");
    Require(IsTime(idle.Ton) && IsTime(idle.Toff) && IsTime(idle.Trise) && IsTime(idle.Tfall),
            "idle time outside 0..65535");
  }
  if (read.focRead) {
    for (int16_t k = 1; k <= 4; ++k) Require(IsLevel(foc.GetHigh(k)), "foc level outside 0..255");
    Require(IsTime(foc.Ton) && IsTime(foc.Toff), "foc time outside 0..65535");
    Require(foc.NRep >= 0, "negative repeat count");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  led::LED_Pulse idle, foc;
  const auto read = led::ReadLedSettings(in, idle, foc);
  CheckRead(idle, foc, read);
  if (read.status != led::SettingsStatus::Ok) return 0;

  const std::string written = led::LedSettingsText(idle, foc);
  std::istringstream again(written);
  led::LED_Pulse idle2, foc2;
  Require(led::ReadLedSettings(again, idle2, foc2).status == led::SettingsStatus::Ok,
          "a written file does not read back");
  Require(led::LedSettingsText(idle2, foc2) == written, "a written file reads back different");
  return 0;
}
