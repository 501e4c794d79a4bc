#include "led/PulseFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "led/LedSettingsFile.h"
#include "text/NumberReading.h"

namespace led {

namespace {

constexpr float kStepsPerSecond = 50;  // 0.02 s steps
constexpr double kMaxSeconds = 10;
constexpr double kMaxFieldRepeat = 10;  // what the repeat field allows

// The shortest text that reads back as value, without an exponent.
template <class Float>
std::string Shortest(Float value) {
  if (value == 0) return "0";  // also for -0
  char buf[64];
  const auto [end, error] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return error == std::errc() ? std::string(buf, end) : "0";
}

}  // namespace

std::string SecondsText(double ms) {
  const double hundredths = text::RoundHalfEven(ms / 10);
  return Shortest(hundredths / 100);
}

// Held to what the board's 16-bit field and a settings file take: 65535 ms
// shows as 65.54 and must not read back as 65540.
double ReadSeconds(std::string_view text) {
  return std::clamp(text::ReadNumber(text) * 1000, 0.0, kMaxTimeMs);
}

std::string RepeatText(int16_t NRep) {
  return std::to_string(NRep);
}

int16_t ReadRepeat(std::string_view text) {
  return text::RoundAndClamp<int16_t>(text::ReadNumber(text), 0, kMaxRepeat);
}

// The steps are counted in single precision: 0.58 s makes exactly 29 steps
// there, where double arithmetic would give 28.999... and so 0.56.
std::string ValidateTimeText(std::string_view text) {
  const float steps = std::floor(static_cast<float>(text::ReadNumber(text) * kStepsPerSecond));
  const float seconds = steps / kStepsPerSecond;
  if (seconds < 0) return "0";
  if (seconds > kMaxSeconds) return "10";
  const float rounded = std::nearbyint(seconds * 100.0f) / 100.0f;
  return Shortest(rounded);
}

std::string ValidateRepeatText(std::string_view text) {
  const double whole = std::floor(text::ReadNumber(text));
  if (!(whole >= 1)) return "1";
  if (whole > kMaxFieldRepeat) return "10";
  return std::to_string(static_cast<int>(whole));
}

namespace {

// The text without blanks around it, when it is a plain decimal number:
// digits and at most one ".".
std::optional<double> PlainNumber(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  bool digit = false, point = false;
  for (char c : text) {
    if (c == '.' && !point)
      point = true;
    else if (c >= '0' && c <= '9')
      digit = true;
    else
      return std::nullopt;
  }
  if (!digit) return std::nullopt;
  return text::ReadNumber(text);
}

constexpr size_t kQuotedBytes = 24;

}  // namespace

std::string CorrectionNote(std::string_view typed, const std::string& read, bool repeat) {
  if (typed == read) return {};
  const auto number = PlainNumber(typed);
  if (number && *number == text::ReadNumber(read)) return {};
  std::string quoted(typed.substr(0, kQuotedBytes));
  if (typed.size() > kQuotedBytes) quoted += "...";
  return repeat ? "Read as " + read + " (typed \"" + quoted +
                      "\"): the flash on clash repeats 1 to 10 times."
                : "Read as " + read + " s (typed \"" + quoted +
                      "\"): times are multiples of 0.02 s from 0 to 10 s.";
}

}  // namespace led
