#pragma once
// Every message box, question and common dialog goes through this
// interface: the window shows real dialogs, the command line prints, and
// tests answer from a script and record what was asked.

#include <cstdint>
#include <optional>
#include <string>

namespace seams {

enum class DialogIcon { None, Information, Exclamation, Critical, Question };
// SaveDiscardCancel: the question before work that was not saved is lost
// (answered Save, Discard or Cancel).
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class DialogResult { Ok, Cancel, Yes, No, Save, Discard };

// A file filter in the system's own form: pairs of a description and its
// patterns separated by "|", e.g. "Text (*.txt)|*.txt|All files (*.*)|*.*".
struct FileDialogRequest {
  std::string filter;
  std::string initialFolder;
  std::string fileName;  // proposed name, may be empty
  std::string title;     // may be empty
  // A save dialog adds it (e.g. "lscfg") to a name typed without an
  // extension; may be empty.
  std::string defaultSuffix;
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual DialogResult Message(const std::string& text, DialogIcon icon = DialogIcon::None,
                               DialogButtons buttons = DialogButtons::Ok) = 0;
  // A question whose default button (the one Enter presses) is Cancel, or
  // No where there is no Cancel: for a question whose other answer can do
  // harm. Where no button is a default, it is asked as Message asks.
  virtual DialogResult AskCautiously(const std::string& text, DialogIcon icon,
                                     DialogButtons buttons) {
    return Message(text, icon, buttons);
  }
  // Information about a sound file (its format and length) with an OK
  // button; the window's box shows the file's waveform under the text.
  virtual DialogResult AboutSound(const std::string& text, const std::string& /*soundPath*/) {
    return Message(text, DialogIcon::Information, DialogButtons::Ok);
  }
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  // A folder, existing or made in the dialog; nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& initialFolder,
                                                  const std::string& title) = 0;
  // Colour values are red + 256 x green + 65536 x blue.
  virtual std::optional<int32_t> PickColor(int32_t initial) = 0;
};

}  // namespace seams
