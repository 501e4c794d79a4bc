// An LED_Pulse as the board's pulse commands carry it, both ways.

#include "led/panel/PulseWire.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PulseWire, ToWireSendsWholeMsAndHoldsEveryValueToItsField) {
  led::LED_Driver oneChannel;
  ASSERT_TRUE(oneChannel.Init("One@2#1#1000+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;"));
  led::LED_Pulse p;
  p.SetLow(1, 0);
  p.SetHigh(1, 255);
  p.SetHigh(4, 77);
  p.CalculateTimes(oneChannel);  // full level: off tick Period + 1
  p.Ton = 1220.4;
  p.Toff = 2.5;  // halves to even
  p.Trise = 70000;
  p.Tfall = std::nan("");
  p.NRep = -1;

  const devlink::LEDPulseWire w = led::ToWire(p);
  EXPECT_EQ(w.channels[0].Low, 0);
  EXPECT_EQ(w.channels[0].High, 255);
  EXPECT_EQ(w.channels[0].Ton_Low, 0);
  EXPECT_EQ(w.channels[0].Toff_Low, 1);
  EXPECT_EQ(w.channels[0].Toff_High, 1001);
  EXPECT_EQ(w.channels[3].High, 77);
  EXPECT_EQ(w.Ton, 1220);
  EXPECT_EQ(w.Toff, 2);
  EXPECT_EQ(w.Trise, 65535);
  EXPECT_EQ(w.Tfall, 0);
  EXPECT_EQ(w.NRep, 0);

  p.Tfall = -3;
  p.NRep = 32767;
  EXPECT_EQ(led::ToWire(p).Tfall, 0);
  EXPECT_EQ(led::ToWire(p).NRep, 32767);
}

TEST(PulseWire, FromWireTakesLevelsTimesAndCountButKeepsTheTicks) {
  led::LED_Driver oneChannel;
  ASSERT_TRUE(oneChannel.Init("One@2#1#1000+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;"));
  led::LED_Pulse p;
  p.SetHigh(1, 255);
  p.CalculateTimes(oneChannel);

  devlink::LEDPulseWire w;
  w.channels[0].High = 10;
  w.channels[0].Low = 3;
  w.channels[0].Toff_High = 5;  // the board does not send ticks back
  w.channels[2].High = 200;
  w.Trise = 5;
  w.Ton = 1000;
  w.Tfall = 6;
  w.Toff = 65535;
  w.NRep = 40000;  // more than NRep holds
  led::FromWire(w, p);
  EXPECT_EQ(p.GetHigh(1), 10);
  EXPECT_EQ(p.GetLow(1), 3);
  EXPECT_EQ(p.GetHigh(3), 200);
  EXPECT_EQ(p.GetToff_High(1), 1001);
  EXPECT_EQ(p.Trise, 5);
  EXPECT_EQ(p.Ton, 1000);
  EXPECT_EQ(p.Tfall, 6);
  EXPECT_EQ(p.Toff, 65535);
  EXPECT_EQ(p.NRep, 32767);
}

}  // namespace
