#pragma once
// The board's firmware: takes command reports and queues the response
// reports the board sends back, over a flash image that can persist in a
// file. Used in-process through VirtualBoardBus and over the kernel's uhid.
//
// Not thread-safe: one thread drives Receive and Answer.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "virtualboard/BoardSpec.h"

namespace virtualboard {

enum class AnswerResult { Ok, Timeout, Gone };

// Fixed facts of the model that tests and tools rely on.
inline constexpr std::array<uint8_t, 6> kFactoryMotion = {180, 2, 10, 50, 125, 13};
inline constexpr size_t kCommandSize = 1028;
inline constexpr uint8_t kAck = 10;
// What a board that refuses to erase answers to the completion poll.
inline constexpr uint8_t kEraseRefused = 0xEE;
// GetLEDParam of a new LED driver: period 1000, then on 0 / off 500 for each
// of the four LEDs (all four blink together at half duty).
inline constexpr std::array<uint16_t, 9> kDefaultLedParam = {1000, 0, 500, 0, 500, 0, 500, 0, 500};

struct LedPulseState {
  std::array<uint8_t, 50> wire{};  // bytes 2..51 of SetLEDPulses as received
};

// An LED driver's eeprom image (eeprom=FILE): LED code, voltage in tenths,
// overdrive and the nine LED parameters, 16-bit each, high byte first, then
// pulse 0 and pulse 1 as SetLEDPulses carries them.
inline constexpr size_t kEepromSize = 2 * (3 + 9) + 2 * 50;

class BoardFirmware {
 public:
  // Loads the flash image from spec.flashFile (an LED driver's eeprom image
  // from spec.eepromFile) when that file exists; throws std::runtime_error
  // when it exists but cannot be read or does not fit.
  explicit BoardFirmware(BoardSpec spec);
  ~BoardFirmware();  // writes the flash image back
  BoardFirmware(const BoardFirmware&) = delete;
  BoardFirmware& operator=(const BoardFirmware&) = delete;

  // One command report (byte 0 = command code), as the host wrote it. Shorter
  // reports read as if padded with zeros, bytes past 1027 are ignored.
  // Ignored while unplugged. False when the board could not carry the
  // command out: Reset or Bye whose save of the flash image failed (the
  // host's write of that report fails, as it would on a board that did not
  // take it).
  bool Receive(const std::vector<uint8_t>& report);
  // The next response. Returns at once when something is queued or nothing
  // is pending; only a running erase, or a silent board, makes it wait, at
  // most timeoutMs. Gone while unplugged.
  AnswerResult Answer(std::array<uint8_t, 2>& out, int timeoutMs);

  bool Present() const { return present_; }
  void Plug() { present_ = true; }
  // The board disappears; responses it had queued are lost.
  void Unplug() {
    present_ = false;
    answers_.clear();
  }

  const BoardSpec& Spec() const { return spec_; }
  const std::vector<uint8_t>& Flash() const { return flash_; }
  // For changes from outside: the image counts as changed.
  std::vector<uint8_t>& Flash() {
    unsaved_ = true;
    return flash_;
  }
  int CommandsReceived() const { return commands_; }
  // Writes the flash image to spec.flashFile, or an LED driver's eeprom
  // image to spec.eepromFile, through fileio (a unique temporary file beside
  // it, then rename), so two programs on one image never share a temporary
  // file and a failed save keeps the old image. Does nothing without a
  // file; throws std::runtime_error when it fails, and when another program
  // replaced the file since this board loaded or last saved it (writing
  // then would undo what that program stored).
  void Persist();

 private:
  using Command = std::span<const uint8_t, kCommandSize>;

  void LoadFlash();
  void LoadEeprom();
  std::vector<uint8_t> EepromImage() const;
  const std::string& ImageFile() const;
  bool SaveFlash() noexcept;
  bool Handle(Command cmd);
  void HandleSound(Command cmd);
  void HandleLed(Command cmd);
  void StoreBlock(uint32_t address, uint32_t length, const uint8_t* data);
  void StartErase();
  bool InFlash(uint32_t address, uint32_t length) const;
  void Queue(uint8_t r0, uint8_t r1);
  void Queue16(uint32_t v) { Queue(uint8_t((v >> 8) & 255), uint8_t(v & 255)); }
  void FinishEraseIfDue();

  BoardSpec spec_;
  std::vector<uint8_t> flash_;
  // The image changed since the last save was tried; that save's result.
  // An image file that does not exist yet is made at the first save.
  bool unsaved_ = true;
  bool saved_ = false;
  // The image file as this board last loaded or saved it (empty: absent).
  std::string imageStamp_;
  std::deque<std::array<uint8_t, 2>> answers_;
  std::array<uint8_t, kCommandSize> padded_{};  // a short report, zero-padded
  bool present_ = true;
  int commands_ = 0;
  int snAsked_ = 0;
  long long accReadings_ = 0;  // GetACC answered: the motion script's step
  bool erasing_ = false;
  std::chrono::steady_clock::time_point eraseEnd_{};
  // LED driver state.
  std::array<uint16_t, 9> ledParam_ = kDefaultLedParam;
  std::array<LedPulseState, 2> pulses_{};
  uint16_t ledCode_ = 1, voltageTenths_ = 60, overDrive_ = 100;
};

}  // namespace virtualboard
