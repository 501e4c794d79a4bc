#pragma once

#include <iosfwd>

#include "cli/CliCommand.h"
#include "session/BoardSession.h"

namespace frontend {

// Identifies the board: its serial-number caption and serial number, the
// firmware version, the capacity in samples and its type. Returns the exit
// status.
int RunInfo(session::BoardSession& session, std::ostream& out, std::ostream& err);

extern const CliCommand kInfoCommand;

}  // namespace frontend
