#include "devlink/HIDagentX.h"

namespace devlink {

HIDagentX::~HIDagentX() = default;

void HIDagentX::LogReport(char direction, const std::vector<uint8_t>& bytes) {
  if (!Logging) return;
  static const char* digits = "0123456789abcdef";
  std::string line;
  line.reserve(2 + 2 * bytes.size());
  line += direction;
  line += ' ';
  for (uint8_t b : bytes) {
    line += digits[b >> 4];
    line += digits[b & 15];
  }
  LogLine(line);
}

void HIDagentX::LogTimeout() {
  if (Logging) LogLine("R timeout");
}

void HIDagentX::LogLine(const std::string& line) {
  // The log starts afresh the first time this agent writes to a file.
  if (!log_.is_open() || openLogPath_ != LogFile) {
    log_.close();
    log_.open(LogFile, std::ios::out | std::ios::trunc);
    openLogPath_ = LogFile;
  }
  if (!log_) return;
  log_ << line << '\n';
  log_.flush();
}

void HIDagentX::CloseLog() {
  log_.close();
  openLogPath_.clear();
}

}  // namespace devlink
