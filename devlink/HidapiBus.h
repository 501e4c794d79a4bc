#pragma once
// The real USB side: hidapi's hidraw backend, with the report descriptor
// read from the kernel.

#include <memory>

#include "devlink/HidTransport.h"
#include "devlink/ReportAgent.h"

namespace devlink {

class HidapiBus : public HidBus {
 public:
  HidapiBus();
  ~HidapiBus() override;
  std::vector<HidDeviceInfo> Enumerate() override;
  std::unique_ptr<HidPort> Open(const HidDeviceInfo& info) override;
};

// The agent a user's board is reached through.
std::unique_ptr<ReportAgent> MakeHidapiAgent();

}  // namespace devlink
