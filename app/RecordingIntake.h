#pragma once
// Recordings on their way into a sound category (double-clicked in the
// browser, chosen with Enter or dropped): a file that is not an LSU file
// but a recording libsndfile reads is offered for conversion, "NAME is not
// an LSU file. Convert it to mono 16 bit 48 kHz and add it?". Yes converts
// it into an LSU file beside it (named as the recording with ".lsu" for its
// extension; "-2", "-3", ... before it when that name is taken, so nothing
// is overwritten), or into a folder the user picks when its own folder
// cannot be written, and the category takes that file. No leaves the file
// as it is, and the category refuses it as any file that is not valid.

#include <string>
#include <vector>

#include "seams/UserDialogs.h"
#include "sound/LSU_Configuration.h"

class QWidget;

namespace app {

inline constexpr const char* kConvertQuestion =
    "%1 is not an LSU file. Convert it to mono 16 bit 48 kHz and add it?";
inline constexpr const char* kConvertFolderTitle = "Choose a folder for the converted LSU file";

class RecordingIntake {
 public:
  struct Setup {
    QWidget* window;  // the progress dialog's
    const sound::LSU_Configuration* config;
    seams::UserDialogs* dialogs;
    std::string startFolder;  // where the folder dialog starts
  };
  explicit RecordingIntake(Setup setup) : setup_(std::move(setup)) {}

  // The paths as the category will take them, in their order: recordings
  // the user had converted replaced by their LSU files, those whose
  // conversion failed or was cancelled (or whose folder the user did not
  // pick) left out, every other path as it was. Only as many recordings
  // are offered as the category has room for; none for no category (0).
  std::vector<std::string> Prepare(const std::vector<std::string>& paths, int category);

 private:
  // The number of files the category can still take.
  int Room(int category) const;

  Setup setup_;
};

}  // namespace app
