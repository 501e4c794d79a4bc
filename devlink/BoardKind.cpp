#include "devlink/BoardKind.h"

namespace devlink {

BoardKind IdentifyBoard(int id) {
  if (id == 0 || id == 32)
    return {"Kestrane USB Serial Number: ", kSoundBoard, kDefaultCapacity, 0};
  if (id == 64) return {"Kestrane USB 64 Serial Number: ", kSoundBoard, kLargeCapacity, 0};
  if (id >= 4096 && id <= 8191)
    return {"Kestrane USB2 Serial Number: ", kSoundBoard, kDefaultCapacity, id - 4096};
  if (id == 65535) return {"Kestrane USB2 Serial Number: ", kSoundBoard, kDefaultCapacity, 293};
  return {"Kestrane LED Driver Serial Number: ", kLedDriver, 0, 0};
}

}  // namespace devlink
