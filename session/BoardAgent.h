#pragma once
// The HID agent a front end talks to, as its options ask for it.

#include <memory>

#include "devlink/ReportAgent.h"
#include "session/FrontEndOptions.h"
#include "virtualboard/BoardFirmware.h"

namespace session {

// The virtual board (with its firmware) or hidapi; logging set up from
// --hid-log, else into the application folder's "HidLog.txt" with logging
// off. MakeBoardAgent throws virtualboard::BoardSpecError for a bad SPEC
// and std::runtime_error when the virtual board's flash image cannot be
// read.
struct BoardAgent {
  std::shared_ptr<virtualboard::BoardFirmware> firmware;  // null for USB
  std::unique_ptr<devlink::ReportAgent> agent;
};
BoardAgent MakeBoardAgent(const FrontEndOptions& options);

}  // namespace session
