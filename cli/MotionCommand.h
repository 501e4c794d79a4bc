#pragma once

#include "cli/CliCommand.h"

namespace frontend {

// motion get | motion set NAME=VALUE... | motion default
extern const CliCommand kMotionCommand;

}  // namespace frontend
