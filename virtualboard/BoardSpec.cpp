#include "virtualboard/BoardSpec.h"

#include <charconv>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace virtualboard {
namespace {

constexpr size_t kMiB = size_t{1} << 20;
constexpr uint16_t kUsb2Base = 4096;
constexpr int kMaxFirmware = 4095;  // keeps a usb2 id within 4096..8191
constexpr int kMaxEraseMs = 600000;

std::string Quote(std::string_view s) {
  std::string q(1, '"');
  q.append(s);
  q += '"';
  return q;
}
std::string Option(std::string_view name) {
  return "option " + Quote(name);
}

// A whole decimal number from lo to hi: digits only, no sign, no spaces.
int ParseNumber(std::string_view what, std::string_view text, int lo, int hi) {
  unsigned long long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < unsigned(lo) ||
      value > unsigned(hi))
    throw BoardSpecError("virtual board " + std::string(what) + " needs a whole number from " +
                         std::to_string(lo) + " to " + std::to_string(hi) + ", not " + Quote(text));
  return int(value);
}

uint32_t ParseSerial(std::string_view text) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
  if (text.size() != 8 || ec != std::errc() || ptr != end)
    throw BoardSpecError("virtual board option \"sn\" needs exactly 8 hexadecimal digits, not " +
                         Quote(text));
  return value;
}

struct Kind {
  uint16_t id;
  size_t flashSize;
};

std::optional<Kind> NamedKind(std::string_view name) {
  static const std::map<std::string_view, Kind> kinds = {
      {"sound", {0, 4 * kMiB}},        {"sound32", {32, 4 * kMiB}},    {"sound64", {64, 8 * kMiB}},
      {"usb2", {kUsb2Base, 4 * kMiB}}, {"usb2new", {65535, 4 * kMiB}}, {"led", {256, 0}},
  };
  auto it = kinds.find(name);
  if (it == kinds.end()) return std::nullopt;
  return it->second;
}

void ApplyKind(BoardSpec& spec, std::string_view text) {
  if (text.starts_with("id=")) {
    spec.kind = "id";
    spec.id = uint16_t(ParseNumber("id", text.substr(3), 0, 65535));
    spec.flashSize = spec.id == 64 ? 8 * kMiB : 4 * kMiB;
  } else if (auto kind = NamedKind(text)) {
    spec.kind = std::string(text);
    spec.id = kind->id;
    spec.flashSize = kind->flashSize;
  } else {
    throw BoardSpecError("unknown virtual board kind " + Quote(text));
  }
  spec.led = !IsSoundBoardId(spec.id);
  if (spec.led) spec.flashSize = 0;
}

// Applies one "name" or "name=value" option. Returns the option's name.
std::string ApplyOption(BoardSpec& spec, std::string_view option, int& firmware) {
  const size_t eq = option.find('=');
  const std::string name(option.substr(0, eq));
  const std::optional<std::string_view> value =
      eq == std::string_view::npos ? std::nullopt : std::optional(option.substr(eq + 1));

  using Setter = std::function<void(std::string_view)>;
  const auto counter = [&name](int* field) {
    return Setter(
        [field, &name](std::string_view v) { *field = ParseNumber(Option(name), v, 1, INT_MAX); });
  };
  const std::map<std::string, Setter> valued = {
      {"sn", [&](std::string_view v) { spec.serial = ParseSerial(v); }},
      {"fw", [&](std::string_view v) { firmware = ParseNumber(Option("fw"), v, 0, kMaxFirmware); }},
      {"flash",
       [&](std::string_view v) {
         if (v.empty()) throw BoardSpecError("virtual board option \"flash\" needs a file name");
         spec.flashFile = std::string(v);
       }},
      {"eeprom",
       [&](std::string_view v) {
         if (v.empty()) throw BoardSpecError("virtual board option \"eeprom\" needs a file name");
         spec.eepromFile = std::string(v);
       }},
      {"erase-ms",
       [&](std::string_view v) {
         spec.eraseMs = ParseNumber(Option("erase-ms"), v, 0, kMaxEraseMs);
       }},
      {"ledcode",
       [&](std::string_view v) { spec.ledCode = ParseNumber(Option("ledcode"), v, 0, 65535); }},
      {"drop", counter(&spec.drop)},
      {"bad-echo", counter(&spec.badEcho)},
      {"unplug", counter(&spec.unplug)},
      {"no-sn", counter(&spec.noSn)},
  };
  const std::map<std::string, bool*> flags = {
      {"erase-never", &spec.eraseNever},
      {"refuse-erase", &spec.refuseErase},
      {"split", &spec.split},
      {"silent", &spec.silent},
      {"bind-error", &spec.bindError},
      {"no-acc", &spec.noAcc},
  };

  if (auto it = valued.find(name); it != valued.end()) {
    if (!value) throw BoardSpecError("virtual board " + Option(name) + " needs a value");
    it->second(*value);
  } else if (auto flag = flags.find(name); flag != flags.end()) {
    if (value) throw BoardSpecError("virtual board " + Option(name) + " takes no value");
    *flag->second = true;
  } else {
    throw BoardSpecError("unknown virtual board option " + Quote(name));
  }
  return name;
}

void CheckOptionFitsKind(const BoardSpec& spec, const std::string& name) {
  const auto refuse = [&](const char* what) {
    throw BoardSpecError("virtual board " + Option(name) + " applies only to " + what +
                         ", not to " + Quote(spec.kind));
  };
  if (name == "fw" && spec.kind != "usb2") refuse("a usb2 board");
  if ((name == "flash" || name == "no-acc") && spec.led) refuse("a sound board");
  if ((name == "ledcode" || name == "eeprom") && !spec.led) refuse("an LED driver");
}

}  // namespace

bool IsSoundBoardId(uint16_t id) {
  return id == 0 || id == 32 || id == 64 || (id >= 4096 && id <= 8191) || id == 65535;
}

BoardSpec ParseBoardSpec(const std::string& text) {
  std::vector<std::string_view> parts;
  std::string_view rest = text;
  for (;;) {
    const size_t comma = rest.find(',');
    parts.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (parts.front().empty())
    throw BoardSpecError("virtual board spec " + Quote(text) + " has no kind");

  BoardSpec spec;
  ApplyKind(spec, parts.front());
  int firmware = 293;
  std::set<std::string> seen;
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty())
      throw BoardSpecError("virtual board spec " + Quote(text) + " has an empty option");
    const std::string name = ApplyOption(spec, parts[i], firmware);
    if (!seen.insert(name).second)
      throw BoardSpecError("virtual board " + Option(name) + " is given twice");
    CheckOptionFitsKind(spec, name);
  }
  if (spec.kind == "usb2") spec.id = uint16_t(kUsb2Base + firmware);
  return spec;
}

}  // namespace virtualboard
