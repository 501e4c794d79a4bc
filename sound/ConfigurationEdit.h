#pragma once
// One change to the sound categories as undo and redo need it: the files of
// the categories it touched before and after it (paths, sample counts and
// volumes, no coded bytes), so that either state can be put back without
// reading a sound file again. The category panel reports one edit per
// action of the user: a file added (or several dropped at once), a file
// removed, a volume moved, a configuration loaded.

#include <string>
#include <vector>

#include "sound/LSU_Configuration.h"

namespace sound {

struct CategoryContents {
  FileType category;
  std::vector<LSU_SoundFile> files;  // as LSU_Configuration::Contents gives them
};
using ConfigurationContents = std::vector<CategoryContents>;

// The contents of these categories, or of all seven in flash order.
ConfigurationContents TakeContents(const LSU_Configuration& config,
                                   const std::vector<FileType>& categories);
ConfigurationContents TakeAllContents(const LSU_Configuration& config);
// Puts the categories back as they were taken.
void PutContents(LSU_Configuration& config, const ConfigurationContents& contents);
// Whether both hold the same files at the same volumes.
bool SameContents(const ConfigurationContents& a, const ConfigurationContents& b);

struct ConfigurationEdit {
  enum class Kind { Add, Remove, Volume, Load };
  Kind kind = Kind::Add;
  ConfigurationContents before, after;
  // A volume edit: the file the volume went to (its category and 1-based
  // number in a list, 0 for a single category).
  FileType volumeCategory = kBoot;
  int volumeIndex = 0;
  // A volume edit that goes on the move of the volume control before it
  // (the mouse still holds it): one step with that edit.
  bool continuesLast = false;

  // "Add", "Remove", "Volume" or "Load".
  std::string Name() const;
};

}  // namespace sound
