// Lines from files written on other systems: UTF-8 kept, anything else read
// as Windows-1252; names compared without regard to case.

#include "text/Encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(Encoding, AWindowsLineComesOutAsUtf8AndUtf8StaysAsItIs) {
  // "C:\Sabres\Épée–1.lsu" in Windows-1252 (É C9, é E9, – 96).
  EXPECT_EQ(text::LineAsUtf8("C:\\Sabres\\\xC9p\xE9\x65\x96\x31.lsu"),
            "C:\\Sabres\\\u00C9p\u00E9\x65\u2013\x31.lsu");
  EXPECT_EQ(text::LineAsUtf8("\x80\x81\x8A\x9F\xA0\xFF"), "\u20AC\u0081\u0160\u0178\u00A0\u00FF");
  const std::string utf8 = "/home/kaja/\u00C9p\u00E9\x65 \u2013 \U0001F3B5.lsu";
  EXPECT_EQ(text::LineAsUtf8(utf8), utf8);
  EXPECT_EQ(text::LineAsUtf8("plain/ascii.lsu"), "plain/ascii.lsu");
}

TEST(Encoding, OnlyWellFormedUtf8CountsAsUtf8) {
  for (const char* bad : {"\xC0\xAF",          // overlong "/"
                          "\xE0\x80\xAF",      // overlong, three bytes
                          "\xED\xA0\x80",      // a surrogate
                          "\xF4\x90\x80\x80",  // above U+10FFFF
                          "\xE2\x82",          // cut short
                          "a\x80z",            // a lone continuation byte
                          "\xF8\x88\x80\x80\x80"})
    EXPECT_FALSE(text::IsValidUtf8(bad)) << bad;
  EXPECT_EQ(text::LineAsUtf8("\xE2\x82"), "\u00E2\u201A") << "read as two Windows-1252 bytes";
  for (const char* good : {"", "\u00FF", "\u20AC", "\U0010FFFF", "\xEF\xBB\xBF"})
    EXPECT_TRUE(text::IsValidUtf8(good)) << good;
}

TEST(Encoding, FoldedCaseLowersTheLettersOfTheWindowsCodePage) {
  EXPECT_EQ(text::FoldedCase("HUM \u00C9P\u00C9E \u0160\u0152\u017D\u0178.LSU"),
            "hum \u00E9p\u00E9e \u0161\u0153\u017E\u00FF.lsu");
  EXPECT_EQ(text::FoldedCase("\u00D7\u00DF\u2013"), "\u00D7\u00DF\u2013") << "no letters to fold";
  EXPECT_EQ(text::FoldedCase("A\xFFZ"), "a\xFFz") << "bytes that are not UTF-8 are kept";
}

}  // namespace
