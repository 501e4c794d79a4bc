#include "sound/FlashImage.h"

#include <algorithm>

namespace sound {

std::vector<uint8_t> FlashImage(const LSU_Configuration& config) {
  const std::vector<uint8_t> table = config.GetFileTable();
  size_t size = LSU_Configuration::Nr_Base + table.size();
  const auto files = config.FilesInFlashOrder();
  for (const LSU_SoundFile* file : files)
    if (file->NrOfBytes > 0) size = std::max(size, size_t(file->Address) + size_t(file->NrOfBytes));

  std::vector<uint8_t> image(size, kErasedByte);
  std::copy(table.begin(), table.end(), image.begin() + LSU_Configuration::Nr_Base);
  std::vector<uint8_t> coded;
  for (const LSU_SoundFile* file : files)
    if (file->GetBytes(coded, 0, file->NrOfBytes))
      std::copy(coded.begin(), coded.end(), image.begin() + file->Address);
  return image;
}

}  // namespace sound
