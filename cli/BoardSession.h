#pragma once
// The HID agent a front end talks to (the virtual board or hidapi), with the
// device links it keeps: set up, search for the board, bind its interfaces.

#include <memory>

#include "cli/FrontEndOptions.h"
#include "devlink/DeviceLinks.h"
#include "devlink/ReportAgent.h"
#include "virtualboard/BoardFirmware.h"

namespace frontend {

class BoardSession {
 public:
  // Throws virtualboard::BoardSpecError for a bad --virtual-board SPEC and
  // std::runtime_error when its flash image cannot be read.
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

}  // namespace frontend
