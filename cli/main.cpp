// morvane-cli: the board tool without a window, over the same classes as
// morvane.

#include <iostream>
#include <string>
#include <vector>

#include "cli/BoardSession.h"
#include "cli/InfoCommand.h"
#include "virtualboard/BoardSpec.h"

namespace {

const char* kUsage =
    "usage: morvane-cli [--virtual-board SPEC] [--hid-log FILE] COMMAND\n"
    "\n"
    "commands:\n"
    "  info    show the board's serial number, firmware version, capacity and type\n"
    "\n"
    "options:\n"
    "  --virtual-board SPEC  use a virtual board instead of USB, e.g. sound or usb2,fw=292\n"
    "  --hid-log FILE        log every report written to or read from the board in FILE\n";

constexpr const char* kNoConnection = "A connection with DudedAvori could not be established.";

}  // namespace

int main(int argc, char** argv) {
  frontend::FrontEndOptions options;
  try {
    options = frontend::ParseFrontEndOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const frontend::UsageError& e) {
    std::cerr << "morvane-cli: " << e.what() << "\n\n" << kUsage;
    return 2;
  }
  if (options.rest.size() == 1 && (options.rest[0] == "--help" || options.rest[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (options.rest.size() != 1 || options.rest[0] != "info") {
    std::cerr << (options.rest.empty() ? std::string("morvane-cli: no command given")
                                       : "morvane-cli: unknown command \"" + options.rest[0] + "\"")
              << "\n\n"
              << kUsage;
    return 2;
  }
  try {
    frontend::BoardSession session(options);
    if (!session.SearchBoard()) {
      std::cerr << kNoConnection << '\n';
      return 1;
    }
    return frontend::RunInfo(session, std::cout, std::cerr);
  } catch (const virtualboard::BoardSpecError& e) {
    std::cerr << "morvane-cli: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "morvane-cli: " << e.what() << '\n';
    return 1;
  }
}
