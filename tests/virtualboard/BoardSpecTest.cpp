#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "virtualboard/BoardSpec.h"

namespace virtualboard {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

struct KindCase {
  std::string text;
  uint16_t id;
  bool led;
  size_t flashSize;
};

TEST(BoardSpec, KindsGiveIdFlashAndBoardType) {
  const std::vector<KindCase> cases = {
      {"sound", 0, false, 4 * kMiB},
      {"sound32", 32, false, 4 * kMiB},
      {"sound64", 64, false, 8 * kMiB},
      {"usb2", 4096 + 293, false, 4 * kMiB},
      {"usb2,fw=0", 4096, false, 4 * kMiB},
      {"usb2,fw=4095", 8191, false, 4 * kMiB},
      {"usb2new", 65535, false, 4 * kMiB},
      {"led", 256, true, 0},
      {"id=4200", 4200, false, 4 * kMiB},
      {"id=64", 64, false, 8 * kMiB},
      {"id=65535", 65535, false, 4 * kMiB},
      {"id=0", 0, false, 4 * kMiB},
      {"id=300", 300, true, 0},
      {"id=8192", 8192, true, 0},
      {"id=4095", 4095, true, 0},
      {"id=33", 33, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const BoardSpec spec = ParseBoardSpec(c.text);
    EXPECT_EQ(spec.id, c.id);
    EXPECT_EQ(spec.led, c.led);
    EXPECT_EQ(spec.flashSize, c.flashSize);
    EXPECT_EQ(IsSoundBoardId(c.id), !c.led);
  }
}

TEST(BoardSpec, DefaultsWhenOnlyAKindIsGiven) {
  const BoardSpec spec = ParseBoardSpec("sound");
  EXPECT_EQ(spec.kind, "sound");
  EXPECT_EQ(spec.eraseMs, 200);
  EXPECT_EQ(spec.ledCode, 1);
  EXPECT_TRUE(spec.flashFile.empty());
  EXPECT_EQ(spec.drop + spec.badEcho + spec.unplug + spec.noSn, 0);
  EXPECT_FALSE(spec.eraseNever || spec.refuseErase || spec.split || spec.silent);
}

TEST(BoardSpec, OptionsSetTheirFields) {
  const BoardSpec spec = ParseBoardSpec(
      "sound64,sn=0a1B2c3D,flash=/tmp/x.bin,erase-ms=0,drop=3,bad-echo=4,unplug=5,no-sn=2,"
      "erase-never,refuse-erase,split,silent");
  EXPECT_EQ(spec.serial, 0x0A1B2C3Du);
  EXPECT_EQ(spec.flashFile, "/tmp/x.bin");
  EXPECT_EQ(spec.eraseMs, 0);
  EXPECT_EQ(spec.drop, 3);
  EXPECT_EQ(spec.badEcho, 4);
  EXPECT_EQ(spec.unplug, 5);
  EXPECT_EQ(spec.noSn, 2);
  EXPECT_TRUE(spec.eraseNever && spec.refuseErase && spec.split && spec.silent);
}

TEST(BoardSpec, LedOptions) {
  EXPECT_EQ(ParseBoardSpec("led,ledcode=65535").ledCode, 65535);
  EXPECT_EQ(ParseBoardSpec("id=300,ledcode=0").ledCode, 0);
  EXPECT_EQ(ParseBoardSpec("usb2,sn=FFFFFFFF,fw=1").serial, 0xFFFFFFFFu);
}

// Each bad spec must be refused with a message that names the offending text.
void ExpectRefused(const std::string& text, const std::string& named) {
  SCOPED_TRACE(text);
  try {
    ParseBoardSpec(text);
    ADD_FAILURE() << "accepted";
  } catch (const BoardSpecError& e) {
    EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
  }
}

TEST(BoardSpec, RefusesUnknownKindsAndOptions) {
  ExpectRefused("", "has no kind");
  ExpectRefused(",sn=00000000", "has no kind");
  ExpectRefused("sound16", "unknown virtual board kind \"sound16\"");
  ExpectRefused("Sound", "\"Sound\"");
  ExpectRefused("sound,foo", "unknown virtual board option \"foo\"");
  ExpectRefused("sound,foo=1", "unknown virtual board option \"foo\"");
  ExpectRefused("sound,,drop=1", "empty option");
  ExpectRefused("sound,drop=1,", "empty option");
  ExpectRefused("sound,drop=1,drop=2", "\"drop\" is given twice");
}

TEST(BoardSpec, NoAccIsASoundBoardsFault) {
  EXPECT_TRUE(ParseBoardSpec("usb2,no-acc").noAcc);
  EXPECT_FALSE(ParseBoardSpec("usb2").noAcc);
  ExpectRefused("led,no-acc", "\"no-acc\" applies only to a sound board");
  ExpectRefused("sound,no-acc=1", "\"no-acc\" takes no value");
}

TEST(BoardSpec, RefusesMissingAndSurplusValues) {
  for (const std::string name :
       {"sn", "fw", "erase-ms", "ledcode", "drop", "bad-echo", "unplug", "no-sn"})
    ExpectRefused("usb2," + name, "\"" + name + "\" needs a value");
  ExpectRefused("sound,flash=", "\"flash\" needs a file name");
  ExpectRefused("sound,flash", "\"flash\" needs a value");
  for (const std::string name : {"erase-never", "refuse-erase", "split"})
    ExpectRefused("sound," + name + "=1", "\"" + name + "\" takes no value");
}

TEST(BoardSpec, RefusesBadNumbers) {
  for (const std::string bad :
       {"", "-1", "+1", " 1", "1 ", "1x", "0x10", "2147483648", "99999999999999999999999"})
    ExpectRefused("sound,drop=" + bad, "not \"" + bad + "\"");
  for (const std::string counter : {"drop", "bad-echo", "unplug", "no-sn"})
    ExpectRefused("sound," + counter + "=0", "from 1 to 2147483647");
  EXPECT_EQ(ParseBoardSpec("sound,drop=2147483647").drop, 2147483647);
  ExpectRefused("sound,erase-ms=600001", "\"600001\"");
  ExpectRefused("led,ledcode=65536", "\"65536\"");
  ExpectRefused("usb2,fw=4096", "\"4096\"");
  ExpectRefused("id=65536", "\"65536\"");
  ExpectRefused("id=", "id needs a whole number");
  ExpectRefused("id=-1", "\"-1\"");
}

TEST(BoardSpec, RefusesBadSerials) {
  for (const std::string bad : {"1234567", "123456789", "0A1B2C3G", "-1234567", "+1234567", ""})
    ExpectRefused("sound,sn=" + bad, "8 hexadecimal digits, not \"" + bad + "\"");
}

TEST(BoardSpec, RefusesOptionsThatDoNotFitTheKind) {
  ExpectRefused("sound,fw=292", "\"fw\" applies only to a usb2 board");
  ExpectRefused("usb2new,fw=292", "\"fw\"");
  ExpectRefused("led,flash=/tmp/f.bin", "\"flash\" applies only to a sound board");
  ExpectRefused("id=300,flash=/tmp/f.bin", "\"flash\"");
  ExpectRefused("sound,ledcode=3", "\"ledcode\" applies only to an LED driver");
  ExpectRefused("sound,eeprom=/tmp/e.bin", "\"eeprom\" applies only to an LED driver");
  ExpectRefused("led,eeprom=", "\"eeprom\" needs a file name");
}

}  // namespace
}  // namespace virtualboard
