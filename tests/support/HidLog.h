#pragma once
// Reading the HID log a test had written (--hid-log, or the agent's
// LogFile): one line per report, "W " and the hex of the bytes written,
// "R " and the hex of the bytes read, or "R timeout". The tests read it
// through these helpers only.

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

inline constexpr const char* kHidTimeout = "R timeout";

// Every line of the log, in order, without its line end.
inline std::vector<std::string> HidLogLines(const std::string& logFile) {
  std::ifstream in(logFile);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The hex of every command report in the log that starts with prefix.
inline std::vector<std::string> HidWrites(const std::string& logFile,
                                          const std::string& prefix = "") {
  std::vector<std::string> found;
  for (const std::string& line : HidLogLines(logFile))
    if (line.rfind("W " + prefix, 0) == 0) found.push_back(line.substr(2));
  return found;
}

// The bytes of every command report, in order.
inline std::vector<std::vector<uint8_t>> HidWrittenReports(const std::string& logFile) {
  std::vector<std::vector<uint8_t>> reports;
  for (const std::string& hex : HidWrites(logFile)) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    reports.push_back(bytes);
  }
  return reports;
}

// The command code (the first byte) of every command report, in order.
inline std::vector<int> HidCommandCodes(const std::string& logFile) {
  std::vector<int> codes;
  for (const std::string& hex : HidWrites(logFile))
    codes.push_back(std::stoi(hex.substr(0, 2), nullptr, 16));
  return codes;
}

// How many reads found no answer ("R timeout"): all of them, or those from
// the first command report that starts with `from` on.
inline long HidTimeouts(const std::string& logFile, const std::string& from = "") {
  bool counting = from.empty();
  long timeouts = 0;
  for (const std::string& line : HidLogLines(logFile)) {
    if (!counting && line.rfind("W " + from, 0) == 0) counting = true;
    if (counting && line == kHidTimeout) ++timeouts;
  }
  return timeouts;
}

// Expected bytes written with blanks between the fields: "3d 0003 003c".
inline std::string Hex(std::string_view spaced) {
  std::string hex;
  for (char c : spaced)
    if (c != ' ') hex += c;
  return hex;
}

}  // namespace testing_support
