#pragma once
// A HID bus for tests: interfaces with any report descriptor whose ports
// record every report written and answer reads from a script. An empty
// script times out at once.

#include <deque>
#include <memory>
#include <vector>

#include "devlink/HidTransport.h"
#include "devlink/ReportAgent.h"

namespace testing_support {

struct ScriptedDevice {
  devlink::HidDeviceInfo info;
  std::vector<uint8_t> descriptor;
  // Input reports, ID byte first when numbered: answers come to reads that
  // wait for one; waiting ones the device sent already, unasked, and any
  // read (one that does not wait too) gets them first.
  std::deque<std::vector<uint8_t>> answers;
  std::deque<std::vector<uint8_t>> waiting;
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> written;  // (report ID, data)
  int reads = 0;                                                  // reads that waited for an answer
  bool present = true;
  bool openable = true;  // false: enumerated, but opening it fails
};

class ScriptedBus : public devlink::HidBus {
 public:
  // Adds an interface; the returned device stays owned by the bus.
  ScriptedDevice& Add(std::string path, uint16_t vid, uint16_t pid,
                      std::vector<uint8_t> descriptor);
  std::vector<devlink::HidDeviceInfo> Enumerate() override;
  std::unique_ptr<devlink::HidPort> Open(const devlink::HidDeviceInfo& info) override;

 private:
  std::vector<std::shared_ptr<ScriptedDevice>> devices_;
};

// An agent that numbers its reports and variables anew whenever an
// interface closes, as a HID control that counts only open interfaces
// does: an index taken before a close names nothing afterwards, so a link
// works on only when it was bound again.
class RenumberingAgent : public devlink::ReportAgent {
 public:
  using ReportAgent::ReportAgent;
  void ProcessEvents() override;
  int FindVar(int usagePage, int usage, int rptType, bool exact) override;
  void SelectVar(int index) override { ReportAgent::SelectVar(index - shift_); }
  int VarRptIndex(int index) const override;
  void NameVar(int index, const std::string& name) override;
  int GetUnscaled(int index) const override { return ReportAgent::GetUnscaled(index - shift_); }
  void SetUnscaled(int index, int value) override;
  double GetScaled(int index) const override { return ReportAgent::GetScaled(index - shift_); }
  void SetScaled(int index, double value) override;
  void SetCurrentRptNum(int index) override { ReportAgent::SetCurrentRptNum(index - shift_); }
  int CurrentRptNum() const override;

 private:
  int shift_ = 0;  // grows at each close; old indices fall below 0
};

// An agent over a new ScriptedBus, started and matching the board's IDs.
struct ScriptedAgent {
  ScriptedBus* bus;
  std::unique_ptr<devlink::ReportAgent> agent;
};
ScriptedAgent MakeScriptedAgent(bool renumbering = false);

}  // namespace testing_support
