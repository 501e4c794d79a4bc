#pragma once
// Which recording of a folder goes into which sound category when the folder
// is imported as a font. A file is named for its category ("swing3.wav",
// "Hum (1).flac") or sits in a sub-folder so named ("clsh/01.wav"): the
// name is compared without digits, blanks, '_', '-', '.' and brackets and
// without regard to case against one table of words.
//
// Each category takes its files in natural order ("swing2" before
// "swing10") up to its limit: one for boot, power-on, power-off and idle,
// twelve for motion, impact and lock-up. "font" stands in for the boot
// sound only when no file is named "boot".

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "sound/SoundCategories.h"

namespace sound {

struct FontNameRule {
  const char* word;  // as NameKey gives it
  FileType category;
  bool fallback;  // used only when no other word of the category is found
};

inline constexpr std::array<FontNameRule, 22> kFontNameRules = {{
    {"boot", kBoot, false},    {"font", kBoot, true},        {"poweron", kPwrOn, false},
    {"pwron", kPwrOn, false},  {"on", kPwrOn, false},        {"out", kPwrOn, false},
    {"ignite", kPwrOn, false}, {"poweroff", kPwrOff, false}, {"pwroff", kPwrOff, false},
    {"off", kPwrOff, false},   {"in", kPwrOff, false},       {"retract", kPwrOff, false},
    {"hum", kIdle, false},     {"idle", kIdle, false},       {"swing", kMotion, false},
    {"swng", kMotion, false},  {"motion", kMotion, false},   {"clash", kImpact, false},
    {"clsh", kImpact, false},  {"impact", kImpact, false},   {"lockup", kLockup, false},
    {"lock", kLockup, false},
}};

// The name with digits, blanks, '_', '-', '.' and brackets removed and
// ASCII letters in lower case: "Swing (2)" gives "swing".
std::string NameKey(std::string_view name);

// The rule for a file, by its path relative to the imported folder ('/'
// between folders): its name without the extension first, then the
// folders it sits in from the innermost out. nullptr when none matches.
const FontNameRule* RuleForPath(std::string_view relativePath);

// Natural order: runs of digits compare as numbers, letters without regard
// to case ("Swing2" < "swing10"); names equal that way keep a fixed order.
bool NaturalLess(std::string_view a, std::string_view b);

enum class FontFate { Used, LeftOut, NotMapped };

struct FontFile {
  std::string path;  // relative to the imported folder
  FontFate fate = FontFate::NotMapped;
  FileType category{};  // for Used and LeftOut
  std::string why;      // for LeftOut and NotMapped
};

// Every path in natural order with what becomes of it.
std::vector<FontFile> PlanFontImport(std::vector<std::string> relativePaths);

}  // namespace sound
