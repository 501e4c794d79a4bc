#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// download CONFIG.lscfg [--verify]: the window's download, on the board.
extern const CliCommand kDownloadCommand;
// motion get | motion set NAME=VALUE... | motion default
extern const CliCommand kMotionCommand;

}  // namespace frontend
