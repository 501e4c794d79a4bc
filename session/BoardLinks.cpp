#include "session/BoardLinks.h"

#include "devlink/TLS.h"

namespace session {

BoardLinks::BoardLinks(devlink::HIDagentX& agent, std::function<void()> afterClose)
    : agent_(agent), afterClose_(std::move(afterClose)) {
  agent_.InterfaceOpened = [this](int, int, int, const std::string&) { InterfaceOpened(); };
  agent_.InterfaceClosed = [this](int still, const std::string& name, int handle) {
    InterfaceClosed(still, name, handle);
  };
}

// The agent may outlive the links: it must not call into them afterwards.
BoardLinks::~BoardLinks() {
  agent_.InterfaceOpened = nullptr;
  agent_.InterfaceClosed = nullptr;
}

void BoardLinks::SetUpHidAgent() {
  agent_.ShowOperations = false;
  agent_.Verbose = false;
  agent_.Start();
}

bool BoardLinks::SearchBoard() {
  agent_.VID_To_Match = devlink::kBoardVID;
  agent_.PID_To_Match = devlink::kBoardPID;
  agent_.SearchOnPID = true;
  agent_.SearchOnVID = true;
  return agent_.FindDevices();
}

void BoardLinks::CloseHidAgent() {
  agent_.Stop();
}

void BoardLinks::InterfaceOpened() {
  links_.InterfaceOpened(agent_);
}

void BoardLinks::InterfaceClosed(int numStillOpen, const std::string& name, int handle) {
  links_.InterfaceClosed(agent_, numStillOpen, name, handle);
  if (afterClose_) afterClose_();
}

}  // namespace session
