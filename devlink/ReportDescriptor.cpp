#include "devlink/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <utility>

namespace devlink {
namespace {

// Limits that keep a hostile or broken descriptor from costing unbounded time
// or memory; real boards stay far below them.
constexpr size_t kMaxPushDepth = 16;
constexpr uint64_t kMaxReportBits = 65536ull * 8;
constexpr size_t kMaxFields = 4096;
constexpr uint32_t kMaxElementBits = 32;
constexpr uint32_t kKnownMainFlags = 0x1FF;
constexpr uint8_t kLongItemPrefix = 0xFE;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : uint8_t {
  kInput = 0x8,
  kOutput = 0x9,
  kCollection = 0xA,
  kFeature = 0xB,
  kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kUsagePage = 0,
  kLogicalMin = 1,
  kLogicalMax = 2,
  kPhysicalMin = 3,
  kPhysicalMax = 4,
  kReportSize = 7,
  kReportId = 8,
  kReportCount = 9,
  kPush = 10,
  kPop = 11,
};

enum LocalTag : uint8_t {
  kUsage = 0,
  kUsageMin = 1,
  kUsageMax = 2,
  kStringIndex = 7,
  kStringMin = 8,
  kDelimiter = 10,
};

// The data of a short item: its raw little-endian value and its size in
// bytes (0, 1, 2 or 4), which decides how signed items are extended.
struct ItemData {
  uint32_t raw = 0;
  uint8_t size = 0;

  int32_t Signed() const {
    switch (size) {
      case 1:
        return static_cast<int8_t>(raw);
      case 2:
        return static_cast<int16_t>(raw);
      default:
        return static_cast<int32_t>(raw);
    }
  }
};

// A minimum/maximum pair. Both ends are sign-extended. Many devices write an
// unsigned maximum in the shortest form (`15 00 25 FF` for 0..255), so when the
// minimum is not negative and the maximum came out negative, the maximum is
// read as unsigned instead. A 4-byte maximum stays signed: its unsigned value
// would not fit the field.
std::pair<int32_t, int32_t> ResolveRange(ItemData min, ItemData max) {
  int32_t lo = min.Signed();
  int32_t hi = max.Signed();
  if (lo >= 0 && hi < 0 && max.size < 4) hi = static_cast<int32_t>(max.raw);
  return {lo, hi};
}

struct GlobalState {
  uint32_t usagePage = 0;
  ItemData logicalMin, logicalMax, physicalMin, physicalMax;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

// One Usage (first == last) or one usage range. Usages written with 4 bytes
// carry their own page; the others take the usage page in force when the main
// item that uses them is reached.
struct UsageRange {
  std::optional<uint32_t> page;
  uint32_t first = 0;
  uint32_t last = 0;
};

struct Usage {
  uint32_t page = 0;
  uint32_t id = 0;
};

class LocalState {
 public:
  void AddUsage(ItemData d) {
    auto [page, id] = SplitUsage(d);
    Append({page, id, id});
  }

  // A minimum and a maximum make a range once both are present, in either
  // order. A lone end left over when another minimum arrives, or when the
  // main item comes, counts as a single usage.
  void SetUsageMin(ItemData d) {
    if (pendingMin_) FlushPending();
    pendingMin_ = d;
    if (pendingMax_) FlushPending();
  }
  void SetUsageMax(ItemData d) {
    if (pendingMax_) FlushPending();
    pendingMax_ = d;
    if (pendingMin_) FlushPending();
  }

  // The first String Index or String Minimum names the item's string.
  void SetString(uint32_t index) {
    if (!stringIndex_) stringIndex_ = index;
  }

  // Usages between an opening and a closing delimiter are alternatives for
  // one control: only the first of each set is kept, so that the usages after
  // the set still line up with their controls.
  void SetDelimiter(uint32_t open) {
    inDelimiter_ = open != 0;
    delimiterTaken_ = false;
  }

  // The usages of the coming main item with their pages resolved, expanded
  // up to `limit` entries.
  std::vector<Usage> Expand(uint32_t currentPage, size_t limit) {
    FlushPending();
    std::vector<Usage> out;
    for (const UsageRange& r : ranges_) {
      uint32_t page = r.page.value_or(currentPage);
      for (uint64_t id = r.first; id <= r.last && out.size() < limit; ++id) {
        out.push_back({page, static_cast<uint32_t>(id)});
      }
      if (out.size() >= limit) break;
    }
    return out;
  }

  uint32_t StringIndex() const { return stringIndex_.value_or(0); }

 private:
  static std::pair<std::optional<uint32_t>, uint32_t> SplitUsage(ItemData d) {
    if (d.size == 4) return {d.raw >> 16, d.raw & 0xFFFF};
    return {std::nullopt, d.raw};
  }

  void FlushPending() {
    if (pendingMin_ && pendingMax_) {
      auto [minPage, first] = SplitUsage(*pendingMin_);
      auto [maxPage, last] = SplitUsage(*pendingMax_);
      if (minPage && maxPage && *minPage != *maxPage) {
        throw DescriptorError("usage range spans two usage pages");
      }
      if (first > last) throw DescriptorError("usage minimum is above usage maximum");
      Append({minPage ? minPage : maxPage, first, last});
    } else if (pendingMin_ || pendingMax_) {
      AddUsage(pendingMin_ ? *pendingMin_ : *pendingMax_);
    }
    pendingMin_.reset();
    pendingMax_.reset();
  }

  void Append(UsageRange r) {
    if (inDelimiter_) {
      if (delimiterTaken_) return;
      delimiterTaken_ = true;
    }
    ranges_.push_back(r);
  }

  std::vector<UsageRange> ranges_;
  std::optional<ItemData> pendingMin_, pendingMax_;
  std::optional<uint32_t> stringIndex_;
  bool inDelimiter_ = false;
  bool delimiterTaken_ = false;
};

class Parser {
 public:
  Parser(const uint8_t* data, size_t size) : data_(data), size_(size) {
    for (auto& row : reportIndex_) row.fill(-1);
  }

  ParsedDescriptor Run() {
    size_t pos = 0;
    while (pos < size_) pos = ParseItem(pos);
    if (collectionDepth_ != 0) throw DescriptorError("collection is never closed");
    if (out_.usesReportIds) {
      for (const HidReport& r : out_.reports) {
        if (r.id == 0) {
          throw DescriptorError("report without a report ID in a descriptor that uses report IDs");
        }
      }
    }
    return std::move(out_);
  }

 private:
  // Reads the item at `pos` and returns the position of the next one.
  size_t ParseItem(size_t pos) {
    uint8_t prefix = data_[pos];
    if (prefix == kLongItemPrefix) {
      // Long items carry no meaning for reports; skip prefix, size, tag, data.
      if (size_ - pos < 3) throw DescriptorError(Where("truncated long item", pos));
      size_t dataSize = data_[pos + 1];
      if (size_ - pos - 3 < dataSize) throw DescriptorError(Where("truncated long item", pos));
      return pos + 3 + dataSize;
    }
    uint8_t bytes = (prefix & 3) == 3 ? 4 : prefix & 3;
    if (size_ - pos - 1 < bytes) throw DescriptorError(Where("truncated item", pos));
    ItemData d;
    d.size = bytes;
    for (uint8_t i = 0; i < bytes; ++i) d.raw |= uint32_t{data_[pos + 1 + i]} << (8 * i);
    uint8_t tag = prefix >> 4;
    switch ((prefix >> 2) & 3) {
      case kMain:
        Main(tag, d);
        break;
      case kGlobal:
        Global(tag, d);
        break;
      case kLocal:
        Local(tag, d);
        break;
      default:
        break;  // reserved item type: skipped
    }
    return pos + 1 + bytes;
  }

  static std::string Where(const char* what, size_t pos) {
    return std::string(what) + " at byte " + std::to_string(pos);
  }

  void Main(uint8_t tag, ItemData d) {
    switch (tag) {
      case kInput:
        AddDataItem(ReportType::Input, d.raw);
        break;
      case kOutput:
        AddDataItem(ReportType::Output, d.raw);
        break;
      case kFeature:
        AddDataItem(ReportType::Feature, d.raw);
        break;
      case kCollection:
        ++collectionDepth_;
        break;
      case kEndCollection:
        if (collectionDepth_ == 0) throw DescriptorError("End Collection without a Collection");
        --collectionDepth_;
        break;
      default:
        break;  // reserved main tag: skipped
    }
    local_ = LocalState();
  }

  void Global(uint8_t tag, ItemData d) {
    switch (tag) {
      case kUsagePage:
        global_.usagePage = d.raw;
        break;
      case kLogicalMin:
        global_.logicalMin = d;
        break;
      case kLogicalMax:
        global_.logicalMax = d;
        break;
      case kPhysicalMin:
        global_.physicalMin = d;
        break;
      case kPhysicalMax:
        global_.physicalMax = d;
        break;
      case kReportSize:
        if (d.raw > kMaxElementBits) {
          throw DescriptorError("report size of " + std::to_string(d.raw) +
                                " bits per element is above 32");
        }
        global_.reportSize = d.raw;
        break;
      case kReportId:
        if (d.raw == 0 || d.raw > 255) {
          throw DescriptorError("report ID " + std::to_string(d.raw) + " is not in 1..255");
        }
        global_.reportId = static_cast<uint8_t>(d.raw);
        out_.usesReportIds = true;
        break;
      case kReportCount:
        global_.reportCount = d.raw;
        break;
      case kPush:
        if (stack_.size() >= kMaxPushDepth) throw DescriptorError("Push nested deeper than 16");
        stack_.push_back(global_);
        break;
      case kPop:
        if (stack_.empty()) throw DescriptorError("Pop without a matching Push");
        global_ = stack_.back();
        stack_.pop_back();
        break;
      default:
        break;  // unit, unit exponent and reserved tags carry nothing we keep
    }
  }

  void Local(uint8_t tag, ItemData d) {
    switch (tag) {
      case kUsage:
        local_.AddUsage(d);
        break;
      case kUsageMin:
        local_.SetUsageMin(d);
        break;
      case kUsageMax:
        local_.SetUsageMax(d);
        break;
      case kStringIndex:
      case kStringMin:
        local_.SetString(d.raw);
        break;
      case kDelimiter:
        local_.SetDelimiter(d.raw);
        break;
      default:
        break;  // designators, string maximum and reserved tags are not used
    }
  }

  HidReport& ReportFor(ReportType type, uint8_t id) {
    int& index = reportIndex_[static_cast<size_t>(type)][id];
    if (index < 0) {
      index = static_cast<int>(out_.reports.size());
      out_.reports.push_back({type, id, 0});
    }
    return out_.reports[static_cast<size_t>(index)];
  }

  // An Input, Output or Feature item: reserves its bits at the end of its
  // report and, unless it is constant padding, describes them as fields. An
  // item with a report size of 0 declares its report but adds no bits.
  void AddDataItem(ReportType type, uint32_t flags) {
    flags &= kKnownMainFlags;
    HidReport& report = ReportFor(type, global_.reportId);
    uint64_t bits = uint64_t{global_.reportSize} * global_.reportCount;
    if (bits == 0) return;
    if (report.sizeBits + bits > kMaxReportBits) {
      throw DescriptorError("report " + std::to_string(report.id) + " is larger than 65536 bytes");
    }
    HidField field;
    field.type = type;
    field.reportId = global_.reportId;
    field.bitOffset = report.sizeBits;
    field.elementBits = global_.reportSize;
    field.count = global_.reportCount;
    std::tie(field.logicalMin, field.logicalMax) =
        ResolveRange(global_.logicalMin, global_.logicalMax);
    std::tie(field.physicalMin, field.physicalMax) =
        ResolveRange(global_.physicalMin, global_.physicalMax);
    field.flags = flags;
    field.stringIndex = local_.StringIndex();
    report.sizeBits += static_cast<uint32_t>(bits);
    if (flags & kConstant) return;

    // A variable item gets one field per usage, the last usage covering the
    // remaining elements; an array item is one field named by its first usage.
    bool variable = flags & kVariable;
    size_t limit = variable ? std::min<size_t>(field.count, kMaxFields + 1) : 1;
    std::vector<Usage> usages = local_.Expand(global_.usagePage, limit);
    if (usages.empty()) usages.push_back({global_.usagePage, 0});
    if (out_.fields.size() + usages.size() > kMaxFields) {
      throw DescriptorError("descriptor has more than 4096 fields");
    }
    for (size_t i = 0; i < usages.size(); ++i) {
      HidField f = field;
      f.usagePage = usages[i].page;
      f.usage = usages[i].id;
      bool last = i + 1 == usages.size();
      f.count = last ? field.count - static_cast<uint32_t>(i) : 1;
      f.bitOffset = field.bitOffset + static_cast<uint32_t>(i) * field.elementBits;
      out_.fields.push_back(f);
    }
  }

  const uint8_t* data_;
  size_t size_;
  ParsedDescriptor out_;
  GlobalState global_;
  std::vector<GlobalState> stack_;
  LocalState local_;
  size_t collectionDepth_ = 0;
  std::array<std::array<int, 256>, 3> reportIndex_;
};

}  // namespace

ParsedDescriptor ParseReportDescriptor(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  return Parser(data, size).Run();
}

}  // namespace devlink
