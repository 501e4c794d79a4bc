#pragma once
// The board's HID report descriptor: vendor page 0xFF00, a 1028-byte output
// variable of usage 1 for commands and a 2-byte input variable of usage 2
// for responses, no report IDs. A split board carries each variable on an
// interface of its own.

#include <cstdint>
#include <vector>

namespace virtualboard {

// responseString: when not 0, the response variable names the device
// string with that index (a String Index item).
std::vector<uint8_t> BoardReportDescriptor(uint8_t responseString = 0);
std::vector<uint8_t> CommandOnlyDescriptor();
std::vector<uint8_t> ResponseOnlyDescriptor(uint8_t responseString = 0);

}  // namespace virtualboard
