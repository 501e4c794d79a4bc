#pragma once
// The agent set-up that the window's connection and the command line's
// session share: the agent started for the board (no operation display,
// not verbose), the search for the board's IDs, and one device link per
// bound interface, kept up to date as the agent opens and closes
// interfaces.

#include <functional>
#include <string>

#include "devlink/DeviceLinks.h"
#include "devlink/HIDagentX.h"

namespace session {

class BoardLinks {
 public:
  // Takes over the agent's InterfaceOpened and InterfaceClosed events until
  // destroyed; afterClose runs once the links have followed a closed
  // interface.
  explicit BoardLinks(devlink::HIDagentX& agent, std::function<void()> afterClose = {});
  ~BoardLinks();
  BoardLinks(const BoardLinks&) = delete;
  BoardLinks& operator=(const BoardLinks&) = delete;

  // ShowOperations and Verbose off, then Start.
  void SetUpHidAgent();
  // Matches the board's vendor and product IDs and returns FindDevices: true
  // when a matching device is open. Its interfaces are bound on the way.
  bool SearchBoard();
  void CloseHidAgent();

  // The agent's events.
  void InterfaceOpened();
  void InterfaceClosed(int numStillOpen, const std::string& name, int handle);

  devlink::DeviceLinks& Links() { return links_; }
  const devlink::DeviceLinks& Links() const { return links_; }
  devlink::HIDagentX& Agent() { return agent_; }

 private:
  devlink::HIDagentX& agent_;
  devlink::DeviceLinks links_;
  std::function<void()> afterClose_;
};

}  // namespace session
