#include "tests/support/ScriptedBus.h"

#include "devlink/TLS.h"
#include "tests/support/BoardAgent.h"

namespace testing_support {

namespace {

class ScriptedPort : public devlink::HidPort {
 public:
  explicit ScriptedPort(std::shared_ptr<ScriptedDevice> d) : d_(std::move(d)) {}
  std::vector<uint8_t> ReportDescriptor() override { return d_->descriptor; }
  bool WriteOutput(uint8_t id, const std::vector<uint8_t>& data) override {
    if (!d_->present) return false;
    d_->written.emplace_back(id, data);
    return true;
  }
  devlink::ReadResult ReadInput(std::vector<uint8_t>& report, size_t, int timeoutMs) override {
    if (timeoutMs > 0) ++d_->reads;
    if (!d_->present) return devlink::ReadResult::Error;
    auto& from = !d_->waiting.empty() ? d_->waiting : d_->answers;
    if (from.empty() || (timeoutMs <= 0 && &from == &d_->answers))
      return devlink::ReadResult::Timeout;
    report = from.front();
    from.pop_front();
    return devlink::ReadResult::Ok;
  }
  bool GetFeature(uint8_t, std::vector<uint8_t>&) override { return false; }
  bool SetFeature(uint8_t, const std::vector<uint8_t>&) override { return false; }

 private:
  std::shared_ptr<ScriptedDevice> d_;
};

}  // namespace

ScriptedDevice& ScriptedBus::Add(std::string path, uint16_t vid, uint16_t pid,
                                 std::vector<uint8_t> descriptor) {
  auto d = std::make_shared<ScriptedDevice>();
  d->info = {std::move(path), vid, pid, "scripted", "0001"};
  d->descriptor = std::move(descriptor);
  devices_.push_back(d);
  return *d;
}

std::vector<devlink::HidDeviceInfo> ScriptedBus::Enumerate() {
  std::vector<devlink::HidDeviceInfo> list;
  for (const auto& d : devices_)
    if (d->present) list.push_back(d->info);
  return list;
}

std::unique_ptr<devlink::HidPort> ScriptedBus::Open(const devlink::HidDeviceInfo& info) {
  for (const auto& d : devices_)
    if (d->present && d->openable && d->info.path == info.path)
      return std::make_unique<ScriptedPort>(d);
  return nullptr;
}

namespace {
constexpr int kRenumberStep = 1000;
}

void RenumberingAgent::ProcessEvents() {
  auto closed = InterfaceClosed;
  InterfaceClosed = [&](int still, const std::string& name, int handle) {
    shift_ += kRenumberStep;
    if (closed) closed(still, name, handle);
  };
  ReportAgent::ProcessEvents();
  InterfaceClosed = closed;
}

int RenumberingAgent::FindVar(int usagePage, int usage, int rptType, bool exact) {
  const int index = ReportAgent::FindVar(usagePage, usage, rptType, exact);
  return index < 0 ? index : index + shift_;
}

int RenumberingAgent::VarRptIndex(int index) const {
  return ReportAgent::VarRptIndex(index - shift_) + shift_;
}

void RenumberingAgent::NameVar(int index, const std::string& name) {
  ReportAgent::NameVar(index - shift_, name);
}

void RenumberingAgent::SetUnscaled(int index, int value) {
  ReportAgent::SetUnscaled(index - shift_, value);
}

void RenumberingAgent::SetScaled(int index, double value) {
  ReportAgent::SetScaled(index - shift_, value);
}

int RenumberingAgent::CurrentRptNum() const {
  const int index = ReportAgent::CurrentRptNum();
  return index < 0 ? index : index + shift_;
}

ScriptedAgent MakeScriptedAgent(bool renumbering) {
  auto bus = std::make_unique<ScriptedBus>();
  ScriptedBus* raw = bus.get();
  std::unique_ptr<devlink::ReportAgent> agent;
  if (renumbering)
    agent = std::make_unique<RenumberingAgent>(std::move(bus));
  else
    agent = std::make_unique<devlink::ReportAgent>(std::move(bus));
  MatchTheBoard(*agent);
  agent->Start();
  return {raw, std::move(agent)};
}

}  // namespace testing_support
