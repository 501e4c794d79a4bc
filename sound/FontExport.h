#pragma once
// A font folder anyone can load: every sound file of a configuration copied
// into one folder, with a configuration file beside them that names the
// copies. Zipped and unpacked anywhere, the folder loads complete, since
// the loader finds files beside their configuration (FontLocator).
//
// The configuration file holds the copies' full paths, as every
// configuration file does, so programs that read full paths load it on
// this machine as well; moved elsewhere, this program finds the files by
// name beside it.

#include <string>
#include <vector>

#include "seams/UserDialogs.h"
#include "sound/LSU_Configuration.h"

namespace sound {

struct ExportedFile {
  std::string source;  // the path in the configuration
  std::string name;    // its name in the folder
};

struct FontExport {
  bool done = false;
  std::string error;                // why nothing was exported, for the user
  std::string configuration;        // the configuration file written
  std::vector<ExportedFile> files;  // each sound file once, in flash order
};

// Copies every sound file of config into folder (made when missing), names
// kept; two different files of one name (compared without regard to case)
// get "-2", "-3" before the extension. Then writes folder/name.lscfg with
// the copies' paths and the volumes. A file of the same name already in the
// folder is kept when it holds the same bytes; a different one refuses the
// whole export before anything is written. A failure half-way removes what
// this export wrote: nothing half-written stays.
FontExport ExportFont(const LSU_Configuration& config, const std::string& folder,
                      const std::string& name);

// The message that tells where the font went.
std::string ExportedMessage(const FontExport& exported, const std::string& folder);

inline constexpr const char* kExportFolderTitle = "Export font folder";

// The window's "Export font folder...": asks for a folder (starting in
// initialFolder) and exports into it, the configuration file named after
// the folder ("Ember/Ember.lscfg", as fonts are kept by the update and
// served by font-server). Tells the outcome in a message naming the
// folder. Nothing happens when the dialog is cancelled.
FontExport ExportFontWithDialog(const LSU_Configuration& config, seams::UserDialogs& dialogs,
                                const std::string& initialFolder);

}  // namespace sound
