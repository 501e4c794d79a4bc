#include "session/BoardSession.h"

namespace session {

BoardSession::BoardSession(const FrontEndOptions& options)
    : made_(MakeBoardAgent(options)), board_(*made_.agent) {
  board_.SetUpHidAgent();
}

BoardSession::~BoardSession() {
  board_.CloseHidAgent();
}

bool BoardSession::SearchBoard() {
  return board_.SearchBoard() && !board_.Links().Empty();
}

}  // namespace session
