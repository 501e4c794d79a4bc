#pragma once
// What a board is, from the value its GetID command answers.

#include <string>

namespace devlink {

inline constexpr int kDefaultCapacity = 2793120;  // samples
inline constexpr int kLargeCapacity = 5589300;    // samples, the 64 board

enum DeviceType : int { kSoundBoard = 0, kLedDriver = 1 };

struct BoardKind {
  std::string caption;  // the serial-number caption, ending in ": "
  DeviceType deviceType = kSoundBoard;
  int capacity = 0;   // samples; 0 leaves the capacity as it was
  int fwVersion = 0;  // 0 when the board does not tell it
};

BoardKind IdentifyBoard(int getIdValue);

}  // namespace devlink
