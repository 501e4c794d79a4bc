#pragma once
// An agent set up for the board the way the tests that drive it without a
// session do: it matches the board's vendor and product IDs, and the links
// follow the interfaces it opens.

#include <string>

#include "devlink/DeviceLinks.h"
#include "devlink/HIDagentX.h"
#include "devlink/TLS.h"

namespace testing_support {

inline void MatchTheBoard(devlink::HIDagentX& agent) {
  agent.VID_To_Match = devlink::kBoardVID;
  agent.PID_To_Match = devlink::kBoardPID;
  agent.SearchOnVID = agent.SearchOnPID = true;
}

// Every interface the agent opens is bound into links (which must outlive
// the agent's use of the event).
inline void BindOpenedInterfaces(devlink::HIDagentX& agent, devlink::DeviceLinks& links) {
  agent.InterfaceOpened = [&agent, &links](int, int, int, const std::string&) {
    links.InterfaceOpened(agent);
  };
}

}  // namespace testing_support
