// Pulse ticks computed from the levels through an LED type.

#include "led/LED_Pulse.h"

#include <gtest/gtest.h>

namespace {

led::LED_Driver Driver(const std::string& head, int channels, double overDrive) {
  std::string line = head;
  for (int k = 0; k < channels; ++k) line += "+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;";
  led::LED_Driver d;
  EXPECT_TRUE(d.Init(line));
  d.OverDrive = overDrive;
  return d;
}

TEST(LED_Pulse, TicksFromLevels) {
  led::LED_Pulse p;
  for (int16_t k = 1; k <= 4; ++k) p.SetHigh(k, 255);
  p.SetLow(2, 51);    // 51 x 1020 / 255 = 204 -> 10.2 % -> floor(102 + 1)
  p.SetHigh(3, 128);  // 512 -> 25.6 % -> floor(256 + 1)
  p.CalculateTimes(Driver("Four@1#4#1000", 4, 100));
  EXPECT_EQ(p.GetTon_Low(1), 0);
  EXPECT_EQ(p.GetToff_Low(1), 1);
  EXPECT_EQ(p.GetToff_Low(2), 103);
  EXPECT_EQ(p.GetToff_High(3), 257);
  p.CalculateTimes(Driver("Four@1#4#1000", 4, 20));
  EXPECT_EQ(p.GetToff_High(3), 52);    // 25.6 % x 0.2
  EXPECT_EQ(p.GetToff_High(4), 1001);  // full level is on whatever the overdrive

  // A one-channel type leaves the ticks of channels 2 to 4 alone.
  p.CalculateTimes(Driver("One@2#1#500", 1, 100));
  EXPECT_EQ(p.GetToff_High(1), 501);
  EXPECT_EQ(p.GetToff_High(4), 1001);
  EXPECT_EQ(p.GetToff_High(3), 52);
  EXPECT_EQ(p.GetToff_Low(2), 21);  // 10.2 % x 0.2
}

}  // namespace
