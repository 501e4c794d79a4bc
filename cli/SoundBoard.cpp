#include "cli/SoundBoard.h"

#include <iostream>

#include "cli/CliCommand.h"

namespace frontend {

devlink::TLS* FoundBoard(session::BoardSession& session) {
  if (session.SearchBoard()) return session.FirstLink();
  std::cerr << kNoConnection << '\n';
  return nullptr;
}

devlink::TLS* SoundBoard(session::BoardSession& session, devlink::BoardKind& kind) {
  devlink::TLS* link = FoundBoard(session);
  if (!link) return nullptr;
  kind = devlink::IdentifyBoard(link->GetID());
  if (kind.deviceType != devlink::kSoundBoard) {
    std::cerr << "The board is an LED driver: it has no sound memory and no motion sensor.\n";
    return nullptr;
  }
  return link;
}

}  // namespace frontend
