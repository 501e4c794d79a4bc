#include "cli/InfoCommand.h"

#include <iostream>
#include <ostream>

#include "cli/SoundBoard.h"
#include "devlink/BoardKind.h"

namespace frontend {

int RunInfo(session::BoardSession& session, std::ostream& out, std::ostream& err) {
  devlink::TLS* link = session.FirstLink();
  const devlink::BoardKind kind = devlink::IdentifyBoard(link->GetID());
  std::string sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) {
    // A board that takes the Reset is there but silent; one that cannot even
    // be written to has gone.
    if (link->Reset())
      err << "The board did not tell its serial number; it was reset. Unplug it and plug it in "
             "again, then retry.\n";
    else
      err << "The connection with the board was lost. Plug it in again, then retry.\n";
    return 1;
  }
  out << kind.caption << sn << '\n'
      << "firmware: " << kind.fwVersion << '\n'
      << "capacity: " << (kind.capacity ? kind.capacity : devlink::kDefaultCapacity) << '\n'
      << "type: " << (kind.deviceType == devlink::kLedDriver ? "led" : "sound") << '\n';
  link->Bye();
  return 0;
}

namespace {

int Info(const FrontEndOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("info takes no arguments");
  session::BoardSession session(options);
  if (!FoundBoard(session)) return 1;
  return RunInfo(session, std::cout, std::cerr);
}

}  // namespace

const CliCommand kInfoCommand = {
    "info", "info", "show the board's serial number, firmware version, capacity and type", Info};

}  // namespace frontend
