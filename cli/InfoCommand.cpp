#include "cli/InfoCommand.h"

#include <ostream>

#include "devlink/BoardKind.h"

namespace frontend {

int RunInfo(BoardSession& session, std::ostream& out, std::ostream& err) {
  devlink::TLS* link = session.FirstLink();
  const devlink::BoardKind kind = devlink::IdentifyBoard(link->GetID());
  std::string sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) sn = link->GetSN();
  if (sn == devlink::kNoSerialNumber) {
    link->Reset();
    err << "The board did not tell its serial number; it was reset. Unplug it and plug it in "
           "again, then retry.\n";
    return 1;
  }
  out << kind.caption << sn << '\n'
      << "firmware: " << kind.fwVersion << '\n'
      << "capacity: " << (kind.capacity ? kind.capacity : devlink::kDefaultCapacity) << '\n'
      << "type: " << (kind.deviceType == devlink::kLedDriver ? "led" : "sound") << '\n';
  link->Bye();
  return 0;
}

}  // namespace frontend
