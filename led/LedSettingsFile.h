#pragma once
// The LED settings file (".ldset"): 8-bit text, CR LF line ends, three
// lines: the header, the idle pulse and the flash on clash.
//
//   KestraneLEDSettings#1
//   PULSE+Low=L1_L2_L3_L4+High=H1_H2_H3_H4+Times=Ton_Toff_Trise_Tfall
//   FOC=F1_F2_F3_F4+Times=Ton_Toff_NRep
//
// The flash on clash keeps only its high levels, on and off times and
// repeat count. Times are milliseconds.

#include <istream>
#include <string>
#include <string_view>

#include "led/LED_Pulse.h"
#include "seams/Result.h"

namespace led {

inline constexpr const char* kLedSettingsHeader = "KestraneLEDSettings#1";
inline constexpr const char* kLedSettingsFilter =
    "LED Driver Setting (*.LDSET)|*.ldset|All files (*.*)|*.*";
inline constexpr const char* kLedSettingsCorrupted = "File is corrupted, could not read !";
inline constexpr const char* kLedSettingsNotWritten = "Could not write the LED settings file ";
// A value the board cannot take is refused rather than sent cut to its
// field's width.
inline constexpr const char* kLedSettingsOutOfRange =
    "File holds a value out of range (levels 0 to 255, times 0 to 65535 ms, repeat count 0 to "
    "32767), could not read !";

inline constexpr int kMaxLevel = 255;
inline constexpr double kMaxTimeMs = 65535;
inline constexpr int kMaxRepeat = 32767;

// Lines 2 and 3 without their line ends.
std::string IdlePulseLine(const LED_Pulse& idle);
std::string FocPulseLine(const LED_Pulse& foc);
// The whole file.
std::string LedSettingsText(const LED_Pulse& idle, const LED_Pulse& foc);

enum class SettingsStatus { Ok, Corrupted, OutOfRange };

struct SettingsRead {
  SettingsStatus status = SettingsStatus::Corrupted;
  // Which pulses were taken over; values of a line that failed half-way
  // may be partly taken over too.
  bool idleRead = false;
  bool focRead = false;
  // Why the file could not be read (missing, not a regular file, a line
  // longer than 4096 bytes); empty when it could.
  std::string problem;

  // Ok, or the message for the user: corrupted or out of range, and on a
  // second line the problem when there is one.
  seams::Result AsResult() const;
};

// Reads the file's lines into the pulses, in order, and stops at the first
// line that is not what it should be; what was taken over before stays.
// Files are read through fileio's bounded line reader.
SettingsRead ReadLedSettings(std::istream& in, LED_Pulse& idle, LED_Pulse& foc);
SettingsRead ReadLedSettingsFile(const std::string& path, LED_Pulse& idle, LED_Pulse& foc);
// Replaces the file as a whole. A file that could not be written
// completely leaves an existing one as it was; the message names the path
// and the system's reason.
seams::Result WriteLedSettingsFile(const std::string& path, const LED_Pulse& idle,
                                   const LED_Pulse& foc);

}  // namespace led
