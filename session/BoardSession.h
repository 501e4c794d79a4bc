#pragma once
// The HID agent a front end talks to (the virtual board or hidapi), with the
// device links it keeps: set up, search for the board, bind its interfaces.

#include <memory>

#include "devlink/DeviceLinks.h"
#include "devlink/ReportAgent.h"
#include "session/FrontEndOptions.h"
#include "virtualboard/BoardFirmware.h"

namespace session {

// The HID agent the options ask for: the virtual board (with its firmware)
// or hidapi; logging set up from --hid-log, else into the application
// folder's "HidLog.txt" with logging off. Throws
// virtualboard::BoardSpecError for a bad SPEC and std::runtime_error when
// the virtual board's flash image cannot be read.
struct BoardAgent {
  std::shared_ptr<virtualboard::BoardFirmware> firmware;  // null for USB
  std::unique_ptr<devlink::ReportAgent> agent;
};
BoardAgent MakeBoardAgent(const FrontEndOptions& options);

// An agent with its device links, for the command line.
class BoardSession {
 public:
  explicit BoardSession(const FrontEndOptions& options);
  ~BoardSession();

  // Starts the agent and opens the board's interfaces; true when a link to
  // the board is bound.
  bool SearchBoard();
  devlink::TLS* FirstLink() const { return links_.First(); }
  devlink::DeviceLinks& Links() { return links_; }
  devlink::ReportAgent& Agent() { return *agent_; }
  // Null for a real board.
  virtualboard::BoardFirmware* Firmware() const { return firmware_.get(); }

 private:
  std::shared_ptr<virtualboard::BoardFirmware> firmware_;
  std::unique_ptr<devlink::ReportAgent> agent_;
  devlink::DeviceLinks links_;
};

}  // namespace session
