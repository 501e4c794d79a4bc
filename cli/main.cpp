// morvane-cli: the board tool without a window, over the same classes as
// morvane.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "ProjectVersion.h"
#include "cli/CliCommand.h"
#include "cli/DownloadCommand.h"
#include "cli/FontCommand.h"
#include "cli/ImageCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LedCommand.h"
#include "cli/MotionCommand.h"
#include "cli/UpdateCommand.h"
#include "cli/VerifyCommand.h"
#include "fileio/AtomicFile.h"
#include "virtualboard/BoardSpec.h"

namespace {

const frontend::CliCommand* const kCommands[] = {
    &frontend::kInfoCommand,   &frontend::kImageCommand,  &frontend::kDownloadCommand,
    &frontend::kVerifyCommand, &frontend::kMotionCommand, &frontend::kLedCommand,
    &frontend::kUpdateCommand, &frontend::kFontCommand};

void PrintUsage(std::ostream& out) {
  out << "usage: morvane-cli [--virtual-board SPEC] [--hid-log FILE] COMMAND [ARGS]\n\ncommands:\n";
  for (const auto* c : kCommands) out << "  " << c->usage << "\n      " << c->summary << '\n';
  out << "\noptions:\n"
         "  --virtual-board SPEC  use a virtual board instead of USB, e.g. sound or usb2,fw=292\n"
         "  --hid-log FILE        log every report written to or read from the board in FILE\n"
         "  --update-host HOST[:PORT]  the update service (default: MORVANE_UPDATE_HOST, else "
         "the project's own)\n"
         "  --help, --version     print this text or the version and end\n";
}

int UsageError(const std::string& message) {
  std::cerr << "morvane-cli: " << message << "\n\n";
  PrintUsage(std::cerr);
  return 2;
}

// The board log is opened for writing once before the command starts: one
// that cannot be written is named with the reason and left out, instead of
// the reports going nowhere without a word. Opened without waiting, so that
// a FIFO nobody reads is refused rather than waited on for ever.
void CheckHidLog(session::FrontEndOptions& options) {
  if (!options.hidLog) return;
  const int fd = open(options.hidLog->c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd >= 0) {
    close(fd);
    return;
  }
  std::cerr << "morvane-cli: the HID log " << *options.hidLog << " cannot be written ("
            << std::strerror(errno) << "); the command runs without it\n";
  options.hidLog.reset();
}

}  // namespace

int main(int argc, char** argv) {
  fileio::FailWritesPastSizeLimit();
  session::FrontEndOptions options;
  try {
    options = session::ParseFrontEndOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const session::UsageError& e) {
    return UsageError(e.what());
  }
  if (options.rest.empty()) return UsageError("no command given");
  const std::string name = options.rest.front();
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(std::cout);
    return 0;
  }
  if (name == "--version") {
    std::cout << "morvane-cli " << project::kVersion << '\n';
    return 0;
  }
  CheckHidLog(options);
  const std::vector<std::string> args(options.rest.begin() + 1, options.rest.end());
  for (const auto* c : kCommands) {
    if (name != c->name) continue;
    try {
      return c->run(options, args);
    } catch (const session::UsageError& e) {
      return UsageError(e.what());
    } catch (const virtualboard::BoardSpecError& e) {
      std::cerr << "morvane-cli: " << e.what() << '\n';
      return 2;
    } catch (const std::exception& e) {
      std::cerr << "morvane-cli: " << e.what() << '\n';
      return 1;
    }
  }
  return UsageError("unknown command \"" + name + "\"");
}
