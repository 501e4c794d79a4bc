#pragma once
// The HID control that all USB traffic goes through. It finds HID devices,
// opens the interfaces of matching ones, numbers all their reports and
// report variables globally across the open interfaces, and reads or writes
// whole reports. It has one implementation, ReportAgent, which sits on a
// HidBus/HidPort (HidTransport.h): that is the seam with two
// implementations, the hidapi backend for real boards and the virtual
// board's bus. Both paths thus share one descriptor parser and one
// numbering.

#include <cstdint>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace devlink {

// Misuse of the control (an index that names no variable, report or
// interface) is reported by this exception; transfers that fail are results.
class HidAgentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HIDagentX {
 public:
  virtual ~HIDagentX();

  // Properties.
  int TimeOut = 3000;  // ms a ReadReport waits at most
  std::string LogFile = "HidLog.txt";
  bool Logging = false;
  // Named by the system's interface: set at start-up, with no effect here
  // (the agent shows no operations and writes nothing but the HID log).
  bool ShowOperations = false;
  bool Verbose = false;
  int VID_To_Match = 0;
  int PID_To_Match = 0;
  bool SearchOnVID = false;
  bool SearchOnPID = false;

  // Events, raised on the calling thread: InterfaceOpened inside FindDevices,
  // the others from ProcessEvents.
  std::function<void(int handle, int vid, int pid, const std::string& name)> InterfaceOpened;
  std::function<void(int numStillOpen, const std::string& name, int handle)> InterfaceClosed;
  std::function<void(int handle, const std::string& name)> DeviceArrived;
  std::function<void(int handle, const std::string& name)> DeviceRemoved;

  // Life.
  virtual void Start() = 0;
  virtual void Stop() = 0;
  // Looks for devices that came or went and raises the events above. The
  // window calls it from its event loop; it never blocks on a transfer.
  virtual void ProcessEvents() = 0;

  // Search: opens every interface of every matching device, raising
  // InterfaceOpened for each one it opens; true when a matching device is open.
  virtual bool FindDevices() = 0;

  // Interfaces, by position in opening order (closed ones removed).
  virtual int InterfaceCount() const = 0;
  virtual int SelectInterface(int position) = 0;  // returns the interface's handle
  virtual void SelectInterfaceByHandle(int handle) = 0;
  virtual int CurrentHandle() const = 0;
  virtual int CurrentVID() const = 0;
  virtual int CurrentPID() const = 0;

  // Variables, by global index.
  virtual int FindVar(int usagePage, int usage, int rptType, bool exact) = 0;
  virtual void SelectVar(int index) = 0;
  virtual int VarRptIndex(int index) const = 0;
  virtual void NameVar(int index, const std::string& name) = 0;

  // Attributes of the current variable.
  virtual int32_t LogicalMinimum() const = 0;
  virtual int32_t LogicalMaximum() const = 0;
  virtual int32_t PhysicalMinimum() const = 0;
  virtual int32_t PhysicalMaximum() const = 0;
  virtual int SizeInBits() const = 0;
  virtual std::string StringDescriptor() const = 0;
  virtual bool IsButton() const = 0;
  virtual bool Volatile() const = 0;
  virtual bool NoWrap() const = 0;
  virtual bool NoPrefState() const = 0;
  virtual bool Linear() const = 0;
  virtual bool HasNullState() const = 0;
  virtual bool BitsNotBuffer() const = 0;
  virtual bool ArrayNotVariable() const = 0;
  virtual bool AbsoluteNotRelative() const = 0;
  virtual void SetScaleMode(int mode) = 0;
  virtual int GetScaleMode() const = 0;

  // Elements of the current variable.
  virtual int GetElement(int i) const = 0;
  virtual void SetElement(int i, int value) = 0;

  // Values by variable index (the variable's first element).
  virtual int GetUnscaled(int index) const = 0;
  virtual void SetUnscaled(int index, int value) = 0;
  virtual double GetScaled(int index) const = 0;
  virtual void SetScaled(int index, double value) = 0;

  // Reports, by global index.
  virtual void SetCurrentRptNum(int index) = 0;
  virtual int CurrentRptNum() const = 0;
  virtual bool WriteReport() = 0;
  virtual bool ReadReport() = 0;
  // Reads, without waiting, the input reports already waiting on the
  // current report's interface, storing and logging each as ReadReport
  // does; returns how many. Stops after a bounded number, so a device that
  // sends without end cannot hold it.
  virtual int ReadWaitingReports() = 0;

 protected:
  // One line per report: "W " and the bytes written, "R " and the bytes read,
  // or "R timeout" when nothing came. Lowercase hex, nothing else.
  void LogReport(char direction, const std::vector<uint8_t>& bytes);
  void LogTimeout();
  void CloseLog();

 private:
  void LogLine(const std::string& line);
  std::ofstream log_;
  std::string openLogPath_;
};

}  // namespace devlink
