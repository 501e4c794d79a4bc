#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// verify CONFIG.lscfg: whether the board holds the configuration, by the
// board's byte sums of the file table and of every file; nothing is erased
// or written.
extern const CliCommand kVerifyCommand;

}  // namespace frontend
