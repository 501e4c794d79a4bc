#pragma once
// The board for the commands that work on one: any board (info, update,
// led) or a sound board (download, verify, motion).

#include "devlink/BoardKind.h"
#include "devlink/TLS.h"
#include "session/BoardSession.h"

namespace frontend {

// Searches for the board and opens its interfaces; its first link, or null
// with kNoConnection printed on stderr when there is none.
devlink::TLS* FoundBoard(session::BoardSession& session);

// Searches for the board and checks that it is a sound board; its kind goes
// into `kind`. Null, with the reason printed on stderr, when there is no
// board or it is an LED driver.
devlink::TLS* SoundBoard(session::BoardSession& session, devlink::BoardKind& kind);

}  // namespace frontend
