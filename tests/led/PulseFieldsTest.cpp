// The pulse fields' texts: seconds shown, milliseconds read, and the
// corrections when a field loses the focus.

#include "led/PulseFields.h"

#include <gtest/gtest.h>

namespace {

TEST(PulseFields, CorrectionsWhenLeft) {
  const std::pair<const char*, const char*> times[] = {
      {"1.234", "1.22"},  {"0.07", "0.06"}, {"0.58", "0.58"}, {"-3", "0"},
      {"12", "10"},       {"abc", "0"},     {"10.01", "10"},  {"9.99", "9.98"},
      {" 2 . 5s", "2.5"}, {"1e999", "10"},  {"-0", "0"}};
  for (auto [typed, shown] : times) EXPECT_EQ(led::ValidateTimeText(typed), shown) << typed;
  const std::pair<const char*, const char*> repeats[] = {
      {"3.9", "3"}, {"0", "1"}, {"25", "10"}, {"abc", "1"}, {"1e999", "10"}};
  for (auto [typed, shown] : repeats) EXPECT_EQ(led::ValidateRepeatText(typed), shown) << typed;
}

TEST(PulseFields, ShowingAndReading) {
  const std::pair<double, const char*> shown[] = {{1234, "1.23"}, {1500, "1.5"}, {20, "0.02"},
                                                  {0, "0"},       {20000, "20"}, {1225, "1.22"}};
  for (auto [ms, text] : shown) EXPECT_EQ(led::SecondsText(ms), text) << ms;
  EXPECT_DOUBLE_EQ(led::ReadSeconds("1.5"), 1500);
  EXPECT_EQ(led::ReadRepeat("2.5"), 2);
  EXPECT_EQ(led::ReadRepeat("99999"), 32767);
}

}  // namespace
