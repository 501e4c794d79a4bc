#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliCommand.h"

namespace frontend {

// update: the online font update for the board's serial number, into the
// application folder's fonts folder. Step and element captions and a
// progress bar go to stderr, the final message to stdout.
extern const CliCommand kUpdateCommand;

// Runs the update procedure; 0 when it ended with a final message, 1 after
// a warning.
int RunUpdate(const std::string& host, const std::string& appFolder, const std::string& serial,
              std::ostream& out, std::ostream& err);

}  // namespace frontend
