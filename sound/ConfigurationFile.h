#pragma once
// Sound configuration files (".lscfg"): which LSU file sits in which
// category and at which volume. Text lines ended by CR LF (LF alone is read
// too), seven sections in flash order:
//   BOOT / path / volume, PWRON ..., PWROFF ..., IDLE ...,
//   MOTION-N then N pairs of path / volume, IMPACT-N ..., LOCKUP-N ...
// An empty path line stands for an empty single category; a volume is
// written " 100 ". Paths are written in UTF-8. Files written on other
// systems are read too: a UTF-8 byte-order mark at the start is skipped, a
// line that is not UTF-8 is read as Windows-1252, and the sound files are
// found as FontLocator finds them (also beside the configuration file).
//
// Loading is not a transaction: each section replaces its category as it is
// read, so when the file turns out not valid the sections before keep their
// new content.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "seams/EventPump.h"
#include "seams/Result.h"
#include "seams/UserDialogs.h"
#include "sound/CategoryDisplays.h"
#include "sound/LSU_Configuration.h"

namespace sound {

inline constexpr const char* kConfigurationFilter =
    "Duded Avori Configuration File (*.LSCFG)|*.lscfg|All files (*.*)|*.*";
// Added to a name typed into the save dialog without an extension.
inline constexpr const char* kConfigurationExtension = "lscfg";
inline constexpr const char* kNotValidConfiguration = "Not a valid configuration file";
inline constexpr const char* kFilesNotFound =
    "The following files could not be found or are not valid:";

enum class LoadResult {
  Loaded,         // every listed file was added
  FilesNotFound,  // loaded, but some files were missing or refused
  NotValid,       // a section word or header did not match, or the file ended early
  Cancelled,      // the open dialog was cancelled; nothing changed
};

struct LoadOutcome {
  LoadResult result;
  std::vector<std::string> notFound;  // paths, in the order met
  // Files found beside the configuration file instead of at their paths.
  int foundBeside = 0;
};

// The configuration as file text; nothing when a path holds a line break
// and could not be read back.
std::optional<std::string> ConfigurationText(const LSU_Configuration& config);
// The same with every file's path given by pathOf (e.g. the path of a copy
// of the file elsewhere), the volumes as they are.
using PathOfFile = std::function<std::string(const LSU_SoundFile&)>;
std::optional<std::string> ConfigurationText(const LSU_Configuration& config,
                                             const PathOfFile& pathOf);

// Writes the configuration to path, replacing any file there only once the
// whole text is written. Fails with SaveFailedMessage when nothing could be
// saved.
seams::Result SaveConfiguration(const LSU_Configuration& config, const std::string& path);

// Reads a configuration into config, section by section, telling displays
// what changed and letting window events run through `events` after each
// file. Shows "Not a valid configuration file" (stop icon) or the list of
// files not found (no icon) through dialogs.
LoadOutcome LoadConfiguration(std::istream& in, LSU_Configuration& config,
                              CategoryDisplays& displays, seams::EventPump& events,
                              seams::UserDialogs& dialogs);
// The same from a file, read through the bounded line reader: a file that
// cannot be read (missing, not a regular file, a line longer than 4096
// bytes) is not valid, and the message says why on a second line.
LoadOutcome LoadConfiguration(const std::string& path, LSU_Configuration& config,
                              CategoryDisplays& displays, seams::EventPump& events,
                              seams::UserDialogs& dialogs);

// The load button's question: a configuration file in appFolder, or none
// when the user cancelled.
std::optional<std::string> ChooseConfigurationToLoad(seams::UserDialogs& dialogs,
                                                     const std::string& appFolder);

// The load button: asks for a file in appFolder, then loads it.
LoadOutcome LoadConfigurationWithDialog(LSU_Configuration& config, CategoryDisplays& displays,
                                        seams::EventPump& events, seams::UserDialogs& dialogs,
                                        const std::string& appFolder);

enum class SaveResult { Saved, Cancelled, Failed };

// The save button: asks for a file name in appFolder and saves, with
// ".lscfg" added to a name without an extension; a save that fails is
// reported with a message.
SaveResult SaveConfigurationWithDialog(const LSU_Configuration& config, seams::UserDialogs& dialogs,
                                       const std::string& appFolder);

// The message shown when a save fails, with the reason.
std::string SaveFailedMessage(const std::string& path, const std::string& why);

}  // namespace sound
