// LED types from catalogue lines: every rule of a line with its bounds, the
// on and off ticks, and the colour conversions.

#include "led/LED_Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// One channel block; ML 1000 with a linear curve reaching 30 % there.
std::string Block(const std::string& color = "red", const std::string& ml = "1000",
                  const std::string& mdc = "30", const std::string& vl = "3.2",
                  const std::string& coef = "0_0_0_0;0_0_0.03_0;") {
  return "+Col=" + color + "ML" + ml + "MDC" + mdc + "VL" + vl + "Coef" + coef;
}

bool Valid(const std::string& line) {
  led::LED_Driver d;
  return d.Init(line);
}

TEST(LED_Driver, InitStoresTheLine) {
  led::LED_Driver d;
  ASSERT_TRUE(d.Init("Sample RG@7#2#1000" + Block() +
                     Block("green", "2500", "55", "3.4", "1_2_3_4;5_6_0.024_8;trailing text")));
  EXPECT_EQ(d.LEDName, "Sample RG");
  EXPECT_EQ(d.LedCode, 7);
  EXPECT_EQ(d.NrOfChannels, 2);
  EXPECT_EQ(d.Period, 1000);
  EXPECT_EQ(d.GetChannelColor(2), led::kGreen);
  EXPECT_EQ(d.GetMaxLum(2), 2500);
  EXPECT_EQ(d.GetMaxDC(9), 55);  // clamped to the last channel
  EXPECT_EQ(d.GetMaxLum(0), 1000);
  EXPECT_DOUBLE_EQ(d.GetVL(2), 3.4);
  EXPECT_EQ(d.GetCoef1(2), (led::LED_Driver::Coefficients{1, 2, 3, 4}));
  EXPECT_EQ(d.GetCoef2(2), (led::LED_Driver::Coefficients{5, 6, 0.024, 8}));
  // Blanks skipped, whole numbers rounded halves to even.
  ASSERT_TRUE(d.Init("Blanks@ 2 .5# 1 #1 000.5" + Block()));
  EXPECT_EQ(d.LedCode, 2);
  EXPECT_EQ(d.Period, 1000);
}

TEST(LED_Driver, NumbersWithinTheirBounds) {
  const std::pair<std::string, bool> lines[] = {
      {"T@1#1#10" + Block(), true},
      {"T@1#1#10000" + Block(), true},
      {"T@1#1#9" + Block(), false},
      {"T@1#1#10001" + Block(), false},
      {"T@1#1#1000" + Block("red", "101"), true},
      {"T@1#1#1000" + Block("red", "50000"), true},
      {"T@1#1#1000" + Block("red", "100"), false},
      {"T@1#1#1000" + Block("red", "50001"), false},
      {"T@1#1#1000" + Block("red", "1e20"), false},  // wider than 32 bits
      {"T@1#1#1000" + Block("red", "1000", "2"), true},
      {"T@1#1#1000" + Block("red", "1000", "100"), true},
      {"T@1#1#1000" + Block("red", "1000", "1"), false},
      {"T@1#1#1000" + Block("red", "1000", "101"), false},
      {"T@1#1#1000" + Block("red", "1000", "30", "3.0"), true},
      {"T@1#1#1000" + Block("red", "1000", "30", "9.0"), true},
      {"T@1#1#1000" + Block("red", "1000", "30", "2.9"), false},
      {"T@1#1#1000" + Block("red", "1000", "30", "9.1"), false},
      {"T@32767#1#1000" + Block(), true},
      {"T@32768#1#1000" + Block(), false},  // LedCode is 16 bits
      {"T@1#0#1000", false},
      {"T@1#5#1000" + Block() + Block() + Block() + Block() + Block(), false}};
  for (const auto& [line, valid] : lines) EXPECT_EQ(Valid(line), valid) << line;
}

TEST(LED_Driver, FormOfTheLine) {
  EXPECT_TRUE(Valid("T@1#4#1000" + Block() + Block("green") + Block("blue") + Block("white")));
  EXPECT_TRUE(Valid("T@1#1#1000" + Block("amber")));
  for (const char* color : {"Red", "red ", "purple", "MLred"})
    EXPECT_FALSE(Valid("T@1#1#1000" + Block(color))) << color;
  EXPECT_FALSE(Valid("T@1#3#1000" + Block() + Block("green")));  // 3 declared, 2 blocks
  EXPECT_FALSE(Valid("T@1#1#1000" + Block() + Block()));
  EXPECT_FALSE(Valid("T@1@2#1#1000" + Block()));
  EXPECT_FALSE(Valid("T#1#1000" + Block()));
  EXPECT_FALSE(Valid("T@1#1#1000#" + Block()));
  EXPECT_FALSE(Valid("T@1#1#1000"));
  for (const char* coef : {"0_0_0.03_0;0_0_0.03_0", "0_0.03_0;0_0_0.03_0;",
                           "0_0_0.03_0;0_0_0_0.03_0;"})  // two ";" parts, 3 and 5 numbers
    EXPECT_FALSE(Valid("T@1#1#1000" + Block("red", "1000", "30", "3.2", coef))) << coef;
}

led::LED_Driver ThirtyPercent(double overDrive) {
  led::LED_Driver d;
  EXPECT_TRUE(d.Init("T@1#1#1000" + Block()));
  d.OverDrive = overDrive;
  return d;
}

TEST(LED_Driver, OnAndOffTicks) {
  auto d = ThirtyPercent(100);
  EXPECT_EQ(d.GetToff(led::kDutyCycle, 1, 50), 301);  // capped at MaxDC 30
  EXPECT_EQ(d.GetToff(led::kDutyCycle, 1, -5), 1);
  EXPECT_EQ(d.GetToff(led::kDutyCycle, 1, 0.05), 2);  // floor(1.5) = 1 becomes ChannelTon + 1
  EXPECT_EQ(d.GetToff(led::kLuminance, 1, 500), 151);
  EXPECT_EQ(d.GetToff(led::kPercentOfMaxDC, 1, 250), 301);              // above 100 counts as 100
  EXPECT_EQ(d.GetToff(7, 1, 50), 1);                                    // unknown unit: duty 0
  EXPECT_EQ(ThirtyPercent(400).GetToff(led::kDutyCycle, 1, 50), 1001);  // 120 % held to 100 %

  // The early returns pass by MaxDC and OverDrive.
  auto dim = ThirtyPercent(10);
  EXPECT_EQ(dim.GetToff(led::kLuminance, 1, 1000), 1001);
  EXPECT_EQ(dim.GetToff(led::kDutyCycle, 1, 100), 1001);
  EXPECT_EQ(dim.GetToff(led::kLuminance, 1, 0), 1);
  EXPECT_EQ(dim.GetTon(led::kLuminance, 1, 0), 0);
  EXPECT_EQ(dim.GetTon(led::kLuminance, 1, 5), 1);
  EXPECT_EQ(dim.GetTon(led::kDutyCycle, 1, 100), 1);
}

TEST(LED_Driver, ColorModel) {
  led::LED_Driver twoReds;
  ASSERT_TRUE(twoReds.Init("Two reds@40#3#1000" + Block() + Block("green") + Block()));
  EXPECT_EQ(twoReds.FindColor(led::kRed), 3);
  EXPECT_EQ(twoReds.FindColor(led::kBlue), 0);

  led::LED_Driver d;
  ASSERT_TRUE(d.Init("RGB@11#3#1000" + Block("red", "1200") + Block("green", "4600") +
                     Block("blue", "1000")));
  // The dimmest channel taking part sets the scale.
  EXPECT_EQ(d.ConvertRGBtoLuminance(led::kRed, 255, false, false, false), 1000);
  EXPECT_EQ(d.ConvertRGBtoLuminance(led::kRed, 255, false, false, true), 1200);
  EXPECT_EQ(d.ConvertRGBtoLuminance(led::kRed, 51, true, true, true), 10000);  // of 50000
  EXPECT_EQ(d.ConvertLuminanceToRGB(led::kGreen, 4600), 255);
  EXPECT_EQ(d.ConvertLuminanceToRGB(led::kRed, 1000), 212);  // 212.5, half to even
  EXPECT_EQ(d.ConvertLuminanceToRGB(led::kWhite, 1000), -1);

  int16_t r = 0, g = 0, b = 0;
  led::SysToRGB(33023, r, g, b);
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(255, 128, 0));
  EXPECT_EQ(led::RGBToSys(255, 128, 0), 33023);
  led::SysToRGB(-2147483643, r, g, b);  // a system colour index: black here
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(0, 0, 0));
}

}  // namespace
