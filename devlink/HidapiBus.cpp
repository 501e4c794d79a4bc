#include "devlink/HidapiBus.h"

#include <hidapi.h>

#include <cwchar>
#include <fstream>
#include <iterator>

#include "text/Encoding.h"

#if defined(__linux__)
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace devlink {

namespace {

std::string Utf8(const wchar_t* w) {
  std::string out;
  if (!w) return out;
  for (; *w; ++w) text::AppendUtf8(out, static_cast<char32_t>(*w));
  return out;
}

#if defined(__linux__)
// hidapi 0.13 cannot hand out the descriptor: take it from sysfs, which any
// user may read, or else from the hidraw node itself.
std::vector<uint8_t> LinuxDescriptor(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string node = slash == std::string::npos ? path : path.substr(slash + 1);
  std::ifstream sys("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
  if (sys) {
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(sys)),
                               std::istreambuf_iterator<char>());
    if (!bytes.empty()) return bytes;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::vector<uint8_t> bytes;
  int size = 0;
  hidraw_report_descriptor desc{};
  if (ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE) {
    desc.size = uint32_t(size);
    if (ioctl(fd, HIDIOCGRDESC, &desc) == 0) bytes.assign(desc.value, desc.value + size);
  }
  ::close(fd);
  return bytes;
}
#endif

class HidapiPort : public HidPort {
 public:
  HidapiPort(hid_device* dev, std::string path) : dev_(dev), path_(std::move(path)) {}
  ~HidapiPort() override { hid_close(dev_); }

  std::vector<uint8_t> ReportDescriptor() override {
#if defined(HID_API_VERSION) && HID_API_VERSION >= HID_API_MAKE_VERSION(0, 14, 0)
    std::vector<uint8_t> buf(HID_API_MAX_REPORT_DESCRIPTOR_SIZE);
    const int n = hid_get_report_descriptor(dev_, buf.data(), buf.size());
    if (n > 0) {
      buf.resize(size_t(n));
      return buf;
    }
#endif
#if defined(__linux__)
    return LinuxDescriptor(path_);
#else
    return {};
#endif
  }

  // hidapi takes the report ID as the first byte, 0 when reports are not numbered.
  bool WriteOutput(uint8_t reportId, const std::vector<uint8_t>& data) override {
    buffer_.assign(1, reportId);
    buffer_.insert(buffer_.end(), data.begin(), data.end());
    return hid_write(dev_, buffer_.data(), buffer_.size()) == int(buffer_.size());
  }

  ReadResult ReadInput(std::vector<uint8_t>& report, size_t maxLen, int timeoutMs) override {
    report.resize(std::max<size_t>(maxLen, 1));
    const int n = hid_read_timeout(dev_, report.data(), report.size(), timeoutMs);
    if (n < 0) return ReadResult::Error;
    if (n == 0) return ReadResult::Timeout;
    report.resize(size_t(n));
    return ReadResult::Ok;
  }

  bool GetFeature(uint8_t reportId, std::vector<uint8_t>& data) override {
    buffer_.assign(data.size() + 1, 0);
    buffer_[0] = reportId;
    const int n = hid_get_feature_report(dev_, buffer_.data(), buffer_.size());
    if (n < 1) return false;
    std::fill(data.begin(), data.end(), 0);
    std::copy_n(buffer_.begin() + 1, std::min(data.size(), size_t(n) - 1), data.begin());
    return true;
  }

  bool SetFeature(uint8_t reportId, const std::vector<uint8_t>& data) override {
    buffer_.assign(1, reportId);
    buffer_.insert(buffer_.end(), data.begin(), data.end());
    return hid_send_feature_report(dev_, buffer_.data(), buffer_.size()) == int(buffer_.size());
  }

  std::string IndexedString(int index) override {
    wchar_t text[256] = {};
    if (hid_get_indexed_string(dev_, index, text, 255) != 0) return {};
    return Utf8(text);
  }

 private:
  hid_device* dev_;
  std::string path_;
  std::vector<uint8_t> buffer_;
};

}  // namespace

HidapiBus::HidapiBus() {
  hid_init();
}

HidapiBus::~HidapiBus() {
  hid_exit();
}

std::vector<HidDeviceInfo> HidapiBus::Enumerate() {
  std::vector<HidDeviceInfo> list;
  hid_device_info* all = hid_enumerate(0, 0);
  for (auto* d = all; d; d = d->next) {
    list.push_back({d->path ? d->path : "", d->vendor_id, d->product_id, Utf8(d->product_string),
                    Utf8(d->serial_number)});
  }
  hid_free_enumeration(all);
  return list;
}

std::unique_ptr<HidPort> HidapiBus::Open(const HidDeviceInfo& info) {
  hid_device* dev = hid_open_path(info.path.c_str());
  if (!dev) return nullptr;
  return std::make_unique<HidapiPort>(dev, info.path);
}

std::unique_ptr<ReportAgent> MakeHidapiAgent() {
  return std::make_unique<ReportAgent>(std::make_unique<HidapiBus>());
}

}  // namespace devlink
