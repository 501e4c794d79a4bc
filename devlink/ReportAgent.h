#pragma once
// HIDagentX over any HidBus: opens matching interfaces, parses each one's
// report descriptor and numbers reports and variables globally. Numbers are
// never reused, so an index stays valid (and its buffer readable) after its
// interface closes; transfers on a closed interface fail.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "devlink/HIDagentX.h"
#include "devlink/HidTransport.h"
#include "devlink/ReportDescriptor.h"

namespace devlink {

class ReportAgent : public HIDagentX {
 public:
  explicit ReportAgent(std::unique_ptr<HidBus> bus);
  ~ReportAgent() override;

  void Start() override;
  void Stop() override;
  void ProcessEvents() override;
  bool FindDevices() override;

  int InterfaceCount() const override;
  int SelectInterface(int position) override;
  void SelectInterfaceByHandle(int handle) override;
  int CurrentHandle() const override { return current_; }
  int CurrentVID() const override;
  int CurrentPID() const override;

  int FindVar(int usagePage, int usage, int rptType, bool exact) override;
  void SelectVar(int index) override;
  int VarRptIndex(int index) const override;
  void NameVar(int index, const std::string& name) override;

  int32_t LogicalMinimum() const override { return Field().logicalMin; }
  int32_t LogicalMaximum() const override { return Field().logicalMax; }
  int32_t PhysicalMinimum() const override { return Field().physicalMin; }
  int32_t PhysicalMaximum() const override { return Field().physicalMax; }
  int SizeInBits() const override { return int(Field().elementBits * Field().count); }
  std::string StringDescriptor() const override;
  bool IsButton() const override { return Field().usagePage == 9; }
  bool Volatile() const override { return Flag(kVolatile); }
  bool NoWrap() const override { return !Flag(kWrap); }
  bool NoPrefState() const override { return Flag(kNoPreferred); }
  bool Linear() const override { return !Flag(kNonLinear); }
  bool HasNullState() const override { return Flag(kNullState); }
  bool BitsNotBuffer() const override { return !Flag(kBufferedBytes); }
  bool ArrayNotVariable() const override { return !Flag(kVariable); }
  bool AbsoluteNotRelative() const override { return !Flag(kRelative); }
  void SetScaleMode(int mode) override;
  int GetScaleMode() const override;

  int GetElement(int i) const override;
  void SetElement(int i, int value) override;

  int GetUnscaled(int index) const override;
  void SetUnscaled(int index, int value) override;
  double GetScaled(int index) const override;
  void SetScaled(int index, double value) override;

  void SetCurrentRptNum(int index) override;
  int CurrentRptNum() const override { return currentRpt_; }
  bool WriteReport() override;
  bool ReadReport() override;
  int ReadWaitingReports() override;

  HidBus& Bus() { return *bus_; }

 private:
  struct Interface {
    int handle = 0;
    HidDeviceInfo info;
    std::unique_ptr<HidPort> port;  // null once closed
    bool usesReportIds = false;
    size_t maxInputBytes = 0;  // largest input report, ID byte included
  };
  struct Report {
    int handle = 0;
    ReportType type = ReportType::Input;
    uint8_t id = 0;
    std::vector<uint8_t> data;  // the report's bytes after the ID byte
  };
  struct Variable {
    int report = -1;
    HidField field;
    std::string name;
    int scaleMode = 0;
  };

  bool Matches(const HidDeviceInfo& info) const;
  bool IsOpenPath(const std::string& path) const;
  void Open(const HidDeviceInfo& info);
  Interface* ByHandle(int handle);
  const Interface& CurrentInterface() const;
  const Variable& Var(int index) const;
  Variable& Var(int index);
  const HidField& Field() const { return Var(currentVar_).field; }
  bool Flag(uint32_t f) const { return (Field().flags & f) != 0; }
  int FindReport(int handle, ReportType type, uint8_t id) const;
  int64_t ReadElement(const Variable& v, int i) const;
  void WriteElement(Variable& v, int i, int64_t value);
  std::vector<uint8_t> WithId(const Interface& itf, const Report& r) const;
  bool ReadInputReport(Interface& itf, Report& r);
  int StoreInput(const Interface& itf, const std::vector<uint8_t>& bytes);

  std::unique_ptr<HidBus> bus_;
  std::vector<Interface> interfaces_;  // every interface ever opened; handle = position + 1
  std::vector<Report> reports_;
  std::vector<Variable> vars_;
  std::set<std::string> knownPaths_;  // matching interfaces open at the last look
  int current_ = 0;
  int currentVar_ = -1;
  int currentRpt_ = -1;
  bool started_ = false;
};

}  // namespace devlink
