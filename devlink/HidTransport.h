#pragma once
// The platform side under ReportAgent: a bus that lists HID interfaces and
// opens them, and a port that moves raw reports over one open interface.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace devlink {

struct HidDeviceInfo {
  std::string path;  // unique per interface while it is plugged in
  uint16_t vid = 0;
  uint16_t pid = 0;
  std::string product;  // product string, may be empty
  std::string serial;   // serial number string, may be empty
};

enum class ReadResult { Ok, Timeout, Error };

class HidPort {
 public:
  virtual ~HidPort() = default;
  // The interface's raw HID report descriptor; empty when it cannot be read.
  virtual std::vector<uint8_t> ReportDescriptor() = 0;
  // Sends one output report. reportId is 0 when the interface does not
  // number its reports; data holds the report's bytes after the ID.
  virtual bool WriteOutput(uint8_t reportId, const std::vector<uint8_t>& data) = 0;
  // Receives one input report as the device sends it: the report ID first
  // when the interface numbers its reports. maxLen bounds the report size.
  virtual ReadResult ReadInput(std::vector<uint8_t>& report, size_t maxLen, int timeoutMs) = 0;
  // Feature reports; data excludes the ID byte in both directions.
  virtual bool GetFeature(uint8_t reportId, std::vector<uint8_t>& data) = 0;
  virtual bool SetFeature(uint8_t reportId, const std::vector<uint8_t>& data) = 0;
  // The device's string with that index; empty when there is none.
  virtual std::string IndexedString(int) { return {}; }
};

class HidBus {
 public:
  virtual ~HidBus() = default;
  virtual std::vector<HidDeviceInfo> Enumerate() = 0;
  // nullptr when the interface cannot be opened.
  virtual std::unique_ptr<HidPort> Open(const HidDeviceInfo& info) = 0;
};

}  // namespace devlink
