#pragma once
// Reading what a test wrote to the board out of the HID log: one line per
// report, "W " and the hex of the bytes written.

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// The hex of every command report in the log that starts with prefix.
inline std::vector<std::string> HidWrites(const std::string& logFile,
                                          const std::string& prefix = "") {
  std::ifstream in(logFile);
  std::vector<std::string> found;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("W " + prefix, 0) == 0) found.push_back(line.substr(2));
  return found;
}

// The command code (first byte) of every command report in the log, in
// order.
inline std::vector<int> CommandCodes(const std::string& logFile) {
  std::vector<int> codes;
  for (const std::string& w : HidWrites(logFile))
    codes.push_back(std::stoi(w.substr(0, 2), nullptr, 16));
  return codes;
}

// Expected bytes written with blanks between the fields: "3d 0003 003c".
inline std::string Hex(std::string_view spaced) {
  std::string hex;
  for (char c : spaced)
    if (c != ' ') hex += c;
  return hex;
}

}  // namespace testing_support
