#pragma once
// The board as a command of morvane-cli has it: the agent its options ask
// for, set up, with its device links.

#include "session/BoardAgent.h"
#include "session/BoardLinks.h"

namespace session {

class BoardSession {
 public:
  // Makes the agent (see MakeBoardAgent) and starts it.
  explicit BoardSession(const FrontEndOptions& options);
  // Stops the agent.
  ~BoardSession();

  // Searches for the board and opens its interfaces; true when a link to
  // the board is bound.
  bool SearchBoard();
  devlink::TLS* FirstLink() const { return board_.Links().First(); }
  devlink::DeviceLinks& Links() { return board_.Links(); }
  devlink::ReportAgent& Agent() { return *made_.agent; }
  // Null for a real board.
  virtualboard::BoardFirmware* Firmware() const { return made_.firmware.get(); }

 private:
  BoardAgent made_;
  BoardLinks board_;
};

}  // namespace session
