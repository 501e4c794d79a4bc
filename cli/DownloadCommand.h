#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// download CONFIG.lscfg [--verify]: the window's download, on the board.
extern const CliCommand kDownloadCommand;

}  // namespace frontend
