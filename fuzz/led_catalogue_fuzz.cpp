// Feeds arbitrary bytes to the LED catalogue's line and header checks. An
// accepted line must hold an LED type within the catalogue's bounds, the
// tick conversions must stay within theirs for any value, and the colour
// conversions must keep what they promise (see CheckColours).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "led/LED_Driver.h"
#include "led/LedCatalogue.h"

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "catalogue invariant broken: %s\n", what);
  std::abort();
}

// What the colour conversions promise. A colour without a channel converts
// to -1 (a type without red, green or blue has no such channel, and the
// colour picker is off for it); a channel's own scale runs from 0 to its
// maximum luminance; and the colour picker's balance on a type with red,
// green and blue channels gives every slider a value within 0..255.
void CheckColours(const led::LED_Driver& d) {
  const int16_t values[] = {0, 1, 128, 254, 255};
  for (int16_t value : values)
    for (int except = 0; except < 8; ++except) {
      const int32_t lum = d.ConvertRGBtoLuminance(0, value, (except & 1) != 0, (except & 2) != 0,
                                                  (except & 4) != 0);
      Require(lum >= 0 && lum <= 50000, "luminance outside 0..50000");
    }
  for (int32_t color : {led::kRed, led::kGreen, led::kBlue, led::kWhite, led::kAmber}) {
    const int16_t k = d.FindColor(color);
    if (k == 0) {
      Require(d.ConvertLuminanceToRGB(color, 0) == -1, "a colour without a channel converts");
      continue;
    }
    Require(d.ConvertLuminanceToRGB(color, 0) == 0, "no luminance is not 0");
    Require(d.ConvertLuminanceToRGB(color, d.GetMaxLum(k)) == 255, "full luminance is not 255");
  }
  if (!d.FindColor(led::kRed) || !d.FindColor(led::kGreen) || !d.FindColor(led::kBlue)) return;
  for (int16_t red : values)
    for (int16_t green : values)
      for (int16_t blue : values) {
        const std::pair<int32_t, int16_t> picked[] = {
            {led::kRed, red}, {led::kGreen, green}, {led::kBlue, blue}};
        for (const auto& [color, value] : picked) {
          const int32_t lum =
              d.ConvertRGBtoLuminance(led::kRed, value, red == 0, green == 0, blue == 0);
          const int16_t slider = d.ConvertLuminanceToRGB(color, lum);
          Require(slider >= 0 && slider <= 255, "a balanced colour outside 0..255");
        }
      }
}

void CheckEntry(led::LED_Driver& d) {
  Require(d.NrOfChannels >= 1 && d.NrOfChannels <= 4, "channel count outside 1..4");
  Require(d.Period >= 10 && d.Period <= 10000, "period outside 10..10000");
  for (int16_t k = 1; k <= d.NrOfChannels; ++k) {
    Require(d.GetChannelColor(k) != 0, "channel without a colour");
    Require(d.FindColor(d.GetChannelColor(k)) >= k, "FindColor misses a channel");
    Require(d.GetMaxLum(k) >= 101 && d.GetMaxLum(k) <= 50000, "MaxLum outside 101..50000");
    Require(d.GetMaxDC(k) >= 2 && d.GetMaxDC(k) <= 100, "MaxDC outside 2..100");
    Require(d.GetVL(k) >= 3.0 && d.GetVL(k) <= 9.0, "VL outside 3..9");
  }
  for (double overDrive : {50.0, 100.0, 400.0}) {
    d.OverDrive = overDrive;
    for (int32_t type = -1; type <= 3; ++type)
      for (double v : {-1.0, 0.0, 0.5, 30.0, 100.0, 150.0, 5000.0, 60000.0})
        for (int16_t k = 0; k <= 5; ++k) {
          const int32_t off = d.GetToff(type, k, v);
          Require(off >= 1 && off <= d.Period + 1, "off tick outside 1..Period + 1");
          const int32_t on = d.GetTon(type, k, v);
          Require(on == 0 || on == 1, "on tick other than 0 or 1");
        }
  }
  CheckColours(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  led::IsCatalogueHeader(line);
  led::LED_Driver d;
  if (d.Init(line)) CheckEntry(d);
  return 0;
}
