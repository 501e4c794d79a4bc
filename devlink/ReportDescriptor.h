#pragma once
// Parser of HID report descriptors: main, global and local items, report
// IDs, sizes and counts, usage pages and usages, push and pop. It yields the
// variables (fields) of every report with their place in the report.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace devlink {

enum class ReportType : uint16_t { Input = 0, Output = 1, Feature = 2 };

// Bits of the data byte of an Input, Output or Feature main item.
enum MainItemFlag : uint32_t {
  kConstant = 1u << 0,
  kVariable = 1u << 1,
  kRelative = 1u << 2,
  kWrap = 1u << 3,
  kNonLinear = 1u << 4,
  kNoPreferred = 1u << 5,
  kNullState = 1u << 6,
  kVolatile = 1u << 7,
  kBufferedBytes = 1u << 8,
};

// One report variable: a run of `count` elements of `elementBits` each.
struct HidField {
  ReportType type = ReportType::Input;
  uint8_t reportId = 0;
  uint32_t usagePage = 0;
  uint32_t usage = 0;      // usage id within usagePage
  uint32_t bitOffset = 0;  // from the first bit after the report ID byte
  uint32_t elementBits = 0;
  uint32_t count = 0;
  int32_t logicalMin = 0, logicalMax = 0;
  int32_t physicalMin = 0, physicalMax = 0;
  uint32_t flags = 0;        // MainItemFlag bits
  uint32_t stringIndex = 0;  // 0 when the item names no string
};

struct HidReport {
  ReportType type = ReportType::Input;
  uint8_t id = 0;
  uint32_t sizeBits = 0;  // data bits after the ID byte
  size_t ByteSize() const { return (sizeBits + 7) / 8; }
};

struct ParsedDescriptor {
  std::vector<HidField> fields;    // in descriptor order; constant padding left out
  std::vector<HidReport> reports;  // one per (type, id) in order of first appearance
  bool usesReportIds = false;
};

class DescriptorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws DescriptorError for a malformed or unreasonable descriptor: a
// truncated item, a Pop without Push, Push nested deeper than 16, an element
// size above 32 bits, a report larger than 65536 bytes, more than 4096 fields,
// report ID 0 or above 255, a report without ID in a descriptor that uses
// IDs, an End Collection without Collection or a Collection never closed.
//
// Reading rules worth knowing:
// - Logical and physical ranges are sign-extended from their item size, but
//   when the minimum is not negative a negative 1- or 2-byte maximum is read
//   as unsigned (`15 00 25 FF` is 0..255, as devices mean it).
// - A Usage without its own page (1 or 2 bytes) takes the Usage Page in force
//   at the main item that uses it.
// - A variable item gets one field per usage, the last usage covering the
//   remaining elements; an array item is one field named by its first usage.
//   Only the first usage of a Delimiter set counts.
// - An item with report size or count 0 declares its report but adds no bits.
// - Long items and reserved items are skipped.
ParsedDescriptor ParseReportDescriptor(const uint8_t* data, size_t size);
inline ParsedDescriptor ParseReportDescriptor(const std::vector<uint8_t>& d) {
  return ParseReportDescriptor(d.data(), d.size());
}

}  // namespace devlink
