#pragma once
// Options that morvane and morvane-cli share: --virtual-board SPEC,
// --hid-log FILE and --update-host HOST[:PORT].

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace session {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FrontEndOptions {
  std::optional<std::string> virtualBoard;
  std::optional<std::string> hidLog;
  std::optional<std::string> updateHost;
  std::vector<std::string> rest;  // everything that is not a shared option, in order
};

// Throws UsageError for a shared option without its value.
FrontEndOptions ParseFrontEndOptions(const std::vector<std::string>& args);

// The folder of the running program: the application folder.
std::string AppFolder();

}  // namespace session
