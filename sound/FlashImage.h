#pragma once
// The bytes a board's erased flash holds after a download of a
// configuration: 0xFF where nothing is written (bytes 0..11, the gap up to
// 512 and the byte skipped after each file), the file table at Nr_Base and
// every coded file at its address, ending with the last byte of the last
// file.

#include <cstdint>
#include <vector>

#include "sound/LSU_Configuration.h"

namespace sound {

inline constexpr uint8_t kErasedByte = 0xFF;

// Needs a configuration whose MakeMemoryMap ran to its end.
std::vector<uint8_t> FlashImage(const LSU_Configuration& config);

}  // namespace sound
