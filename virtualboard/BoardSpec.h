#pragma once
// The text that describes a virtual board: a kind followed by
// comma-separated options, for example "usb2,fw=292,sn=0A1B2C3D".
//
// Kinds: sound (GetID 0), sound32 (32), sound64 (64, 8 MiB flash), usb2
// (4096 + fw), usb2new (65535), led (an LED driver, 256) and id=N (a board
// answering N, an LED driver exactly when N is not a sound board id).
//
// A sound board's acceleration sensor answers GetACC from a scripted
// motion (still, a swing, a clash, every 2.5 s; see MotionScript.h); the
// no-acc switch makes it a firmware that never answers GetACC.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace virtualboard {

class BoardSpecError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

struct BoardSpec {
  std::string kind = "sound";    // sound, sound32, sound64, usb2, usb2new, led, id
  uint16_t id = 0;               // what GetID answers
  bool led = false;              // an LED driver rather than a sound board
  size_t flashSize = 4u << 20;   // bytes of sound flash; 0 for an LED driver
  uint32_t serial = 0x4B530001;  // sn=HEX8
  std::string flashFile;         // flash=FILE, empty for none (sound boards only)
  int eraseMs = 200;             // erase-ms=N, 0 to 600000
  int ledCode = 1;               // ledcode=N, 0 to 65535 (LED drivers only)
  // eeprom=FILE (LED drivers only): what the driver keeps when it is off, its
  // LED code, voltage, overdrive, LED parameters and both pulses. Loaded at
  // start when the file exists (its LED code then wins over ledcode=N),
  // written back at the latest on Reset, Bye and exit.
  std::string eepromFile;
  // Fault switches; N counts command reports written to the board, from 1.
  int drop = 0;  // drop=N: no answer to the N-th command
  // bad-echo=N: a wrong echo when the N-th command (counted among all
  // commands) is a block write, Write1k or WriteLess; any other N-th
  // command spoils nothing.
  int badEcho = 0;
  int unplug = 0;            // unplug=N: the board disappears after its N-th command
  int noSn = 0;              // no-sn=K: the first K GetSN commands get no answer
  bool eraseNever = false;   // an erase that never ends
  bool refuseErase = false;  // the board refuses to erase
  bool split = false;        // command and response variables on two interfaces
  bool silent = false;       // takes every command, answers none: each read waits its time-out
  bool bindError = false;    // bind-error: fails when the host reads its response variable's
                             // string while binding, an unexpected error in the host
  bool noAcc = false;        // no-acc (sound boards): takes GetACC and never answers it, like a
                             // firmware without live sensor values
};

// True when a board answering GetID with `id` is a sound board: 0, 32, 64,
// 4096 to 8191 or 65535. Every other id belongs to an LED driver.
bool IsSoundBoardId(uint16_t id);

// Throws BoardSpecError with a message naming the bad part.
BoardSpec ParseBoardSpec(const std::string& text);

}  // namespace virtualboard
