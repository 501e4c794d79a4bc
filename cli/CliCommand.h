#pragma once
// One command of morvane-cli: its name, its line in the usage text and the
// function that runs it. Each command lives in a file of its own.

#include <string>
#include <vector>

#include "session/FrontEndOptions.h"

namespace frontend {

// The options and helpers morvane shares, under the short names the
// commands use.
using session::AppFolder;
using session::FrontEndOptions;
using session::UsageError;

struct CliCommand {
  const char* name;
  const char* usage;  // e.g. "info" or "image CONFIG.lscfg -o FILE"
  const char* summary;
  // Returns the exit status: 0 success, 1 failure, 2 usage error (throw
  // UsageError for the last, and the usage text is printed).
  int (*run)(const FrontEndOptions& options, const std::vector<std::string>& args);
};

// The message for no board, shared by every command that needs one.
inline constexpr const char* kNoConnection =
    "A connection with DudedAvori could not be established.";

}  // namespace frontend
