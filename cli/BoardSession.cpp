#include "cli/BoardSession.h"

#include "devlink/HidapiBus.h"
#include "paths/AppPaths.h"
#include "virtualboard/VirtualBoardBus.h"

namespace frontend {

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

BoardSession::BoardSession(const FrontEndOptions& options) {
  auto made = MakeBoardAgent(options);
  firmware_ = std::move(made.firmware);
  agent_ = std::move(made.agent);
  agent_->ShowOperations = false;
  agent_->Verbose = false;
  agent_->InterfaceOpened = [this](int, int, int, const std::string&) {
    links_.InterfaceOpened(*agent_);
  };
  agent_->InterfaceClosed = [this](int still, const std::string& name, int handle) {
    links_.InterfaceClosed(*agent_, still, name, handle);
  };
  agent_->Start();
}

BoardSession::~BoardSession() {
  agent_->Stop();
}

bool BoardSession::SearchBoard() {
  agent_->VID_To_Match = devlink::kBoardVID;
  agent_->PID_To_Match = devlink::kBoardPID;
  agent_->SearchOnVID = true;
  agent_->SearchOnPID = true;
  return agent_->FindDevices() && !links_.Empty();
}

}  // namespace frontend
