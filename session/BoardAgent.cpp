#include "session/BoardAgent.h"

#include "devlink/HidapiBus.h"
#include "paths/AppPaths.h"
#include "virtualboard/VirtualBoardBus.h"

namespace session {

BoardAgent MakeBoardAgent(const FrontEndOptions& options) {
  BoardAgent made;
  if (options.virtualBoard) {
    auto board =
        virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec(*options.virtualBoard));
    made.firmware = std::move(board.firmware);
    made.agent = std::move(board.agent);
  } else {
    made.agent = devlink::MakeHidapiAgent();
  }
  made.agent->LogFile = paths::ResolveAppPaths(AppFolder()).HidLogFile();
  if (options.hidLog) {
    made.agent->Logging = true;
    made.agent->LogFile = *options.hidLog;
  }
  return made;
}

}  // namespace session
