#include "uhidboard/UhidDevice.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace uhidboard {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

template <size_t N>
void CopyText(uint8_t (&to)[N], const std::string& text) {
  std::copy_n(text.begin(), std::min(text.size(), N - 1), to);
}

}  // namespace

UhidDevice::UhidDevice(const UhidIdentity& identity) : phys_(identity.phys) {
  fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
  if (fd_ < 0) Fail("cannot open /dev/uhid");
  uhid_event ev{};
  ev.type = UHID_CREATE2;
  auto& req = ev.u.create2;
  CopyText(req.name, identity.name);
  CopyText(req.phys, identity.phys);
  CopyText(req.uniq, identity.uniq);
  req.bus = BUS_USB;
  req.vendor = identity.vendor;
  req.product = identity.product;
  if (identity.descriptor.size() > sizeof req.rd_data) {
    ::close(fd_);
    throw std::system_error(EINVAL, std::generic_category(), "report descriptor too long");
  }
  req.rd_size = uint16_t(identity.descriptor.size());
  std::copy(identity.descriptor.begin(), identity.descriptor.end(), req.rd_data);
  try {
    Write(ev);
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

UhidDevice::~UhidDevice() {
  uhid_event ev{};
  ev.type = UHID_DESTROY;
  (void)!::write(fd_, &ev, sizeof ev);
  ::close(fd_);  // closing alone would destroy it too
}

void UhidDevice::Write(const uhid_event& event) {
  ssize_t n;
  do {
    n = ::write(fd_, &event, sizeof event);
  } while (n < 0 && errno == EINTR);
  if (n != ssize_t(sizeof event)) Fail("cannot write to /dev/uhid");
}

UhidEvent UhidDevice::Read() {
  uhid_event ev{};
  ssize_t n;
  do {
    n = ::read(fd_, &ev, sizeof ev);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) Fail("cannot read from /dev/uhid");

  UhidEvent out;
  switch (ev.type) {
    case UHID_START:
      out.kind = UhidEvent::Kind::Started;
      break;
    case UHID_OUTPUT: {
      const size_t size = std::min<size_t>(ev.u.output.size, sizeof ev.u.output.data);
      out.kind = UhidEvent::Kind::Output;
      out.data.assign(ev.u.output.data, ev.u.output.data + size);
      break;
    }
    case UHID_GET_REPORT: {
      const uint32_t id = ev.u.get_report.id;
      ev = {};
      ev.type = UHID_GET_REPORT_REPLY;
      ev.u.get_report_reply.id = id;
      ev.u.get_report_reply.err = EIO;
      Write(ev);
      break;
    }
    case UHID_SET_REPORT: {
      const uint32_t id = ev.u.set_report.id;
      ev = {};
      ev.type = UHID_SET_REPORT_REPLY;
      ev.u.set_report_reply.id = id;
      ev.u.set_report_reply.err = EIO;
      Write(ev);
      break;
    }
    default:
      break;  // stop, open, close: nothing to do
  }
  return out;
}

void UhidDevice::SendInput(std::span<const uint8_t> report) {
  uhid_event ev{};
  ev.type = UHID_INPUT2;
  ev.u.input2.size = uint16_t(std::min(report.size(), sizeof ev.u.input2.data));
  std::copy_n(report.begin(), ev.u.input2.size, ev.u.input2.data);
  Write(ev);
}

std::string UhidDevice::HidrawNode() const {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/sys/class/hidraw", ec)) {
    std::ifstream uevent(entry.path() / "device" / "uevent");
    for (std::string line; std::getline(uevent, line);) {
      if (line != "HID_PHYS=" + phys_) continue;
      const std::string node = "/dev/" + entry.path().filename().string();
      return fs::exists(node, ec) ? node : std::string();
    }
  }
  return {};
}

}  // namespace uhidboard
