// Feeds arbitrary bytes to the report descriptor parser. A rejected
// descriptor must be reported as DescriptorError; an accepted one must
// describe a consistent layout.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "devlink/ReportDescriptor.h"

using namespace devlink;

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "descriptor invariant broken: %s\n", what);
  std::abort();
}

const HidReport* FindReport(const ParsedDescriptor& d, ReportType type, uint8_t id) {
  for (const HidReport& r : d.reports) {
    if (r.type == type && r.id == id) return &r;
  }
  return nullptr;
}

void CheckLayout(const ParsedDescriptor& d) {
  Require(d.fields.size() <= 4096, "more than 4096 fields");
  std::set<std::pair<ReportType, uint8_t>> seen;
  for (const HidReport& r : d.reports) {
    Require(seen.insert({r.type, r.id}).second, "report listed twice");
    Require(r.ByteSize() <= 65536, "report above 65536 bytes");
    Require(d.usesReportIds == (r.id != 0), "report ID use is inconsistent");
  }
  // Fields come in descriptor order, so within one report each starts at or
  // after the end of the previous one.
  std::vector<uint64_t> endOf(3 * 256, 0);
  for (const HidField& f : d.fields) {
    const HidReport* r = FindReport(d, f.type, f.reportId);
    Require(r != nullptr, "field in a report that is not listed");
    Require(f.elementBits >= 1 && f.elementBits <= 32, "element size outside 1..32");
    Require(f.count >= 1, "field without elements");
    Require((f.flags & kConstant) == 0, "constant item listed as field");
    uint64_t end = f.bitOffset + uint64_t{f.elementBits} * f.count;
    Require(end <= r->sizeBits, "field runs past its report");
    uint64_t& previousEnd = endOf[static_cast<size_t>(f.type) * 256 + f.reportId];
    Require(f.bitOffset >= previousEnd, "fields overlap");
    previousEnd = end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    CheckLayout(ParseReportDescriptor(data, size));
  } catch (const DescriptorError&) {
  }
  return 0;
}
