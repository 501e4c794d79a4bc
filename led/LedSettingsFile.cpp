#include "led/LedSettingsFile.h"

#include <charconv>
#include <optional>
#include <tuple>
#include <vector>

#include "fileio/AtomicFile.h"
#include "fileio/LineReader.h"
#include "led/Split.h"
#include "text/NumberReading.h"

namespace led {

namespace {

// A time in the general number form: up to 15 significant digits, no
// trailing zeros, "." as the decimal point.
std::string TimeText(double ms) {
  if (ms == 0) return "0";  // also for -0
  char buf[64];
  const auto [end, error] =
      std::to_chars(buf, buf + sizeof buf, ms, std::chars_format::general, 15);
  return error == std::errc() ? std::string(buf, end) : "0";
}

template <class Get>
std::string Levels(Get get) {
  std::string text;
  for (int16_t k = 1; k <= 4; ++k) text += (k > 1 ? "_" : "") + std::to_string(get(k));
  return text;
}

// Exactly `count` numbers joined by "_".
std::optional<std::vector<double>> Numbers(std::string_view text, size_t count) {
  const auto parts = Split(text, "_");
  if (parts.size() != count) return std::nullopt;
  std::vector<double> values;
  for (auto p : parts) values.push_back(text::ReadNumber(p));
  return values;
}

bool IsLevel(double value) {
  const double level = text::RoundHalfEven(value);
  return level >= 0 && level <= kMaxLevel;
}

bool IsTime(double ms) {
  return ms >= 0 && ms <= kMaxTimeMs;
}

// Four levels into SetLow or SetHigh.
SettingsStatus ReadLevels(std::string_view text, LED_Pulse& pulse, bool high) {
  const auto levels = Numbers(text, 4);
  if (!levels) return SettingsStatus::Corrupted;
  for (double v : *levels)
    if (!IsLevel(v)) return SettingsStatus::OutOfRange;
  for (int16_t k = 1; k <= 4; ++k) {
    const auto level = int16_t(text::RoundHalfEven((*levels)[k - 1]));
    high ? pulse.SetHigh(k, level) : pulse.SetLow(k, level);
  }
  return SettingsStatus::Ok;
}

// The two parts of text around separator, or nothing when it is not there
// exactly once.
std::optional<std::pair<std::string_view, std::string_view>> Halves(std::string_view text,
                                                                    std::string_view separator) {
  const auto parts = Split(text, separator);
  if (parts.size() != 2) return std::nullopt;
  return std::pair{parts[0], parts[1]};
}

SettingsStatus ReadIdleLine(std::string_view line, LED_Pulse& idle) {
  const auto pulse = Halves(line, "PULSE+Low=");
  if (!pulse) return SettingsStatus::Corrupted;
  const auto lowHigh = Halves(pulse->second, "+High=");
  if (!lowHigh) return SettingsStatus::Corrupted;
  if (auto s = ReadLevels(lowHigh->first, idle, false); s != SettingsStatus::Ok) return s;
  const auto highTimes = Halves(lowHigh->second, "+Times=");
  if (!highTimes) return SettingsStatus::Corrupted;
  if (auto s = ReadLevels(highTimes->first, idle, true); s != SettingsStatus::Ok) return s;
  const auto times = Numbers(highTimes->second, 4);
  if (!times) return SettingsStatus::Corrupted;
  for (double t : *times)
    if (!IsTime(t)) return SettingsStatus::OutOfRange;
  idle.Ton = (*times)[0];
  idle.Toff = (*times)[1];
  idle.Trise = (*times)[2];
  idle.Tfall = (*times)[3];
  return SettingsStatus::Ok;
}

SettingsStatus ReadFocLine(std::string_view line, LED_Pulse& foc) {
  const auto focus = Halves(line, "FOC=");
  if (!focus) return SettingsStatus::Corrupted;
  const auto highTimes = Halves(focus->second, "+Times=");
  if (!highTimes) return SettingsStatus::Corrupted;
  if (auto s = ReadLevels(highTimes->first, foc, true); s != SettingsStatus::Ok) return s;
  const auto values = Numbers(highTimes->second, 3);
  if (!values) return SettingsStatus::Corrupted;
  const auto [on, off, repeat] = std::tuple((*values)[0], (*values)[1], (*values)[2]);
  const double rep = text::RoundHalfEven(repeat);
  if (!IsTime(on) || !IsTime(off) || !(rep >= 0 && rep <= kMaxRepeat))
    return SettingsStatus::OutOfRange;
  foc.Ton = on;
  foc.Toff = off;
  foc.NRep = int16_t(rep);
  return SettingsStatus::Ok;
}

}  // namespace

std::string IdlePulseLine(const LED_Pulse& idle) {
  return "PULSE+Low=" + Levels([&](int16_t k) { return idle.GetLow(k); }) +
         "+High=" + Levels([&](int16_t k) { return idle.GetHigh(k); }) +
         "+Times=" + TimeText(idle.Ton) + "_" + TimeText(idle.Toff) + "_" + TimeText(idle.Trise) +
         "_" + TimeText(idle.Tfall);
}

std::string FocPulseLine(const LED_Pulse& foc) {
  return "FOC=" + Levels([&](int16_t k) { return foc.GetHigh(k); }) +
         "+Times=" + TimeText(foc.Ton) + "_" + TimeText(foc.Toff) + "_" + std::to_string(foc.NRep);
}

std::string LedSettingsText(const LED_Pulse& idle, const LED_Pulse& foc) {
  return std::string(kLedSettingsHeader) + "\r\n" + IdlePulseLine(idle) + "\r\n" +
         FocPulseLine(foc) + "\r\n";
}

namespace {

SettingsRead ReadSettings(fileio::LineReader& in, LED_Pulse& idle, LED_Pulse& foc) {
  SettingsRead read;
  std::string line;
  // A line that cannot be read reads as empty.
  auto next = [&] {
    if (!in.Next(line)) line.clear();
    return std::string_view(line);
  };
  const bool headerRead = next() == kLedSettingsHeader;
  if (headerRead) {
    read.status = ReadIdleLine(next(), idle);
    read.idleRead = read.status == SettingsStatus::Ok;
  }
  if (read.idleRead) {
    read.status = ReadFocLine(next(), foc);
    read.focRead = read.status == SettingsStatus::Ok;
  }
  read.problem = in.Error();
  return read;
}

}  // namespace

SettingsRead ReadLedSettings(std::istream& in, LED_Pulse& idle, LED_Pulse& foc) {
  fileio::LineReader reader(in, "The LED settings");
  return ReadSettings(reader, idle, foc);
}

SettingsRead ReadLedSettingsFile(const std::string& path, LED_Pulse& idle, LED_Pulse& foc) {
  fileio::LineReader reader(path);
  return ReadSettings(reader, idle, foc);
}

seams::Result SettingsRead::AsResult() const {
  if (status == SettingsStatus::Ok) return {};
  return seams::Result::Failure(
      (status == SettingsStatus::OutOfRange ? kLedSettingsOutOfRange : kLedSettingsCorrupted) +
      (problem.empty() ? "" : "\r\n" + problem));
}

seams::Result WriteLedSettingsFile(const std::string& path, const LED_Pulse& idle,
                                   const LED_Pulse& foc) {
  std::string error;
  if (fileio::WriteFileAtomically(path, LedSettingsText(idle, foc), &error)) return {};
  return seams::Result::Failure(kLedSettingsNotWritten + path +
                                (error.empty() ? "" : ": " + error));
}

}  // namespace led
