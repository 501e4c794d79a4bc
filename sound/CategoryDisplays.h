#pragma once
// What the configuration loader shows while it replaces the categories: the
// label of each single category (BootFileList, PwrOnFileList,
// PwrOffFileList, IdleFileList), the list box of each list category
// (MtFileList, ImpFileList, LkfileList) and the memory display. The window
// implements it with its controls; headless callers use NoCategoryDisplays.

#include <string>

#include "sound/SoundCategories.h"

namespace sound {

class CategoryDisplays {
 public:
  virtual ~CategoryDisplays() = default;
  // Shows a file name on a single category's label; "" clears it.
  virtual void SetFileLabel(FileType category, const std::string& name) = 0;
  virtual void ClearList(FileType category) = 0;
  virtual void AddToList(FileType category, const std::string& name) = 0;
  // The configuration changed: refresh the memory display.
  virtual void UpdateMemoryStatus() = 0;
  // Lets pending window events run.
  virtual void DoEvents() = 0;
};

class NoCategoryDisplays : public CategoryDisplays {
 public:
  void SetFileLabel(FileType, const std::string&) override {}
  void ClearList(FileType) override {}
  void AddToList(FileType, const std::string&) override {}
  void UpdateMemoryStatus() override {}
  void DoEvents() override {}
};

}  // namespace sound
