#pragma once

#include "cli/CliCommand.h"
#include "devlink/BoardKind.h"
#include "session/BoardSession.h"

namespace frontend {

// Opens the board and checks that it is a sound board (GetID); prints why
// not and gives null then.
devlink::TLS* SoundBoard(session::BoardSession& session, devlink::BoardKind& kind);

// download CONFIG.lscfg [--verify]: the window's download, on the board.
extern const CliCommand kDownloadCommand;
// motion get | motion set NAME=VALUE... | motion default
extern const CliCommand kMotionCommand;

}  // namespace frontend
