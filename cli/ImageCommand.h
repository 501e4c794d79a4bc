#pragma once

#include <string>

#include "cli/CliCommand.h"
#include "sound/LSU_Configuration.h"

namespace frontend {

// image CONFIG.lscfg -o FILE [--capacity SAMPLES]: loads a sound
// configuration, codes it and writes the flash image a download of it
// leaves on a board whose flash was erased.
extern const CliCommand kImageCommand;

// The value of --capacity: a whole number of samples, at least 1; a
// UsageError otherwise.
int32_t ParseCapacity(const std::string& text);

// Loads a configuration file with every file it lists; the loader's
// messages go to stderr. False when the file is not valid or a file is
// missing.
bool LoadWholeConfiguration(const std::string& path, sound::LSU_Configuration& config);

}  // namespace frontend
