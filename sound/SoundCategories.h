#pragma once
// The seven sound categories: their codes (FileType), keywords in the
// configuration file and captions in the window.

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
  const char* keyword;
  const char* caption;
  bool isList;  // up to 12 files rather than one
  const char* missingMessage;
};

// In flash order: boot, power-on, power-off, idle, motion, impact, lock-up.
inline constexpr std::array<SoundCategory, 7> kCategoriesInFlashOrder = {{
    {kBoot, "BOOT", "Boot", false, "Boot file is missing"},
    {kPwrOn, "PWRON", "Power ON", false, "Power On file is missing"},
    {kPwrOff, "PWROFF", "Power OFF", false, "Power Off file is missing"},
    {kIdle, "IDLE", "Idle", false, "Idle file is missing"},
    {kMotion, "MOTION", "Motion", true, "At least one motion file is required"},
    {kImpact, "IMPACT", "Impact", true, "At least one impact file is required"},
    {kLockup, "LOCKUP", "Lock-up", true, "At least one locku-up file is required"},
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
