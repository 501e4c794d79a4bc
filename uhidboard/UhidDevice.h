#pragma once
// One HID device served from user space through the Linux kernel's
// /dev/uhid: for as long as the object lives, the host sees a HID device
// with the given identity and report descriptor and reaches it through
// hidraw like any plugged-in board.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct uhid_event;

namespace uhidboard {

struct UhidIdentity {
  std::string name;  // product string
  std::string phys;  // physical path; unique per device, it finds the hidraw node
  std::string uniq;  // serial number string
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::vector<uint8_t> descriptor;  // the report descriptor
};

// What the host did, as far as a board cares.
struct UhidEvent {
  enum class Kind { Started, Output, Other };
  Kind kind = Kind::Other;
  std::vector<uint8_t> data;  // Output: the bytes the host wrote, report number first
};

class UhidDevice {
 public:
  // Opens /dev/uhid and creates a USB device; throws std::system_error.
  explicit UhidDevice(const UhidIdentity& identity);
  ~UhidDevice();  // destroys the device
  UhidDevice(const UhidDevice&) = delete;
  UhidDevice& operator=(const UhidDevice&) = delete;

  // The descriptor to poll for events.
  int Fd() const { return fd_; }
  // Reads one event; call when Fd() is readable. Answers the host's
  // feature-report requests itself with an error: the board has none.
  UhidEvent Read();
  // Sends one input report to the host.
  void SendInput(std::span<const uint8_t> report);
  // The device's hidraw node ("/dev/hidrawN") once the kernel made it,
  // else empty.
  std::string HidrawNode() const;

 private:
  void Write(const uhid_event& event);

  int fd_ = -1;
  std::string phys_;
};

}  // namespace uhidboard
