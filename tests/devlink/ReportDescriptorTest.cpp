#include "devlink/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

using namespace devlink;

namespace {

using Bytes = std::vector<uint8_t>;

// Where a field sits and what it names; compared as a whole so a failure
// shows the full layout.
struct Layout {
  ReportType type;
  int id;
  uint32_t page, usage, offset, bits, count;
  bool operator==(const Layout&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Layout& l) {
  return os << "{type " << static_cast<int>(l.type) << " id " << l.id << " page 0x" << std::hex
            << l.page << " usage 0x" << l.usage << std::dec << " offset " << l.offset << " bits "
            << l.bits << " count " << l.count << "}";
}

std::vector<Layout> Layouts(const ParsedDescriptor& d) {
  std::vector<Layout> out;
  for (const HidField& f : d.fields) {
    out.push_back({f.type, f.reportId, f.usagePage, f.usage, f.bitOffset, f.elementBits, f.count});
  }
  return out;
}

struct ReportSize {
  ReportType type;
  int id;
  uint32_t bits;
  bool operator==(const ReportSize&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ReportSize& r) {
  return os << "{type " << static_cast<int>(r.type) << " id " << r.id << " bits " << r.bits << "}";
}

std::vector<ReportSize> Reports(const ParsedDescriptor& d) {
  std::vector<ReportSize> out;
  for (const HidReport& r : d.reports) out.push_back({r.type, r.id, r.sizeBits});
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

constexpr auto In = ReportType::Input;
constexpr auto Out = ReportType::Output;
constexpr auto Feat = ReportType::Feature;

// One 8-bit variable input element, appended to descriptors that test globals.
const Bytes kOneByteInput = {0x75, 0x08, 0x95, 0x01, 0x81, 0x02};

const Bytes kBoard = {
    0x06, 0x00, 0xFF,  // Usage Page (0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        // Logical Minimum (0)
    0x26, 0xFF, 0x00,  // Logical Maximum (255)
    0x75, 0x08,        // Report Size (8)
    0x96, 0x04, 0x04,  // Report Count (1028)
    0x09, 0x01,        // Usage (1)
    0x92, 0x02, 0x01,  // Output (Data,Var,Abs,Buffered Bytes)
    0x95, 0x02,        // Report Count (2)
    0x09, 0x02,        // Usage (2)
    0x82, 0x02, 0x01,  // Input (Data,Var,Abs,Buffered Bytes)
    0xC0,              // End Collection
};

const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Application
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,  // Keyboard page, modifiers E0..E7
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,              // 8 x 1 bit, Var
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                                      // reserved byte, Const
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,  // LEDs 1..5
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,                                      // LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,                          // 6 keys, 0..101
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,                          // key array
    0xC0,
};

const Bytes kMouseWithIds = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00,  // mouse, ID 1
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,              // buttons 1..3
    0x95, 0x03, 0x75, 0x01, 0x81, 0x02,                                      //
    0x95, 0x01, 0x75, 0x05, 0x81, 0x03,                                      // padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38,                          // X, Y, Wheel
    0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06,              // -127..127, Rel
    0xC0, 0xC0,                                                              //
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,                          // consumer, ID 2
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,              // 0..1023
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,                                // one 16-bit key
};

TEST(ReportDescriptor, BoardCommandReports) {
  ParsedDescriptor d = ParseReportDescriptor(kBoard);
  EXPECT_FALSE(d.usesReportIds);
  EXPECT_EQ(Layouts(d),
            (std::vector<Layout>{{Out, 0, 0xFF00, 1, 0, 8, 1028}, {In, 0, 0xFF00, 2, 0, 8, 2}}));
  EXPECT_EQ(Reports(d), (std::vector<ReportSize>{{Out, 0, 1028 * 8}, {In, 0, 16}}));
  EXPECT_EQ(d.reports[0].ByteSize(), 1028u);
  for (const HidField& f : d.fields) {
    EXPECT_EQ(f.flags, kVariable | kBufferedBytes);
    EXPECT_EQ(f.logicalMin, 0);
    EXPECT_EQ(f.logicalMax, 255);
  }
}

TEST(ReportDescriptor, BootKeyboardModifiersLedsAndKeyArray) {
  ParsedDescriptor d = ParseReportDescriptor(kBootKeyboard);
  std::vector<Layout> want;
  for (uint32_t i = 0; i < 8; ++i) want.push_back({In, 0, 0x07, 0xE0 + i, i, 1, 1});
  for (uint32_t i = 0; i < 5; ++i) want.push_back({Out, 0, 0x08, 1 + i, i, 1, 1});
  want.push_back({In, 0, 0x07, 0x00, 16, 8, 6});  // after modifiers and the reserved byte
  EXPECT_EQ(Layouts(d), want);
  EXPECT_EQ(Reports(d), (std::vector<ReportSize>{{In, 0, 64}, {Out, 0, 8}}));

  const HidField& keys = d.fields.back();
  EXPECT_EQ(keys.flags, 0u);  // array
  EXPECT_EQ(keys.logicalMax, 101);
  EXPECT_EQ(d.fields[0].flags, kVariable);
}

TEST(ReportDescriptor, MouseAndConsumerReportsKeepSeparateIdsAndSignedAxes) {
  ParsedDescriptor d = ParseReportDescriptor(kMouseWithIds);
  EXPECT_TRUE(d.usesReportIds);
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 1, 0x09, 1, 0, 1, 1},
                                             {In, 1, 0x09, 2, 1, 1, 1},
                                             {In, 1, 0x09, 3, 2, 1, 1},
                                             {In, 1, 0x01, 0x30, 8, 8, 1},
                                             {In, 1, 0x01, 0x31, 16, 8, 1},
                                             {In, 1, 0x01, 0x38, 24, 8, 1},
                                             {In, 2, 0x0C, 0, 0, 16, 1}}));
  EXPECT_EQ(Reports(d), (std::vector<ReportSize>{{In, 1, 32}, {In, 2, 16}}));
  EXPECT_EQ(d.fields[3].logicalMin, -127);
  EXPECT_EQ(d.fields[3].logicalMax, 127);
  EXPECT_EQ(d.fields[3].flags, kVariable | kRelative);
  EXPECT_EQ(d.fields[6].logicalMax, 1023);
}

TEST(ReportDescriptor, PopRestoresPageSizesAndReportId) {
  Bytes desc = {
      0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x85, 0x01,  // page 1, report 1
      0x75, 0x08, 0x95, 0x02, 0x15, 0x00, 0x25, 0x7F,  // 2 x 8 bits
      0xA4,                                            // Push
      0x85, 0x02, 0x05, 0x09, 0x75, 0x01, 0x95, 0x04,  // report 2, buttons, 4 x 1 bit
      0x19, 0x01, 0x29, 0x04, 0x81, 0x02,              //
      0xB4,                                            // Pop
      0x09, 0x30, 0x09, 0x31, 0x81, 0x02, 0xC0,        // X, Y in report 1
  };
  ParsedDescriptor d = ParseReportDescriptor(desc);
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 2, 0x09, 1, 0, 1, 1},
                                             {In, 2, 0x09, 2, 1, 1, 1},
                                             {In, 2, 0x09, 3, 2, 1, 1},
                                             {In, 2, 0x09, 4, 3, 1, 1},
                                             {In, 1, 0x01, 0x30, 0, 8, 1},
                                             {In, 1, 0x01, 0x31, 8, 8, 1}}));
  EXPECT_EQ(d.fields[4].logicalMax, 127);
}

TEST(ReportDescriptor, FeatureReportIsLaidOutApartFromInputWithSameId) {
  Bytes desc = {
      0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03,  // vendor, report 3
      0x09, 0x10, 0x15, 0x00, 0x26, 0xE8, 0x03,              // 0..1000
      0x35, 0x00, 0x46, 0x10, 0x27,                          // physical 0..10000
      0x65, 0x11, 0x55, 0x0E, 0x79, 0x04,                    // unit, exponent, string 4
      0x75, 0x10, 0x95, 0x01, 0xB1, 0x02,                    // 16-bit feature
      0x09, 0x11, 0x75, 0x08, 0xB1, 0x22,                    // 8-bit, no preferred state
      0x09, 0x12, 0x81, 0x02, 0xC0,                          // input in report 3
  };
  ParsedDescriptor d = ParseReportDescriptor(desc);
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{Feat, 3, 0xFF00, 0x10, 0, 16, 1},
                                             {Feat, 3, 0xFF00, 0x11, 16, 8, 1},
                                             {In, 3, 0xFF00, 0x12, 0, 8, 1}}));
  EXPECT_EQ(Reports(d), (std::vector<ReportSize>{{Feat, 3, 24}, {In, 3, 8}}));
  EXPECT_EQ(d.fields[0].physicalMax, 10000);
  EXPECT_EQ(d.fields[2].physicalMax, 10000);  // globals persist
  EXPECT_EQ(d.fields[0].stringIndex, 4u);
  EXPECT_EQ(d.fields[1].stringIndex, 0u);  // locals do not
  EXPECT_EQ(d.fields[1].flags, kVariable | kNoPreferred);
}

TEST(ReportDescriptor, LogicalRangesAreSignExtendedWithUnsignedMaximumQuirk) {
  struct Case {
    Bytes range;
    int32_t min, max;
  };
  const Case cases[] = {
      {{0x15, 0x00, 0x25, 0xFF}, 0, 255},  // unsigned maximum in one byte
      {{0x15, 0x00, 0x26, 0xFF, 0x00}, 0, 255},
      {{0x15, 0x00, 0x26, 0xFF, 0xFF}, 0, 65535},
      {{0x15, 0xFF, 0x25, 0x01}, -1, 1},
      {{0x15, 0x80, 0x25, 0xFF}, -128, -1},  // negative minimum: maximum stays signed
      {{0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F}, -32768, 32767},
      {{0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F}, INT32_MIN, INT32_MAX},
      {{0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0xFF}, 0, -1},  // does not fit unsigned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.range));
    ParsedDescriptor d = ParseReportDescriptor(Concat({c.range, kOneByteInput}));
    ASSERT_EQ(d.fields.size(), 1u);
    EXPECT_EQ(d.fields[0].logicalMin, c.min);
    EXPECT_EQ(d.fields[0].logicalMax, c.max);
  }
  ParsedDescriptor d = ParseReportDescriptor(Concat({{0x35, 0x00, 0x45, 0xFF}, kOneByteInput}));
  EXPECT_EQ(d.fields[0].physicalMax, 255);
}

TEST(ReportDescriptor, LocalsResetAfterEveryMainItem) {
  // A usage spent on a data item, and one spent on a Collection, do not carry
  // over to the next data item.
  ParsedDescriptor d = ParseReportDescriptor(Concat({{0x05, 0x01, 0x09, 0x30, 0x79, 0x02},
                                                     kOneByteInput,
                                                     {0x81, 0x02, 0x09, 0x31, 0xA1, 0x00},
                                                     {0x81, 0x02, 0xC0}}));
  EXPECT_EQ(Layouts(d),
            (std::vector<Layout>{
                {In, 0, 1, 0x30, 0, 8, 1}, {In, 0, 1, 0, 8, 8, 1}, {In, 0, 1, 0, 16, 8, 1}}));
  EXPECT_EQ(d.fields[0].stringIndex, 2u);
  EXPECT_EQ(d.fields[1].stringIndex, 0u);
}

TEST(ReportDescriptor, VariableItemsSpreadUsagesOverElements) {
  const Bytes threeUsages = {0x05, 0x01, 0x09, 0x01, 0x09, 0x02, 0x09, 0x03};
  // More elements than usages: the last usage covers the rest.
  ParsedDescriptor d =
      ParseReportDescriptor(Concat({threeUsages, {0x75, 0x04, 0x95, 0x05, 0x81, 0x02}}));
  EXPECT_EQ(Layouts(d),
            (std::vector<Layout>{
                {In, 0, 1, 1, 0, 4, 1}, {In, 0, 1, 2, 4, 4, 1}, {In, 0, 1, 3, 8, 4, 3}}));
  EXPECT_EQ(d.reports[0].ByteSize(), 3u);

  // More usages than elements: the extra usages are unused.
  d = ParseReportDescriptor(Concat({threeUsages, {0x75, 0x08, 0x95, 0x02, 0x81, 0x02}}));
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 0, 1, 1, 0, 8, 1}, {In, 0, 1, 2, 8, 8, 1}}));

  // A huge range expands only as far as the elements go.
  d = ParseReportDescriptor({0x19, 0x01, 0x2A, 0xFF, 0xFF, 0x75, 0x01, 0x95, 0x02, 0x81, 0x02});
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 0, 0, 1, 0, 1, 1}, {In, 0, 0, 2, 1, 1, 1}}));

  // A 4-byte usage keeps its own page; a short one takes the page in force at
  // the main item.
  d = ParseReportDescriptor({0x05, 0x09, 0x0B, 0x38, 0x02, 0x0C, 0x00, 0x09, 0x30, 0x05, 0x01, 0x75,
                             0x08, 0x95, 0x02, 0x81, 0x02});
  EXPECT_EQ(Layouts(d),
            (std::vector<Layout>{{In, 0, 0x0C, 0x238, 0, 8, 1}, {In, 0, 0x01, 0x30, 8, 8, 1}}));

  // Only the first usage of a delimiter set names its control.
  d = ParseReportDescriptor({0x05, 0x01, 0xA9, 0x01, 0x09, 0x30, 0x09, 0x31, 0xA9, 0x00, 0x09, 0x32,
                             0x75, 0x08, 0x95, 0x02, 0x81, 0x02});
  EXPECT_EQ(Layouts(d),
            (std::vector<Layout>{{In, 0, 0x01, 0x30, 0, 8, 1}, {In, 0, 0x01, 0x32, 8, 8, 1}}));
}

TEST(ReportDescriptor, SkipsLongItemsReservedItemsAndEmptyItems) {
  EXPECT_TRUE(ParseReportDescriptor(Bytes{}).fields.empty());

  // A long item and a reserved-type item inside the board descriptor change
  // nothing.
  Bytes withExtras = kBoard;
  const Bytes extras = {0xFE, 0x02, 0x10, 0xAA, 0xBB, 0xFD, 0x01, 0x02, 0x03};
  withExtras.insert(withExtras.begin() + 7, extras.begin(), extras.end());
  EXPECT_EQ(Layouts(ParseReportDescriptor(withExtras)), Layouts(ParseReportDescriptor(kBoard)));

  // Zero-sized items declare the report but take no bits and make no field.
  ParsedDescriptor d =
      ParseReportDescriptor(Concat({{0x75, 0x00, 0x95, 0x05, 0x81, 0x02}, kOneByteInput}));
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 0, 0, 0, 0, 8, 1}}));
  EXPECT_EQ(Reports(d), (std::vector<ReportSize>{{In, 0, 8}}));
}

// An 8-bit variable input of 65536 elements: one full-size report.
const Bytes kFullReport = {0x75, 0x08, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x02};

// A range of 4096 one-bit variable usages: the most fields allowed.
const Bytes kMaxFieldItem = {0x19, 0x01, 0x2A, 0x00, 0x10, 0x75,
                             0x01, 0x96, 0x00, 0x10, 0x81, 0x02};

TEST(ReportDescriptor, AcceptsValuesAtEveryLimit) {
  EXPECT_EQ(ParseReportDescriptor(kFullReport).reports[0].ByteSize(), 65536u);
  EXPECT_EQ(ParseReportDescriptor(kMaxFieldItem).fields.size(), 4096u);

  Bytes nested(16, 0xA4);
  nested.insert(nested.end(), 16, 0xB4);
  nested.insert(nested.end(), {0x85, 0xFF, 0x75, 0x20, 0x95, 0x01, 0x81, 0x02});
  ParsedDescriptor d = ParseReportDescriptor(nested);
  EXPECT_EQ(Layouts(d), (std::vector<Layout>{{In, 255, 0, 0, 0, 32, 1}}));
}

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"short item cut off", {0x05, 0x01, 0x75}, "truncated item at byte 2"},
      {"4-byte item cut off", {0x27, 0xFF, 0xFF}, "truncated item"},
      {"long item header cut off", {0xFE, 0x01}, "truncated long item"},
      {"long item data cut off", {0xFE, 0x05, 0x10, 0x01, 0x02}, "truncated long item"},
      {"pop without push", {0xA4, 0xB4, 0xB4}, "Pop without"},
      {"push too deep", Bytes(17, 0xA4), "Push nested"},
      {"element of 33 bits", {0x75, 0x21}, "above 32"},
      {"one report above 64 KiB",
       {0x75, 0x08, 0x97, 0x01, 0x00, 0x01, 0x00, 0x81, 0x02},
       "larger than 65536"},
      {"report grown above 64 KiB", Concat({kFullReport, {0x95, 0x01, 0x75, 0x01, 0x81, 0x03}}),
       "larger than 65536"},
      {"too many fields", Concat({kMaxFieldItem, {0x09, 0x01, 0x95, 0x01, 0x81, 0x02}}),
       "more than 4096 fields"},
      {"report ID 0", {0x85, 0x00}, "report ID 0"},
      {"report ID 256", {0x86, 0x00, 0x01}, "report ID 256"},
      {"stray End Collection", {0xA1, 0x01, 0xC0, 0xC0}, "End Collection without"},
      {"open Collection", {0xA1, 0x01, 0xA1, 0x00, 0xC0}, "never closed"},
      {"report without ID among IDs", Concat({kOneByteInput, {0x85, 0x01, 0x81, 0x02}}),
       "without a report ID"},
      {"usage range backwards", Concat({{0x19, 0x05, 0x29, 0x01}, kOneByteInput}),
       "minimum is above"},
      {"usage range over two pages",
       Concat({{0x1B, 0x01, 0x00, 0x01, 0x00, 0x2B, 0x05, 0x00, 0x02, 0x00}, kOneByteInput}),
       "two usage pages"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ParseReportDescriptor(c.bytes);
      ADD_FAILURE() << "no DescriptorError";
    } catch (const DescriptorError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
