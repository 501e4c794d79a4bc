#include "cli/SoundBoard.h"

#include <iostream>

#include "cli/CliCommand.h"

namespace frontend {

devlink::TLS* SoundBoard(session::BoardSession& session, devlink::BoardKind& kind) {
  if (!session.SearchBoard()) {
    std::cerr << kNoConnection << '\n';
    return nullptr;
  }
  devlink::TLS* link = session.FirstLink();
  kind = devlink::IdentifyBoard(link->GetID());
  if (kind.deviceType != devlink::kSoundBoard) {
    std::cerr << "The board is an LED driver: it has no sound memory and no motion sensor.\n";
    return nullptr;
  }
  return link;
}

}  // namespace frontend
