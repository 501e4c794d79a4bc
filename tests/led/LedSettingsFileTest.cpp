// The LED settings file: its exact lines, a round trip, and the files that
// are refused.

#include "led/LedSettingsFile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/TempFiles.h"

namespace {

struct Pulses {
  led::LED_Pulse idle, foc;
  led::SettingsRead Read(const std::string& text) {
    std::istringstream in(text);
    return led::ReadLedSettings(in, idle, foc);
  }
};

constexpr const char* kHeader = "KestraneLEDSettings#1\r\n";
constexpr const char* kIdle = "PULSE+Low=40_0_0_0+High=255_0_0_0+Times=1000_500_0_0\r\n";

TEST(LedSettingsFile, RoundTripOfTheExactLines) {
  const std::string text = std::string(kHeader) + kIdle + "FOC=255_255_255_0+Times=100_100_3\r\n";
  Pulses in;
  in.foc.SetLow(1, 11);
  in.foc.Trise = 7;
  ASSERT_EQ(in.Read(text).status, led::SettingsStatus::Ok);
  EXPECT_EQ(in.idle.GetLow(1), 40);
  EXPECT_EQ(in.foc.NRep, 3);
  EXPECT_EQ(in.foc.GetLow(1), 11);  // not in the file
  EXPECT_EQ(led::LedSettingsText(in.idle, in.foc), text);

  in.idle.Ton = 20.5;
  in.idle.Tfall = 65535;
  const std::string path = testing_support::UniqueTempPath("roundtrip") + ".ldset";
  ASSERT_TRUE(led::WriteLedSettingsFile(path, in.idle, in.foc));
  Pulses back;
  EXPECT_EQ(led::ReadLedSettingsFile(path, back.idle, back.foc).status, led::SettingsStatus::Ok);
  EXPECT_EQ(led::IdlePulseLine(back.idle),
            "PULSE+Low=40_0_0_0+High=255_0_0_0+Times=20.5_500_0_65535");
  std::remove(path.c_str());
  EXPECT_FALSE(led::WriteLedSettingsFile(::testing::TempDir() + "no/dir/x.ldset", in.idle, in.foc));

  // LF line ends, text before the key, blanks in numbers, halves to even.
  Pulses loose;
  EXPECT_EQ(loose
                .Read("KestraneLEDSettings#1\nx PULSE+Low=1 0_2.5_3.5_0+High=1_2_3_4+Times=1_2_3_4"
                      "\nFOC=5_6_7_8+Times=9_10_2.5x\n")
                .status,
            led::SettingsStatus::Ok);
  EXPECT_EQ(loose.idle.GetLow(1), 10);
  EXPECT_EQ(loose.idle.GetLow(2), 2);
  EXPECT_EQ(loose.idle.GetLow(3), 4);
  EXPECT_EQ(loose.foc.NRep, 2);
}

TEST(LedSettingsFile, CorruptedFilesStopWhereTheyGoWrong) {
  for (const char* text : {"KestraneLEDSettings#2\r\n", "KestraneLEDSettings#1 \r\n", ""})
    EXPECT_EQ(Pulses().Read(text).status, led::SettingsStatus::Corrupted) << text;
  for (const char* line : {"PULSE+Low=1_2_3_4_5+High=1_2_3_4+Times=1_2_3_4",  // five low levels
                           "PULSE+Low=1_2_3_4+High=1_2_3_4+Times=1_2_3",
                           "PULSE+Low=1_2_3_4+High=1_2_3_4+High=1_2_3_4+Times=1_2_3_4",
                           "pulse+low=1_2_3_4+High=1_2_3_4+Times=1_2_3_4"}) {
    const auto read = Pulses().Read(kHeader + std::string(line));
    EXPECT_EQ(read.status, led::SettingsStatus::Corrupted) << line;
    EXPECT_FALSE(read.idleRead) << line;
  }
  // A bad line 3 leaves the idle pulse read and the flash on clash as it was.
  for (const char* line : {"FOC=1_2_3_4+Times=1_2_3_4", "FOC=1_2_3_4", ""}) {
    Pulses p;
    p.foc.Ton = 777;
    const auto read = p.Read(kHeader + std::string(kIdle) + line);
    EXPECT_EQ(read.status, led::SettingsStatus::Corrupted) << line;
    EXPECT_TRUE(read.idleRead && !read.focRead) << line;
    EXPECT_EQ(p.idle.GetHigh(1), 255) << line;
    EXPECT_EQ(p.foc.Ton, 777) << line;
  }
  Pulses missing;
  EXPECT_EQ(led::ReadLedSettingsFile("no_such.ldset", missing.idle, missing.foc).status,
            led::SettingsStatus::Corrupted);
}

TEST(LedSettingsFile, ValuesTheBoardCannotTakeAreRefused) {
  for (const char* line : {"PULSE+Low=256_0_0_0+High=0_0_0_0+Times=0_0_0_0",
                           "PULSE+Low=0_0_0_0+High=0_0_0_-1+Times=0_0_0_0",
                           "PULSE+Low=0_0_0_0+High=0_0_0_0+Times=65536_0_0_0"}) {
    Pulses p;
    EXPECT_EQ(p.Read(kHeader + std::string(line)).status, led::SettingsStatus::OutOfRange) << line;
    EXPECT_EQ(p.idle.GetLow(1), 0) << line;
  }
  for (const char* line :
       {"FOC=0_0_0_0+Times=0_70000_1", "FOC=0_0_0_0+Times=0_0_32768", "FOC=0_0_0_0+Times=0_0_-1"}) {
    Pulses p;
    EXPECT_EQ(p.Read(kHeader + std::string(kIdle) + line).status, led::SettingsStatus::OutOfRange)
        << line;
    EXPECT_EQ(p.foc.NRep, 0) << line;
  }
  Pulses edge;
  EXPECT_EQ(edge.Read(kHeader + std::string(kIdle) + "FOC=255_0_0_0+Times=65535_0_32767").status,
            led::SettingsStatus::Ok);
}

}  // namespace
