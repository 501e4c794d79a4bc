#include "text/Encoding.h"

#include <array>
#include <cstdint>

namespace text {

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

namespace {

// The code point starting at bytes[at] and its length in bytes; length 0
// when no well-formed sequence starts there.
std::pair<char32_t, size_t> Decode(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) { return uint8_t(bytes[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  size_t length;
  char32_t c, min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return {0, 0};
  }
  if (bytes.size() - at < length) return {0, 0};
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, length};
}

char32_t LowerCase(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  switch (c) {
    case 0x0160:  // Š
    case 0x0152:  // Œ
    case 0x017D:  // Ž
      return c + 1;
    case 0x0178:  // Ÿ
      return 0xFF;
    default:
      return c;
  }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = Decode(bytes, at).second;
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Utf8FromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char b : bytes) {
    const uint8_t u = uint8_t(b);
    AppendUtf8(out, u >= 0x80 && u < 0xA0 ? kHighControls[u - 0x80] : char32_t(u));
  }
  return out;
}

std::string LineAsUtf8(std::string_view line) {
  if (IsValidUtf8(line)) return std::string(line);
  return Utf8FromWindows1252(line);
}

std::string FoldedCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const auto [c, length] = Decode(utf8, at);
    if (length == 0) {  // not UTF-8: kept byte for byte
      out += utf8[at++];
      continue;
    }
    AppendUtf8(out, LowerCase(c));
    at += length;
  }
  return out;
}

}  // namespace text
