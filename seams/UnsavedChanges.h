#pragma once
// The question before work that was not saved would be lost (the window
// closing, another file loaded over it): Save, Discard or Cancel.

#include <functional>
#include <string>

#include "seams/UserDialogs.h"

namespace seams {

// Asks `question`; true when the caller may go on: the user chose Discard,
// or Save and `save` saved (a save dialog cancelled or a save that failed
// keeps everything as it was, as Cancel does).
inline bool SaveChangesFirst(UserDialogs& dialogs, const std::string& question,
                             const std::function<bool()>& save) {
  switch (dialogs.Message(question, DialogIcon::Exclamation, DialogButtons::SaveDiscardCancel)) {
    case DialogResult::Save:
      return save();
    case DialogResult::Discard:
      return true;
    default:
      return false;
  }
}

}  // namespace seams
