// Numbers read out of text: longest leading decimal number, blanks
// skipped anywhere, "." whatever the locale, halves rounded to even.

#include "text/NumberReading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(NumberReading, TakesTheLongestLeadingDecimalNumber) {
  const std::vector<std::pair<const char*, double>> cases = {
      {"12abc", 12}, {"  -3.5e2x", -350}, {"1 2 3", 123}, {"\t4\t2", 42},
      {".5", 0.5},   {"5.", 5},           {"+7", 7},      {"2E3", 2000},
      {"1e", 1},     {"1e+", 1},          {"3e-1", 0.3},  {"1,5", 1},
      {"- 4", -4},   {"0x10", 0},         {" 100 ", 100}, {"1.2.3", 1.2},
      {"", 0},       {"abc", 0},          {".", 0},       {"-", 0},
      {"+-3", 0},    {"e5", 0},           {"-.e1", 0},    {"007", 7}};
  for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(text::ReadNumber(text), value) << text;
}

TEST(NumberReading, NumbersBeyondADoubleSaturate) {
  EXPECT_EQ(text::ReadNumber("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(text::ReadNumber("-1e99999999999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(text::ReadNumber(std::string(400, '9') + ".5"),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(text::ReadNumber("1e-400"), 0);
  EXPECT_EQ(text::ReadNumber("0." + std::string(400, '0') + "1"), 0);
  EXPECT_EQ(text::ReadNumber("1000e-400"), 0);
}

TEST(NumberReading, RoundsHalvesToEven) {
  const std::vector<std::pair<double, double>> cases = {{0.5, 0},   {1.5, 2},    {2.5, 2},
                                                        {3.5, 4},   {-0.5, 0},   {-1.5, -2},
                                                        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}};
  for (auto [value, rounded] : cases) EXPECT_EQ(text::RoundHalfEven(value), rounded) << value;
  EXPECT_EQ(text::RoundToInteger<int16_t>(32767.4), 32767);
  EXPECT_EQ(text::RoundToInteger<int16_t>(32767.5), std::nullopt);
  EXPECT_EQ(text::RoundToInteger<int16_t>(-32768.5), -32768);
  EXPECT_EQ(text::RoundToInteger<int32_t>(std::nan("")), std::nullopt);
  EXPECT_EQ(text::RoundToInteger<int32_t>(-1e10), std::nullopt);
  EXPECT_EQ(text::RoundAndClamp<int16_t>(100.5, 0, 100), 100);
  EXPECT_EQ(text::RoundAndClamp<int16_t>(-1e300, 0, 100), 0);
  EXPECT_EQ(text::RoundAndClamp<int16_t>(std::nan(""), 0, 100), 0);
  EXPECT_EQ(text::RoundAndClamp<int16_t>(12.5, 0, 100), 12);
}

}  // namespace
