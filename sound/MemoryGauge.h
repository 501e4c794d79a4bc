#pragma once
// The text of the memory gauge: how much of the board's sound memory the
// configuration takes, in samples, as a share and as playing time.

#include <cstdint>
#include <string>

namespace sound {

// Seconds of sound at 48000 samples a second, with one decimal ("9.6").
std::string SecondsText(int64_t samples);

// "460800 of 2793120 samples (16 %) – 9.6 s of 58.2 s" while the sounds
// fit (the share rounded down, so "100 %" means full); "2841120 of 2793120
// samples: too many for the board, 1.0 s too long" when they do not (the
// excess rounded up: one sample too many is still "0.1 s too long").
std::string MemoryGaugeText(int64_t used, int64_t capacity);

}  // namespace sound
