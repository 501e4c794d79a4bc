#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// font import DIR -o FONTDIR [--name NAME] [--capacity SAMPLES]: converts
// the recordings of a folder into the LSU files of a font and writes its
// configuration file. font export CONFIG.lscfg -o DIR: see FontExportCommand.h.
extern const CliCommand kFontCommand;

}  // namespace frontend
