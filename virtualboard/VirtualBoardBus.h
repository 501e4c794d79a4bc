#pragma once
// The virtual board on a bus of its own: one interface carrying both report
// variables, or two (command and response apart) for a split board.

#include <memory>

#include "devlink/HidTransport.h"
#include "devlink/ReportAgent.h"
#include "virtualboard/BoardFirmware.h"

namespace virtualboard {

class VirtualBoardBus : public devlink::HidBus {
 public:
  explicit VirtualBoardBus(std::shared_ptr<BoardFirmware> firmware);
  std::vector<devlink::HidDeviceInfo> Enumerate() override;
  std::unique_ptr<devlink::HidPort> Open(const devlink::HidDeviceInfo& info) override;

 private:
  std::shared_ptr<BoardFirmware> firmware_;
};

// A board and the agent that reaches it.
struct VirtualBoard {
  std::shared_ptr<BoardFirmware> firmware;
  std::unique_ptr<devlink::ReportAgent> agent;
};

VirtualBoard MakeVirtualBoard(const BoardSpec& spec);

}  // namespace virtualboard
