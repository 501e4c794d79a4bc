#include "cli/BoardSession.h"

#include "devlink/HidapiBus.h"
#include "virtualboard/VirtualBoardBus.h"

namespace frontend {

BoardSession::BoardSession(const FrontEndOptions& options) {
  if (options.virtualBoard) {
    auto board =
        virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec(*options.virtualBoard));
    firmware_ = std::move(board.firmware);
    agent_ = std::move(board.agent);
  } else {
    agent_ = devlink::MakeHidapiAgent();
  }
  agent_->ShowOperations = false;
  agent_->Verbose = false;
  agent_->LogFile = AppFolder() + "/HidLog.txt";
  if (options.hidLog) {
    agent_->Logging = true;
    agent_->LogFile = *options.hidLog;
  }
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
