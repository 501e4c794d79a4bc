#include "text/NumberReading.h"

#include <charconv>
#include <string>

namespace text {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the run of digits at the start of s.
size_t Digits(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && IsDigit(s[n])) ++n;
  return n;
}

// The longest prefix of s of the form [sign] digits [. digits] [e [sign]
// digits] with at least one digit before the exponent; empty when there is
// none. Also reports where the exponent part starts (npos without one).
std::string_view LeadingNumber(std::string_view s, size_t& exponentAt) {
  exponentAt = std::string_view::npos;
  size_t n = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  size_t digits = Digits(s.substr(n));
  n += digits;
  if (n < s.size() && s[n] == '.') {
    const size_t fraction = Digits(s.substr(n + 1));
    if (digits + fraction > 0) {
      n += 1 + fraction;
      digits += fraction;
    }
  }
  if (digits == 0) return {};
  if (n < s.size() && (s[n] == 'e' || s[n] == 'E')) {
    size_t e = n + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    const size_t expDigits = Digits(s.substr(e));
    if (expDigits > 0) {
      exponentAt = n;
      n = e + expDigits;
    }
  }
  return s.substr(0, n);
}

// from_chars only says "out of range" for a number too large or too small
// for a double; tell which by the number's decimal magnitude.
double OutOfRange(std::string_view number, size_t exponentAt) {
  const bool negative = number[0] == '-';
  std::string_view mantissa = number.substr(0, exponentAt);
  if (mantissa[0] == '+' || mantissa[0] == '-') mantissa.remove_prefix(1);
  // Decimal position of the first significant digit: digits before the
  // point count up, zeros after it count down.
  long long magnitude = 0;
  const size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const size_t firstWhole = whole.find_first_not_of('0');
  if (firstWhole != std::string_view::npos) {
    magnitude = static_cast<long long>(whole.size() - firstWhole);
  } else if (point != std::string_view::npos) {
    const std::string_view fraction = mantissa.substr(point + 1);
    const size_t firstFraction = fraction.find_first_not_of('0');
    if (firstFraction == std::string_view::npos) return negative ? -0.0 : 0.0;
    magnitude = -static_cast<long long>(firstFraction);
  }
  if (exponentAt != std::string_view::npos) {
    std::string_view exponent = number.substr(exponentAt + 1);
    const bool down = exponent[0] == '-';
    if (exponent[0] == '+' || exponent[0] == '-') exponent.remove_prefix(1);
    // Any exponent of more than 9 digits settles the question by itself.
    long long value = exponent.size() > 9 ? 1000000000LL : std::stoll(std::string(exponent));
    magnitude += down ? -value : value;
  }
  const double result = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return negative ? -result : result;
}

}  // namespace

double ReadNumber(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (!IsBlank(c)) compact.push_back(c);
  size_t exponentAt = 0;
  std::string_view number = LeadingNumber(compact, exponentAt);
  if (number.empty()) return 0;
  // from_chars takes no "+" sign.
  const bool plus = number[0] == '+';
  const std::string_view digits = plus ? number.substr(1) : number;
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) return OutOfRange(number, exponentAt);
  return value;
}

}  // namespace text
