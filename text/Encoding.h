#pragma once
// Text from files written on other systems. Configuration files made on
// Windows hold their paths in the system code page, Windows-1252 for the
// western languages the boards are sold in; files made here hold UTF-8.
// A line is read as UTF-8 when it is valid UTF-8 and as Windows-1252
// otherwise, so each line of a mixed file comes out right on its own.

#include <string>
#include <string_view>

namespace text {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view bytes);

// Every byte as the Windows-1252 character it stands for, in UTF-8. The
// five bytes that code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the control characters of the same number, as Windows maps them.
std::string Utf8FromWindows1252(std::string_view bytes);

// Appends one code point in UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The line unchanged when it is valid UTF-8, else read as Windows-1252.
std::string LineAsUtf8(std::string_view line);

// UTF-8 text with the letters of ASCII, Latin-1 and the other letters of
// Windows-1252 (Š, Œ, Ž, Ÿ) in lower case, for comparing file names
// without regard to case. Other characters are kept as they are.
std::string FoldedCase(std::string_view utf8);

}  // namespace text
