#pragma once
// The colour a set of channel levels gives on the blade, for pictures: each
// channel of the LED type shines with the luminance its level gives
// (level x MaxLum / 255, as the ticks are worked out), in its emitter's
// colour; the luminances add up and come back to an RGB colour on the scale
// of the colour model, where the dimmest of the red, green and blue
// channels at full level is component 255. So a colour picked with colour
// fidelity shows as itself, and a channel at full level shows at full
// brightness. A mix brighter than white is dimmed as a whole, keeping its
// hue.

#include <array>
#include <cstdint>

#include "led/LED_Driver.h"

namespace led {

struct Rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

// Levels 0..255 of channels 1..4.
using ChannelLevels = std::array<int, 4>;

// The light of an emitter of a catalogue colour code: red, green and blue
// are the pure primaries (the label colours of green and blue are lighter,
// to be read on a dark ground), white and amber their own colours.
Rgb EmitterColor(int32_t colorCode);

// The label colour of a colour code (the code's own components), for lines
// drawn in a channel's colour.
Rgb CodeColor(int32_t colorCode);

// The luminance that is component 255 on the LED type: the dimmest
// maximum luminance among its red, green and blue channels, or, for a type
// without any of them, its brightest channel's.
double FullScaleLuminance(const LED_Driver& driver);

// The blade colour of the levels of channels 1..NrOfChannels; the others
// take no part. Levels are held to 0..255.
Rgb BladeColor(const LED_Driver& driver, const ChannelLevels& levels);

}  // namespace led
