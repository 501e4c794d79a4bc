#pragma once
// What the configuration loader shows while it replaces the categories: the
// label of each single category, the list box of each list category (their
// control names are in kCategoriesInFlashOrder) and the memory display. The
// window implements it with its controls; headless callers use
// NoCategoryDisplays. The loader lets window events run through the event
// pump it is given.

#include <string>
#include <vector>

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
};

// What the category panel shows besides: the option buttons, the volume
// control, the waveform of the chosen file and the wait note while an LSU
// file becomes a WAV file. The
// window's panel implements it with the controls of its category frame.
class CategoryPanelView : public CategoryDisplays {
 public:
  // Sets the category's option button (the others clear).
  virtual void CheckOption(FileType category) = 0;
  // Removes the entry at the 0-based row of a list category.
  virtual void RemoveFromList(FileType category, int row) = 0;
  // Shows the volume control at that volume with the name of the file it
  // belongs to, or hides it. Showing it stores nothing: only the user's
  // move of it is a new volume.
  virtual void ShowVolume(int volume, const std::string& fileName) = 0;
  virtual void HideVolume() = 0;
  // Shows a list category's files anew (after undo or redo), keeping the
  // marked row where the list still has it.
  virtual void ShowList(FileType category, const std::vector<std::string>& names) {
    ClearList(category);
    for (const std::string& name : names) AddToList(category, name);
  }
  // Marks the 0-based row of a list category. A view without marks ignores it.
  virtual void MarkRow(FileType /*category*/, int /*row*/) {}
  // Shows or hides "Please wait ..." while an LSU file is written as WAV.
  virtual void ShowConverting(bool visible) = 0;
  // The file (name without folder) whose sound plays now; "" when none
  // does. A view without a playing note ignores it.
  virtual void ShowPlaying(const std::string& /*name*/) {}
  // The file whose waveform shows (a full path), at the volume the board
  // plays it with; "" shows none. A view without a waveform ignores it.
  virtual void ShowSound(const std::string& /*path*/, int /*volume*/) {}
  // A configuration loads (true) or has loaded (false). The window's
  // events run between its files so that it repaints; what the user
  // clicks or presses meanwhile must not reach the half-loaded categories
  // (an undo, a removal, a download of half a font), so the view locks its
  // controls. A view without controls ignores it.
  virtual void ShowLoading(bool /*loading*/) {}
  // The line a load ends with (how many files were found beside the
  // configuration); "" clears it. A view without such a line ignores it.
  virtual void ShowLoadNote(const std::string& /*text*/) {}
};

class NoCategoryDisplays : public CategoryDisplays {
 public:
  void SetFileLabel(FileType, const std::string&) override {}
  void ClearList(FileType) override {}
  void AddToList(FileType, const std::string&) override {}
  void UpdateMemoryStatus() override {}
};

}  // namespace sound
