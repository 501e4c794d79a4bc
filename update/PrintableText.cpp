#include "update/PrintableText.h"

namespace update {

namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of text; 0 when
// it is not one (a stray byte, an overlong form, a surrogate, beyond
// U+10FFFF, or cut short).
size_t SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  const auto second = static_cast<unsigned char>(text[1]);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 0;
  return length;
}

void Escape(std::string& out, std::string_view bytes) {
  constexpr const char* kHex = "0123456789abcdef";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[u >> 4];
    out += kHex[u & 0xF];
  }
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text[0]);
    size_t taken = 1;
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c == 0x7F) {
      Escape(out, text.substr(0, 1));
    } else if (c < 0x80) {
      out += text[0];
    } else if (const size_t length = SequenceLength(text); length == 0) {
      Escape(out, text.substr(0, 1));
    } else {
      taken = length;
      // U+0080 to U+009F: C2 80 to C2 9F.
      const bool c1 = c == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F;
      if (c1)
        Escape(out, text.substr(0, length));
      else
        out.append(text.substr(0, length));
    }
    text.remove_prefix(taken);
  }
  return out;
}

}  // namespace update
