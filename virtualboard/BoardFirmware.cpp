#include "virtualboard/BoardFirmware.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <thread>

#include "fileio/AtomicFile.h"
#include "virtualboard/MotionScript.h"

namespace virtualboard {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum Code : uint8_t {
  kReset = 0,
  kGetSN = 1,
  kGetID = 3,
  kBye = 7,
  kClearFlash = 10,
  kWrite1k = 20,
  kWriteLess = 21,
  kCheckCRC = 30,
  kGetACC = 40,
  kGetAccParam = 41,
  kSetAccParam = 42,
  kGetLEDParam = 50,
  kSetLEDParam = 51,
  kGetLEDPulses = 52,
  kSetLEDPulses = 53,
  kStartPulse = 54,
  kGetLEDConfig = 60,
  kSetLEDConfig = 61,
};

constexpr uint32_t kBlockSize = 1024;
constexpr uint32_t kMaxShortBlock = kCommandSize - 7;  // 1021
constexpr size_t kMotionBytes = kFactoryMotion.size();

// Offsets inside LedPulseState::wire (report byte minus 2).
constexpr size_t kChannelStride = 10;
constexpr size_t kPulseTimes = 40;  // Trise, Ton, Tfall, Toff, NRep, 16-bit each
constexpr size_t kPulseTimeCount = 5;

uint32_t Read24(const uint8_t* p) {
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}
uint16_t Read16(const uint8_t* p) {
  return uint16_t(p[0] << 8 | p[1]);
}
void Write16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v & 255);
}

uint32_t ByteSum(const uint8_t* p, size_t n) {
  return std::accumulate(p, p + n, uint32_t{0});
}

// Which file a path names now and its size and time of change; empty when
// there is none. Two programs on one image file tell by it that the other
// one saved in between.
std::string FileStamp(const std::string& file) {
  struct stat st {};
  if (file.empty() || stat(file.c_str(), &st) != 0) return "";
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
         std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
}

bool IsPulseId(uint8_t id) {
  return id < 2;
}

LedPulseState DefaultPulse() {
  LedPulseState pulse;                          // levels, ticks, Trise and Tfall 0
  Write16(&pulse.wire[kPulseTimes + 2], 1000);  // Ton
  Write16(&pulse.wire[kPulseTimes + 6], 1000);  // Toff
  Write16(&pulse.wire[kPulseTimes + 8], 1);     // NRep
  return pulse;
}

}  // namespace

BoardFirmware::BoardFirmware(BoardSpec spec)
    : spec_(std::move(spec)), ledCode_(uint16_t(spec_.ledCode)) {
  pulses_.fill(DefaultPulse());
  LoadFlash();
  LoadEeprom();
  imageStamp_ = FileStamp(ImageFile());
  // A loaded image is saved again only once it changes: a program that
  // merely reads the board leaves the file to whoever writes it.
  unsaved_ = imageStamp_.empty();
}

BoardFirmware::~BoardFirmware() {
  SaveFlash();
}

namespace {

std::string Quoted(const std::string& file) {
  return "\"" + file + "\"";
}

// The bytes of an image file; nothing when there is no such file. Throws
// when it exists but cannot be read or holds more than `limit` bytes.
std::optional<std::vector<uint8_t>> ReadImage(const std::string& file, const std::string& what,
                                              size_t limit, const std::string& limitText) {
  const fs::path path(file);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (ec || !fs::is_regular_file(status))
    throw std::runtime_error(what + " " + Quoted(file) + " is not a readable file");
  const uintmax_t size = fs::file_size(path, ec);
  if (ec)
    throw std::runtime_error("cannot read " + what + " " + Quoted(file) + ": " + ec.message());
  if (size > limit)
    throw std::runtime_error(what + " " + Quoted(file) + " holds " + std::to_string(size) +
                             " bytes, more than " + limitText);
  std::vector<uint8_t> bytes(size);
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size));
  if (!in || uintmax_t(in.gcount()) != size)
    throw std::runtime_error("cannot read " + what + " " + Quoted(file));
  return bytes;
}

}  // namespace

void BoardFirmware::LoadFlash() {
  flash_.assign(spec_.flashSize, 0xFF);
  const auto image =
      spec_.flashFile.empty()
          ? std::nullopt
          : ReadImage(spec_.flashFile, "flash image", flash_.size(),
                      "the board's " + std::to_string(flash_.size()) + "-byte flash");
  if (!image) {
    std::copy_n(kFactoryMotion.begin(), std::min(kMotionBytes, flash_.size()), flash_.begin());
    return;
  }
  std::copy(image->begin(), image->end(), flash_.begin());
}

std::vector<uint8_t> BoardFirmware::EepromImage() const {
  std::vector<uint16_t> words = {ledCode_, voltageTenths_, overDrive_};
  words.insert(words.end(), ledParam_.begin(), ledParam_.end());
  std::vector<uint8_t> bytes;
  for (uint16_t w : words) bytes.insert(bytes.end(), {uint8_t(w >> 8), uint8_t(w & 255)});
  for (const LedPulseState& pulse : pulses_)
    bytes.insert(bytes.end(), pulse.wire.begin(), pulse.wire.end());
  return bytes;
}

void BoardFirmware::LoadEeprom() {
  if (!spec_.led || spec_.eepromFile.empty()) return;
  const auto image = ReadImage(spec_.eepromFile, "eeprom image", kEepromSize,
                               "the driver's " + std::to_string(kEepromSize) + " bytes");
  if (!image) return;
  if (image->size() != kEepromSize)
    throw std::runtime_error("eeprom image " + Quoted(spec_.eepromFile) + " holds " +
                             std::to_string(image->size()) + " bytes, not the driver's " +
                             std::to_string(kEepromSize));
  const uint8_t* p = image->data();
  const auto next = [&p] {
    const uint16_t v = Read16(p);
    p += 2;
    return v;
  };
  ledCode_ = next();
  voltageTenths_ = next();
  overDrive_ = next();
  for (uint16_t& v : ledParam_) v = next();
  for (LedPulseState& pulse : pulses_) {
    std::copy_n(p, pulse.wire.size(), pulse.wire.begin());
    p += pulse.wire.size();
  }
}

const std::string& BoardFirmware::ImageFile() const {
  return spec_.led ? spec_.eepromFile : spec_.flashFile;
}

void BoardFirmware::Persist() {
  const bool led = spec_.led;
  const std::string& file = ImageFile();
  if (file.empty()) return;
  const std::vector<uint8_t> eeprom = led ? EepromImage() : std::vector<uint8_t>{};
  const std::vector<uint8_t>& image = led ? eeprom : flash_;
  const char* what = led ? "eeprom image" : "flash image";
  if (FileStamp(file) != imageStamp_)
    throw std::runtime_error(std::string("cannot save ") + what + " " + Quoted(file) +
                             ": another program changed it since this board loaded it");
  std::string error;
  if (!fileio::WriteFileAtomically(
          file, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()),
          &error))
    throw std::runtime_error(std::string("cannot save ") + what + " " + Quoted(file) + ": " +
                             error);
  imageStamp_ = FileStamp(file);
}

// Reset, Bye and the end of the program save the image when it changed
// since the last save was tried. A failed save is said once on stderr (the
// board's only way to tell why) and fails the command that asked for it,
// and every such command after it until the image changes again.
bool BoardFirmware::SaveFlash() noexcept {
  if (!unsaved_) return saved_;
  unsaved_ = false;
  try {
    Persist();
    saved_ = true;
  } catch (const std::exception& e) {
    std::cerr << "virtual board: " << e.what() << '\n';
    saved_ = false;
  }
  return saved_;
}

bool BoardFirmware::Receive(const std::vector<uint8_t>& report) {
  if (!present_) return false;
  ++commands_;
  FinishEraseIfDue();

  const uint8_t* bytes = report.data();
  if (report.size() < kCommandSize) {
    padded_.fill(0);
    std::copy(report.begin(), report.end(), padded_.begin());
    bytes = padded_.data();
  }
  const Command cmd(bytes, kCommandSize);
  const size_t before = answers_.size();
  const bool done = Handle(cmd);

  const bool answered = answers_.size() > before;
  if (commands_ == spec_.badEcho && answered && (cmd[0] == kWrite1k || cmd[0] == kWriteLess)) {
    auto& echo = answers_.back();
    const uint16_t wrong = uint16_t(Read16(echo.data()) + 1);
    Write16(echo.data(), wrong);
  }
  if (commands_ == spec_.drop) answers_.resize(std::min(before, answers_.size()));
  if (commands_ == spec_.unplug) Unplug();
  if (spec_.silent) answers_.clear();
  return done;
}

AnswerResult BoardFirmware::Answer(std::array<uint8_t, 2>& out, int timeoutMs) {
  if (!present_) return AnswerResult::Gone;
  if (spec_.silent) {
    // Linked, taking commands, never answering: the host waits it out.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(timeoutMs, 0)));
    return AnswerResult::Timeout;
  }
  FinishEraseIfDue();
  if (answers_.empty() && erasing_) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    if (spec_.eraseNever || eraseEnd_ > deadline) {
      std::this_thread::sleep_until(deadline);
      return AnswerResult::Timeout;
    }
    std::this_thread::sleep_until(eraseEnd_);
    FinishEraseIfDue();
  }
  if (answers_.empty()) return AnswerResult::Timeout;
  out = answers_.front();
  answers_.pop_front();
  return AnswerResult::Ok;
}

bool BoardFirmware::Handle(Command cmd) {
  switch (cmd[0]) {
    case kReset:
      // A restart loses the responses the board had not sent yet.
      answers_.clear();
      return SaveFlash();
    case kGetSN:
      if (++snAsked_ <= spec_.noSn) return true;
      Queue16(spec_.serial >> 16);
      Queue16(spec_.serial & 0xFFFF);
      return true;
    case kGetID:
      Queue16(spec_.id);
      return true;
    case kBye:
      return SaveFlash();
    default:
      if (spec_.led) {
        // What a command changed in what the driver stores is saved with the
        // next Reset or Bye; reading it changes nothing.
        const std::vector<uint8_t> before = EepromImage();
        HandleLed(cmd);
        if (EepromImage() != before) unsaved_ = true;
      } else {
        HandleSound(cmd);
      }
      return true;
  }
}

void BoardFirmware::HandleSound(Command cmd) {
  const uint8_t* args = cmd.data() + 1;
  switch (cmd[0]) {
    case kClearFlash:
      StartErase();
      return;
    case kWrite1k:
      StoreBlock(Read24(args), kBlockSize, args + 3);
      return;
    case kWriteLess:
      if (const uint32_t length = Read24(args + 3); length <= kMaxShortBlock)
        StoreBlock(Read24(args), length, args + 6);
      return;
    case kCheckCRC:
      if (const uint32_t address = Read24(args), length = Read24(args + 3);
          InFlash(address, length))
        Queue16(ByteSum(flash_.data() + address, length));
      return;
    case kGetACC:
      if (spec_.noAcc) return;  // a firmware without live sensor values
      for (const auto& answer : AccResponses(ScriptedMotion(accReadings_++)))
        Queue(answer[0], answer[1]);
      return;
    case kGetAccParam:
      for (size_t i = 0; i < kMotionBytes; i += 2) Queue(flash_[i], flash_[i + 1]);
      return;
    case kSetAccParam:
      std::copy_n(args, kMotionBytes, flash_.begin());
      unsaved_ = true;
      Queue(kAck, kAck);
      return;
    default:
      return;  // not a sound board command: no answer
  }
}

void BoardFirmware::HandleLed(Command cmd) {
  const uint8_t* args = cmd.data() + 1;
  switch (cmd[0]) {
    case kGetLEDParam:
      for (uint16_t v : ledParam_) Queue16(v);
      return;
    case kSetLEDParam:
      for (size_t i = 0; i < ledParam_.size(); ++i) ledParam_[i] = Read16(args + 2 * i);
      Queue(kAck, kAck);
      return;
    case kGetLEDPulses: {
      if (!IsPulseId(args[0])) return;
      const auto& wire = pulses_[args[0]].wire;
      for (size_t c = 0; c < 4; ++c)
        Queue(wire[c * kChannelStride + 1], wire[c * kChannelStride]);  // high, low
      for (size_t t = 0; t < kPulseTimeCount; ++t) Queue16(Read16(&wire[kPulseTimes + 2 * t]));
      return;
    }
    case kSetLEDPulses:
      if (!IsPulseId(args[0])) return;
      std::copy_n(args + 1, pulses_[args[0]].wire.size(), pulses_[args[0]].wire.begin());
      Queue(kAck, kAck);
      return;
    case kStartPulse:
      if (IsPulseId(args[0])) Queue(kAck, kAck);
      return;
    case kGetLEDConfig:
      Queue16(ledCode_);
      Queue16(voltageTenths_);
      Queue16(overDrive_);
      return;
    case kSetLEDConfig:
      ledCode_ = Read16(args);
      voltageTenths_ = Read16(args + 2);
      overDrive_ = Read16(args + 4);
      Queue(kAck, kAck);
      return;
    default:
      return;  // not an LED driver command: no answer
  }
}

// Stores a block and echoes its 16-bit byte sum; a block that does not fit
// the flash is not stored and gets no answer.
void BoardFirmware::StoreBlock(uint32_t address, uint32_t length, const uint8_t* data) {
  if (!InFlash(address, length)) return;
  std::memcpy(flash_.data() + address, data, length);
  unsaved_ = true;
  Queue16(ByteSum(data, length));
}

bool BoardFirmware::InFlash(uint32_t address, uint32_t length) const {
  return uint64_t(address) + length <= flash_.size();
}

void BoardFirmware::StartErase() {
  if (spec_.refuseErase) {
    Queue(kEraseRefused, kEraseRefused);
    return;
  }
  erasing_ = true;
  eraseEnd_ = Clock::now() + std::chrono::milliseconds(spec_.eraseMs);
}

void BoardFirmware::Queue(uint8_t r0, uint8_t r1) {
  answers_.push_back({r0, r1});
}

// An erase that ended while nobody was reading wipes the flash (the motion
// bytes included) and leaves the ACK for the next completion poll.
void BoardFirmware::FinishEraseIfDue() {
  if (!erasing_ || spec_.eraseNever || Clock::now() < eraseEnd_) return;
  erasing_ = false;
  std::fill(flash_.begin(), flash_.end(), 0xFF);
  unsaved_ = true;
  Queue(kAck, kAck);
}

}  // namespace virtualboard
