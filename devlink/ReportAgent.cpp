#include "devlink/ReportAgent.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <utility>

namespace devlink {

namespace {
constexpr int kNoVar = -1;
// More reports than a board ever has waiting: a device that keeps sending
// cannot hold ReadWaitingReports.
constexpr int kMaxWaitingReports = 256;

std::string DeviceName(const HidDeviceInfo& info) {
  return info.product.empty() ? info.path : info.product;
}
}  // namespace

ReportAgent::ReportAgent(std::unique_ptr<HidBus> bus) : bus_(std::move(bus)) {}

ReportAgent::~ReportAgent() {
  Stop();
}

void ReportAgent::Start() {
  started_ = true;
}

void ReportAgent::Stop() {
  for (auto& itf : interfaces_) itf.port.reset();
  started_ = false;
  CloseLog();
}

bool ReportAgent::Matches(const HidDeviceInfo& info) const {
  if (SearchOnVID && info.vid != VID_To_Match) return false;
  if (SearchOnPID && info.pid != PID_To_Match) return false;
  return true;
}

bool ReportAgent::IsOpenPath(const std::string& path) const {
  for (const auto& itf : interfaces_)
    if (itf.port && itf.info.path == path) return true;
  return false;
}

bool ReportAgent::FindDevices() {
  if (!started_) return false;
  bool found = false;
  for (const auto& info : bus_->Enumerate()) {
    if (!Matches(info)) continue;
    if (!IsOpenPath(info.path)) Open(info);
    if (!IsOpenPath(info.path)) continue;
    knownPaths_.insert(info.path);
    found = true;
  }
  return found;
}

void ReportAgent::Open(const HidDeviceInfo& info) {
  auto port = bus_->Open(info);
  if (!port) return;
  ParsedDescriptor parsed;
  try {
    parsed = ParseReportDescriptor(port->ReportDescriptor());
  } catch (const DescriptorError&) {
    return;  // an interface we cannot understand is not opened
  }
  Interface itf;
  itf.handle = int(interfaces_.size()) + 1;
  itf.info = info;
  itf.port = std::move(port);
  itf.usesReportIds = parsed.usesReportIds;
  std::map<std::pair<ReportType, uint8_t>, int> reportIndex;
  for (const auto& r : parsed.reports) {
    reportIndex[{r.type, r.id}] = int(reports_.size());
    reports_.push_back({itf.handle, r.type, r.id, std::vector<uint8_t>(r.ByteSize(), 0)});
    if (r.type == ReportType::Input)
      itf.maxInputBytes = std::max(itf.maxInputBytes, r.ByteSize() + (itf.usesReportIds ? 1 : 0));
  }
  for (const auto& f : parsed.fields)
    vars_.push_back({reportIndex.at({f.type, f.reportId}), f, {}, 0});
  const int handle = itf.handle;
  interfaces_.push_back(std::move(itf));
  if (InterfaceOpened) InterfaceOpened(handle, info.vid, info.pid, DeviceName(info));
}

void ReportAgent::ProcessEvents() {
  if (!started_) return;
  std::set<std::string> present;
  std::map<std::string, std::string> names;
  for (const auto& info : bus_->Enumerate()) {
    if (!Matches(info)) continue;
    present.insert(info.path);
    names[info.path] = DeviceName(info);
  }
  for (auto& itf : interfaces_) {
    if (!itf.port || present.count(itf.info.path)) continue;
    itf.port.reset();
    if (InterfaceClosed) InterfaceClosed(InterfaceCount(), DeviceName(itf.info), itf.handle);
  }
  for (const auto& path : knownPaths_) {
    if (present.count(path) || !DeviceRemoved) continue;
    DeviceRemoved(0, path);
  }
  // A device that is there but not open (it could not be opened, say before
  // its permissions were set) is offered again at every look.
  std::set<std::string> open;
  for (const auto& path : present)
    if (IsOpenPath(path)) open.insert(path);
  knownPaths_ = open;
  for (const auto& path : present) {
    if (open.count(path) || !DeviceArrived) continue;
    DeviceArrived(0, names[path]);
  }
  for (const auto& path : present)
    if (IsOpenPath(path)) knownPaths_.insert(path);
}

int ReportAgent::InterfaceCount() const {
  int n = 0;
  for (const auto& itf : interfaces_) n += itf.port ? 1 : 0;
  return n;
}

int ReportAgent::SelectInterface(int position) {
  int n = 0;
  for (const auto& itf : interfaces_) {
    if (!itf.port) continue;
    if (n++ == position) return current_ = itf.handle;
  }
  throw HidAgentError("no open interface at position " + std::to_string(position));
}

void ReportAgent::SelectInterfaceByHandle(int handle) {
  if (!ByHandle(handle)) throw HidAgentError("no interface with handle " + std::to_string(handle));
  current_ = handle;
}

ReportAgent::Interface* ReportAgent::ByHandle(int handle) {
  if (handle < 1 || handle > int(interfaces_.size())) return nullptr;
  return &interfaces_[handle - 1];
}

const ReportAgent::Interface& ReportAgent::CurrentInterface() const {
  if (current_ < 1 || current_ > int(interfaces_.size()))
    throw HidAgentError("no current interface");
  return interfaces_[current_ - 1];
}

int ReportAgent::CurrentVID() const {
  return CurrentInterface().info.vid;
}
int ReportAgent::CurrentPID() const {
  return CurrentInterface().info.pid;
}

int ReportAgent::FindVar(int usagePage, int usage, int rptType, bool) {
  for (size_t i = 0; i < vars_.size(); ++i) {
    const auto& v = vars_[i];
    if (reports_[v.report].handle != current_) continue;
    if (int(v.field.usagePage) == usagePage && int(v.field.usage) == usage &&
        int(v.field.type) == rptType)
      return int(i);
  }
  return kNoVar;
}

const ReportAgent::Variable& ReportAgent::Var(int index) const {
  if (index < 0 || index >= int(vars_.size()))
    throw HidAgentError("no variable with index " + std::to_string(index));
  return vars_[index];
}

ReportAgent::Variable& ReportAgent::Var(int index) {
  return const_cast<Variable&>(std::as_const(*this).Var(index));
}

void ReportAgent::SelectVar(int index) {
  Var(index);
  currentVar_ = index;
}

int ReportAgent::VarRptIndex(int index) const {
  return Var(index).report;
}

void ReportAgent::NameVar(int index, const std::string& name) {
  Var(index).name = name;
}

std::string ReportAgent::StringDescriptor() const {
  const auto& v = Var(currentVar_);
  if (v.field.stringIndex == 0) return {};
  const auto& itf = interfaces_[reports_[v.report].handle - 1];
  return itf.port ? itf.port->IndexedString(int(v.field.stringIndex)) : std::string();
}

void ReportAgent::SetScaleMode(int mode) {
  if (mode < 0 || mode > 2) throw HidAgentError("scale mode must be 0, 1 or 2");
  Var(currentVar_).scaleMode = mode;
}

int ReportAgent::GetScaleMode() const {
  return Var(currentVar_).scaleMode;
}

int64_t ReportAgent::ReadElement(const Variable& v, int i) const {
  const auto& f = v.field;
  if (i < 0 || uint32_t(i) >= f.count) throw HidAgentError("element index out of range");
  const auto& data = reports_[v.report].data;
  const uint32_t bit = f.bitOffset + uint32_t(i) * f.elementBits;
  if (f.elementBits == 8 && bit % 8 == 0) {
    const uint8_t b = data[bit / 8];
    return f.logicalMin < 0 ? int64_t(int8_t(b)) : int64_t(b);
  }
  uint64_t raw = 0;
  for (uint32_t k = 0; k < f.elementBits; ++k) {
    const uint32_t at = bit + k;
    raw |= uint64_t((data[at / 8] >> (at % 8)) & 1) << k;
  }
  if (f.logicalMin < 0 && f.elementBits > 0 && f.elementBits < 64 &&
      (raw >> (f.elementBits - 1)) & 1)
    return int64_t(raw) - (int64_t(1) << f.elementBits);
  return int64_t(raw);
}

void ReportAgent::WriteElement(Variable& v, int i, int64_t value) {
  const auto& f = v.field;
  if (i < 0 || uint32_t(i) >= f.count) throw HidAgentError("element index out of range");
  auto& data = reports_[v.report].data;
  const uint32_t bit = f.bitOffset + uint32_t(i) * f.elementBits;
  if (f.elementBits == 8 && bit % 8 == 0) {
    data[bit / 8] = uint8_t(value);
    return;
  }
  for (uint32_t k = 0; k < f.elementBits; ++k) {
    const uint32_t at = bit + k;
    const uint8_t mask = uint8_t(1u << (at % 8));
    if ((uint64_t(value) >> k) & 1)
      data[at / 8] |= mask;
    else
      data[at / 8] &= uint8_t(~mask);
  }
}

int ReportAgent::GetElement(int i) const {
  return int(ReadElement(Var(currentVar_), i));
}

void ReportAgent::SetElement(int i, int value) {
  WriteElement(Var(currentVar_), i, value);
}

int ReportAgent::GetUnscaled(int index) const {
  return int(ReadElement(Var(index), 0));
}

void ReportAgent::SetUnscaled(int index, int value) {
  WriteElement(Var(index), 0, value);
}

// Physical value from logical: linear between the two ranges; without a
// physical range the value is the logical one.
double ReportAgent::GetScaled(int index) const {
  const auto& f = Var(index).field;
  const double logical = double(ReadElement(Var(index), 0));
  if ((f.physicalMin == 0 && f.physicalMax == 0) || f.logicalMax == f.logicalMin) return logical;
  return f.physicalMin + (logical - f.logicalMin) * (double(f.physicalMax) - f.physicalMin) /
                             (double(f.logicalMax) - f.logicalMin);
}

void ReportAgent::SetScaled(int index, double value) {
  auto& v = Var(index);
  const auto& f = v.field;
  double logical = value;
  if (!(f.physicalMin == 0 && f.physicalMax == 0) && f.physicalMax != f.physicalMin)
    logical = f.logicalMin + (value - f.physicalMin) * (double(f.logicalMax) - f.logicalMin) /
                                 (double(f.physicalMax) - f.physicalMin);
  WriteElement(v, 0, int64_t(std::llround(logical)));
}

void ReportAgent::SetCurrentRptNum(int index) {
  if (index < 0 || index >= int(reports_.size()))
    throw HidAgentError("no report with index " + std::to_string(index));
  currentRpt_ = index;
}

int ReportAgent::FindReport(int handle, ReportType type, uint8_t id) const {
  for (size_t i = 0; i < reports_.size(); ++i)
    if (reports_[i].handle == handle && reports_[i].type == type && reports_[i].id == id)
      return int(i);
  return -1;
}

std::vector<uint8_t> ReportAgent::WithId(const Interface& itf, const Report& r) const {
  if (!itf.usesReportIds) return r.data;
  std::vector<uint8_t> bytes;
  bytes.reserve(r.data.size() + 1);
  bytes.push_back(r.id);
  bytes.insert(bytes.end(), r.data.begin(), r.data.end());
  return bytes;
}

bool ReportAgent::WriteReport() {
  if (currentRpt_ < 0) return false;
  Report& r = reports_[currentRpt_];
  Interface& itf = interfaces_[r.handle - 1];
  if (!itf.port || r.type == ReportType::Input) return false;
  if (Logging) LogReport('W', WithId(itf, r));
  return r.type == ReportType::Output ? itf.port->WriteOutput(r.id, r.data)
                                      : itf.port->SetFeature(r.id, r.data);
}

bool ReportAgent::ReadReport() {
  if (currentRpt_ < 0) return false;
  Report& r = reports_[currentRpt_];
  Interface& itf = interfaces_[r.handle - 1];
  if (!itf.port || r.type == ReportType::Output) return false;
  if (r.type == ReportType::Feature) {
    std::vector<uint8_t> data(r.data.size());
    const bool ok = itf.port->GetFeature(r.id, data);
    if (ok) {
      std::copy_n(data.begin(), std::min(data.size(), r.data.size()), r.data.begin());
      if (Logging) LogReport('R', WithId(itf, r));
    } else {
      LogTimeout();
    }
    return ok;
  }
  const bool ok = ReadInputReport(itf, r);
  if (!ok) LogTimeout();
  return ok;
}

// Copies a received input report (its ID byte first when the interface
// numbers its reports) into the buffer of that report. Returns the
// report's index, or -1 when the interface has no input report of that ID.
int ReportAgent::StoreInput(const Interface& itf, const std::vector<uint8_t>& bytes) {
  const size_t skip = itf.usesReportIds ? 1 : 0;
  if (bytes.size() < skip) return -1;
  const int at = FindReport(itf.handle, ReportType::Input, skip ? bytes[0] : 0);
  if (at < 0) return -1;
  auto& data = reports_[at].data;
  std::copy_n(bytes.begin() + long(skip), std::min(data.size(), bytes.size() - skip), data.begin());
  return at;
}

// Reads input reports until one for `r` arrives or the time-out passes; a
// report with another ID is stored in its own buffer on the way.
bool ReportAgent::ReadInputReport(Interface& itf, Report& r) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(TimeOut);
  std::vector<uint8_t> bytes;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (ReadResult res =
            itf.port->ReadInput(bytes, itf.maxInputBytes, int(std::max<int64_t>(0, left)));
        res != ReadResult::Ok)
      return false;
    if (Logging) LogReport('R', bytes);
    if (const int at = StoreInput(itf, bytes); at >= 0 && &reports_[at] == &r) return true;
    if (Clock::now() >= deadline) return false;
  }
}

int ReportAgent::ReadWaitingReports() {
  if (currentRpt_ < 0) return 0;
  Interface& itf = interfaces_[reports_[currentRpt_].handle - 1];
  if (!itf.port) return 0;
  std::vector<uint8_t> bytes;
  int n = 0;
  while (n < kMaxWaitingReports &&
         itf.port->ReadInput(bytes, itf.maxInputBytes, 0) == ReadResult::Ok) {
    if (Logging) LogReport('R', bytes);
    StoreInput(itf, bytes);
    ++n;
  }
  return n;
}

}  // namespace devlink
