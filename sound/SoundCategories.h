#pragma once
// The seven sound categories: their codes (FileType), keywords in the
// configuration file, and in the window the captions and control names of
// their option buttons and of the label or list box that shows their files.
// The one table every part reads them from: the configuration file, the
// category frame and its panel, the download's checks and font imports.

#include <array>
#include <cstdint>

namespace sound {

enum FileType : int16_t {
  kBoot = 1,
  kPwrOn = 2,
  kPwrOff = 3,
  kMotion = 4,
  kImpact = 5,
  kLockup = 6,
  kIdle = 7,
};

struct SoundCategory {
  FileType code;
  const char* keyword;      // its section in the configuration file
  const char* caption;      // its option button's; a list's name in messages
  const char* optionName;   // control name of its option button
  const char* controlName;  // control name of its label (single) or list box
  bool isList;              // up to 12 files rather than one
  const char* missingMessage;
};

// In flash order: boot, power-on, power-off, idle, motion, impact, lock-up;
// the window shows them in this order too.
inline constexpr std::array<SoundCategory, 7> kCategoriesInFlashOrder = {{
    {kBoot, "BOOT", "Boot", "BootOption", "BootFileList", false, "Boot file is missing"},
    {kPwrOn, "PWRON", "Power ON", "PwrOnOption", "PwrOnFileList", false,
     "Power On file is missing"},
    {kPwrOff, "PWROFF", "Power OFF", "PwrOffOption", "PwrOffFileList", false,
     "Power Off file is missing"},
    {kIdle, "IDLE", "Idle", "IdleOption", "IdleFileList", false, "Idle file is missing"},
    {kMotion, "MOTION", "Motion", "MtOption", "MtFileList", true,
     "At least one motion file is required"},
    {kImpact, "IMPACT", "Impact", "ImpOption", "ImpFileList", true,
     "At least one impact file is required"},
    {kLockup, "LOCKUP", "Lock-up", "LkOption", "LkfileList", true,
     "At least one locku-up file is required"},
}};

inline constexpr bool IsFileType(int code) {
  return code >= kBoot && code <= kIdle;
}

// The category of a code 1..7; nullptr for any other code.
inline const SoundCategory* FindCategory(int code) {
  for (const auto& c : kCategoriesInFlashOrder)
    if (c.code == code) return &c;
  return nullptr;
}

}  // namespace sound
