// Reading the LED catalogue: listing its entries behind the header check,
// selecting an entry by name, and the catalogue that ships.

#include "led/LedCatalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"

namespace {

constexpr const char* kRed = "+Col=redML2000MDC60VL3.2Coef0_0_0.03_0;0_0_0.03_0;";

std::string Catalogue(const std::string& text) {
  const std::string path = testing_support::UniqueTempPath("catalogue") + ".ldcfg";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(LedCatalogue, ListsTheEntriesBehindTheHeader) {
  const std::string body =
      std::string("\r\nRed@1#1#1000") + kRed + "\r\n\r\nRR@7#2#1000" + kRed + kRed + "\r\n";
  auto entries = led::EnumerateCatalogue(Catalogue("KestraneLEDConfigurator#2.0" + body));
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[1].LEDName, "RR");
  EXPECT_EQ((*entries)[1].LedCode, 7);
  for (const char* header : {"KestraneLEDConfigurator#3", "KestraneLEDConfigurator",
                             "kestraneLEDConfigurator#2", "\r\nKestraneLEDConfigurator#2"})
    EXPECT_FALSE(led::EnumerateCatalogue(Catalogue(header + body))) << header;
  EXPECT_FALSE(led::EnumerateCatalogue(
      Catalogue("KestraneLEDConfigurator#2" + body + "Bad@2#2#1000" + kRed + "\r\n")));
  EXPECT_FALSE(led::EnumerateCatalogue(::testing::TempDir() + "no_such.ldcfg"));
}

TEST(LedCatalogue, SelectingByNameTakesTheLastMatch) {
  const std::string path = Catalogue(std::string("Header is not checked\r\nTwin@1#1#1000") + kRed +
                                     "\r\nTwin@3#1#2000" + kRed + "\r\nBroken@4#2#1000" + kRed);
  led::LED_Driver d;
  int matches = 0;
  EXPECT_TRUE(led::SelectFromCatalogue(path, "Twin", d, [&] { ++matches; }));
  EXPECT_EQ(matches, 2);
  EXPECT_EQ(d.LedCode, 3);
  EXPECT_TRUE(led::SelectFromCatalogue(path, "twin", d, [&] { ++matches; }));  // no match
  EXPECT_EQ(matches, 2);
  EXPECT_EQ(d.LedCode, 3);
  EXPECT_FALSE(led::SelectFromCatalogue(path, "Broken", d, [] {}));
}

TEST(LedCatalogue, TheShippedCatalogueIsValid) {
  const auto entries = led::EnumerateCatalogue(SHIPPED_CATALOGUE);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->front().LedCode, 1);  // what a new LED driver reports
  std::set<int> codes, channelCounts;
  for (const auto& e : *entries) {
    EXPECT_TRUE(codes.insert(e.LedCode).second) << "code " << e.LedCode << " twice";
    led::LED_Driver d;
    ASSERT_TRUE(led::SelectFromCatalogue(SHIPPED_CATALOGUE, e.LEDName, d, [] {}));
    EXPECT_EQ(d.LedCode, e.LedCode) << e.LEDName << " twice";
    channelCounts.insert(d.NrOfChannels);
  }
  EXPECT_EQ(channelCounts, (std::set<int>{1, 2, 3, 4}));

  const std::string text = testing_support::ReadBytes(SHIPPED_CATALOGUE);
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    EXPECT_EQ(text[at - 1], '\r') << "line end at byte " << at;
}

}  // namespace
