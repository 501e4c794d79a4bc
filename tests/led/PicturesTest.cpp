// What the LED panel's pictures show: the blade colour of channel levels on
// catalogue LED types, and the points of the pulse graphs.

#include <gtest/gtest.h>

#include <fstream>

#include "led/BladeColor.h"
#include "led/LedCatalogue.h"
#include "led/PulseGraph.h"

namespace {

using led::GraphPoint;
using led::Rgb;

led::LED_Driver CatalogueType(const std::string& name) {
  led::LED_Driver d;
  int matches = 0;
  EXPECT_TRUE(led::SelectFromCatalogue(SHIPPED_CATALOGUE, name, d, [&] { ++matches; }));
  EXPECT_EQ(matches, 1) << name;
  return d;
}

void ExpectNear(const Rgb& got, const Rgb& want, int tolerance, const std::string& what) {
  EXPECT_NEAR(got.red, want.red, tolerance) << what;
  EXPECT_NEAR(got.green, want.green, tolerance) << what;
  EXPECT_NEAR(got.blue, want.blue, tolerance) << what;
}

TEST(BladeColor, LevelsOfAnRgbType) {
  // Red 1400, green 5200, blue 1100: blue, the dimmest primary, sets the scale.
  const led::LED_Driver rgb = CatalogueType("Tri-Cree RGB (XP-E2)");
  EXPECT_EQ(led::FullScaleLuminance(rgb), 1100);
  EXPECT_EQ(led::BladeColor(rgb, {0, 0, 0, 0}), (Rgb{0, 0, 0}));
  EXPECT_EQ(led::BladeColor(rgb, {0, 0, 128, 0}), (Rgb{0, 0, 128}));
  // Red alone at full is brighter than the scale: dimmed to pure red.
  EXPECT_EQ(led::BladeColor(rgb, {255, 0, 0, 0}), (Rgb{255, 0, 0}));
  // All three at full: 324.5, 1205.5 and 255, dimmed as a whole - the green
  // emitter outshines the others.
  EXPECT_EQ(led::BladeColor(rgb, {255, 255, 255, 0}), (Rgb{69, 255, 54}));
  // Levels are held to 0..255; a fourth level the type lacks takes no part.
  EXPECT_EQ(led::BladeColor(rgb, {300, -4, 0, 255}), (Rgb{255, 0, 0}));
}

// What the colour picker sets with colour fidelity comes back as the
// picked colour, within the rounding of the levels.
TEST(BladeColor, APickWithColourFidelityShowsAsItself) {
  const led::LED_Driver rgb = CatalogueType("Luxeon Rebel RGB");
  const Rgb picks[] = {{255, 255, 255}, {255, 128, 0}, {40, 200, 255}, {255, 0, 255}};
  for (const Rgb& pick : picks) {
    const bool exceptR = pick.red == 0, exceptG = pick.green == 0, exceptB = pick.blue == 0;
    auto level = [&](int32_t color, int value) {
      return rgb.ConvertLuminanceToRGB(
          color, rgb.ConvertRGBtoLuminance(led::kRed, int16_t(value), exceptR, exceptG, exceptB));
    };
    const led::ChannelLevels levels = {level(led::kRed, pick.red), level(led::kGreen, pick.green),
                                       level(led::kBlue, pick.blue), 0};
    ExpectNear(led::BladeColor(rgb, levels), pick, 2,
               std::to_string(pick.red) + "," + std::to_string(pick.green) + "," +
                   std::to_string(pick.blue));
  }
}

TEST(BladeColor, TypesWithoutAllPrimaries) {
  // No red, green or blue: the channel's own full luminance is the scale.
  EXPECT_EQ(led::BladeColor(CatalogueType("Cree XP-L White"), {128, 0, 0, 0}),
            (Rgb{128, 128, 128}));
  EXPECT_EQ(led::BladeColor(CatalogueType("Cree XP-E2 Amber"), {255, 0, 0, 0}), (Rgb{255, 128, 0}));
  // Red 1400 sets the scale; white (14000) at a fifth is twice as bright
  // and whitens the red.
  const led::LED_Driver redWhite = CatalogueType("XP-E2 Red / XP-L White");
  EXPECT_EQ(led::BladeColor(redWhite, {255, 0, 0, 0}), (Rgb{255, 0, 0}));
  EXPECT_EQ(led::BladeColor(redWhite, {0, 51, 0, 0}), (Rgb{255, 255, 255}));
  EXPECT_EQ(led::BladeColor(redWhite, {255, 51, 0, 0}), (Rgb{255, 170, 170}));
  // The emitters' light, not the label colours: green and blue are pure.
  EXPECT_EQ(led::EmitterColor(led::kBlue), (Rgb{0, 0, 255}));
  EXPECT_EQ(led::CodeColor(led::kBlue), (Rgb{128, 128, 255}));
  EXPECT_EQ(led::BladeColor(led::LED_Driver{}, {255, 255, 255, 255}), (Rgb{0, 0, 0}));
}

TEST(PulseGraph, CornersOfTheIdlePulse) {
  const led::PulseTimes idle{500, 1000, 250, 750, 2};  // rise, on, fall, off; two cycles
  const std::vector<GraphPoint> want = {{0, 10},    {0.5, 200}, {1.5, 200}, {1.75, 10}, {2.5, 10},
                                        {3.0, 200}, {4.0, 200}, {4.25, 10}, {5.0, 10}};
  EXPECT_EQ(led::PulseCurve(idle, 10, 200), want);

  EXPECT_EQ(led::LevelAt(idle, 10, 200, 0), 10);
  EXPECT_EQ(led::LevelAt(idle, 10, 200, 250), 105);   // half way up
  EXPECT_EQ(led::LevelAt(idle, 10, 200, 1000), 200);  // on
  EXPECT_EQ(led::LevelAt(idle, 10, 200, 1625), 105);  // half way down
  EXPECT_EQ(led::LevelAt(idle, 10, 200, 2000), 10);   // off
  EXPECT_EQ(led::LevelAt(idle, 10, 200, 2750), 105);  // the cycle repeats
  EXPECT_EQ(led::LevelAt(idle, 200, 10, 250), 105);   // a high level below the low one
  EXPECT_EQ(led::LevelAt(led::PulseTimes{}, 10, 200, 300), 10);
}

TEST(PulseGraph, TheFlashOnClashStepsWithoutRiseOrFall) {
  const led::PulseTimes flash{0, 100, 0, 200, 3};
  const std::vector<GraphPoint> want = {{0, 50},    {0, 255},   {0.1, 255}, {0.1, 50}, {0.3, 50},
                                        {0.3, 255}, {0.4, 255}, {0.4, 50},  {0.6, 50}, {0.6, 255},
                                        {0.7, 255}, {0.7, 50},  {0.9, 50}};
  const auto got = led::PulseCurve(flash, 50, 255);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].seconds, want[i].seconds, 1e-12) << i;
    EXPECT_EQ(got[i].level, want[i].level) << i;
  }
  // A pulse of no time at all: one step at 0 s.
  EXPECT_EQ(led::PulseCurve(led::PulseTimes{0, 0, 0, 0, 0}, 0, 9),
            (std::vector<GraphPoint>{{0, 0}, {0, 9}, {0, 0}}));
}

TEST(PulseGraph, OneCurvePerChannelInItsColour) {
  const led::LED_Driver redWhite = CatalogueType("XP-E2 Red / XP-L White");
  led::LED_Pulse pulse;
  pulse.SetLow(1, 20);
  pulse.SetHigh(1, 255);
  pulse.SetHigh(2, 51);
  pulse.SetHigh(3, 99);  // not a channel of the type
  const led::PulseTimes times{0, 1000, 0, 1000, 1};
  const auto curves = led::PulseGraph(redWhite, pulse, times);
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(curves[0].color, (Rgb{255, 0, 0}));
  EXPECT_EQ(curves[1].color, (Rgb{255, 255, 255}));
  EXPECT_EQ(curves[0].points.front(), (GraphPoint{0, 20}));
  EXPECT_EQ(curves[1].points.at(1), (GraphPoint{0, 51}));
  EXPECT_EQ(led::PulseColorAt(redWhite, pulse, times, 500), (Rgb{255, 170, 170}));
  EXPECT_EQ(led::PulseColorAt(redWhite, pulse, times, 1500),
            led::BladeColor(redWhite, {20, 0, 0, 0}));
}

}  // namespace
