// The sound configuration: filling and emptying categories, what is
// missing, coding with progress, flash addresses and the file table.

#include "sound/LSU_Configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace sound;

class Configuration : public ::testing::Test {
 protected:
  std::string Lsu(const std::string& name, size_t n) {
    sound_test::WriteLsu(dir.Path(name + ".lsu"), sound_test::Samples(n));
    return dir.Path(name + ".lsu");
  }
  void Add(int type, const std::string& name, size_t n) {
    ASSERT_TRUE(config.AddFile(Lsu(name, n), type)) << name;
  }
  void Fill(size_t singles, int mt, int imp, int lk) {
    for (int type : {kBoot, kPwrOn, kPwrOff, kIdle}) Add(type, "s" + std::to_string(type), singles);
    for (auto [type, count] : {std::pair{4, mt}, {5, imp}, {6, lk}})
      for (int k = 0; k < count; ++k)
        Add(type, std::to_string(type) + "_" + std::to_string(k), 100);
  }
  // The table after a memory map: its size, checksum and each file's entry.
  std::vector<uint8_t> CheckedTable() {
    const auto t = config.GetFileTable();
    auto get24 = [&](size_t at) { return t[at] << 16 | t[at + 1] << 8 | t[at + 2]; };
    const auto files = config.FilesInFlashOrder();
    EXPECT_EQ(t.size(), 6 * (files.size() - 4) + 30);
    EXPECT_EQ((std::vector<int>{t[0], t[1], t[2], t[3]}),
              (std::vector<int>{config.NrOfMt(), config.NrOfImp(), config.NrOfLk(), 0}));
    for (size_t k = 0; k < files.size(); ++k) {
      EXPECT_EQ(get24(4 + 6 * k), files[k]->Address) << k;
      EXPECT_EQ(get24(7 + 6 * k), files[k]->NrOfBytes) << k;
    }
    uint32_t sum = 0;
    for (size_t i = 0; i + 2 < t.size(); ++i) sum += t[i];
    EXPECT_EQ(t[t.size() - 2] << 8 | t[t.size() - 1], sum % 65536);
    return t;
  }

  testing_support::TempFolder dir;
  LSU_Configuration config;
  testing_support::RecordingHooks hooks;
};

TEST_F(Configuration, CheckIntegrityNamesTheFirstMissingCategoryInFlashOrder) {
  EXPECT_EQ(config.CheckIntegrity(), kBoot);
  EXPECT_EQ(config.TotalNrOfSamples(), 0);
  const std::vector<std::pair<int, int16_t>> steps = {
      {kBoot, kPwrOn},    {kPwrOn, kPwrOff},  {kPwrOff, kIdle}, {kIdle, kMotion},
      {kMotion, kImpact}, {kImpact, kLockup}, {kLockup, 0}};
  for (auto [type, missingAfter] : steps) {
    Add(type, "f" + std::to_string(type), 60);
    EXPECT_EQ(config.CheckIntegrity(), missingAfter) << "after adding " << type;
  }
  config.RemoveFile(0, kIdle);
  EXPECT_EQ(config.CheckIntegrity(), kIdle);
}

TEST_F(Configuration, AddFileRefusesInvalidFilesAndFullListsWithoutChange) {
  Add(kBoot, "boot1", 1000);
  EXPECT_FALSE(config.AddFile(Lsu("short", 48), kBoot));
  EXPECT_FALSE(config.AddFile(Lsu("x", 100), 8));
  EXPECT_EQ(config.BootFile().FileName, dir.Path("boot1.lsu"));
  Add(kBoot, "boot2", 2500);
  EXPECT_EQ(config.TotalNrOfSamples(), 2500) << "the replaced file's samples are gone";
  for (int k = 1; k <= 12; ++k) Add(kMotion, "m" + std::to_string(k), 50 + k);
  EXPECT_FALSE(config.AddFile(Lsu("m13", 100), kMotion));
  EXPECT_FALSE(config.AddFile(Lsu("bad", 10), kImpact));
  EXPECT_EQ(config.NrOfMt(), 12);
  EXPECT_EQ(config.NrOfImp(), 0);
  EXPECT_EQ(config.TotalNrOfSamples(), 2500 + 12 * 50 + 78);
  EXPECT_EQ(config.GetMtFile(12).NrOfSamples, 62);
  EXPECT_THROW(config.GetMtFile(13), std::out_of_range);
}

TEST_F(Configuration, RemovedFilesCloseTheGapWithTheirVolumes) {
  for (auto [name, volume] : {std::pair{"A", 30}, {"B", 60}, {"C", 90}}) {
    Add(kMotion, name, 100);
    config.SetVolume(kMotion, config.NrOfMt(), volume);
  }
  for (auto [number, type] : {std::pair{-1, 4}, {3, 4}, {0, 9}}) config.RemoveFile(number, type);
  EXPECT_EQ(config.NrOfMt(), 3);
  config.RemoveFile(1, kMotion);
  EXPECT_EQ(config.NrOfMt(), 2);
  EXPECT_EQ(config.TotalNrOfSamples(), 200);
  EXPECT_EQ(config.GetMtFile(1).FileName, dir.Path("A.lsu"));
  EXPECT_EQ(config.GetVolume(kMotion, 1), 30);
  EXPECT_EQ(config.GetMtFile(2).FileName, dir.Path("C.lsu"));
  EXPECT_EQ(config.GetVolume(kMotion, 2), 90);

  Add(kBoot, "boot", 500);
  config.SetVolume(kBoot, 0, 20);
  config.RemoveFile(0, kBoot);
  EXPECT_EQ(config.TotalNrOfSamples(), 200);
  EXPECT_EQ(config.BootFile().FileName, "");
  EXPECT_EQ(config.GetVolume(kBoot, 0), 20) << "an emptied slot keeps its volume";
}

TEST_F(Configuration, VolumesAreRoundedAndHeldToZeroTo100) {
  Add(kImpact, "i", 100);
  for (auto [value, stored] : std::vector<std::pair<double, int16_t>>{
           {50.5, 50}, {51.5, 52}, {150, 100}, {-20, 0}, {1e300, 100}, {-0.5, 0}}) {
    config.SetVolume(kImpact, 1, value);
    config.SetVolume(kIdle, 0, value);
    EXPECT_EQ(config.GetVolume(kImpact, 1), stored) << value;
    EXPECT_EQ(config.GetVolume(kIdle, 0), stored) << value;
  }
  config.SetVolume(kImpact, 13, 10);
  EXPECT_EQ(config.GetVolume(0, 1) + config.GetVolume(8, 1) + config.GetVolume(kImpact, 13), 0);
}

TEST_F(Configuration, AddressesFollowEachOtherWithOneSkippedByte) {
  Add(kBoot, "boot", 2000);   // 3000 coded bytes
  Add(kPwrOn, "on", 1000);    // 1500
  Add(kPwrOff, "off", 999);   // 1500: padded to an even count
  Add(kIdle, "idle", 20000);  // 30000
  Add(kMotion, "m1", 100);    // 150
  Add(kMotion, "m2", 51);     // 78
  Add(kImpact, "i1", 50);     // 75
  Add(kLockup, "l1", 49);     // 75
  ASSERT_TRUE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()));
  std::vector<int32_t> addresses;
  for (const auto* file : config.FilesInFlashOrder()) addresses.push_back(file->Address);
  EXPECT_EQ(addresses, (std::vector<int32_t>{512, 3513, 5014, 6515, 36516, 36667, 36746, 36822}));
  const auto table = CheckedTable();
  EXPECT_EQ(std::vector<uint8_t>(table.begin() + 28, table.begin() + 31),
            (std::vector<uint8_t>{0x00, 0x8E, 0xA4}))
      << "36516, most significant byte first";
}

TEST_F(Configuration, FileTableIsSixBytesPerListFilePlusThirty) {
  EXPECT_EQ(CheckedTable().size(), 30u);
  Fill(100, 1, 1, 1);
  ASSERT_TRUE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()));
  EXPECT_EQ(CheckedTable().size(), 48u);
  Add(kMotion, "m2", 60);
  Add(kMotion, "m3", 60);
  Add(kImpact, "i2", 60);
  ASSERT_TRUE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()));
  EXPECT_EQ(CheckedTable().size(), 66u);
}

TEST_F(Configuration, MakeMemoryMapReportsProgressAndStopsOnCancel) {
  Fill(100, 2, 1, 1);  // 8 files of 100 samples: eighths, halves among them
  ASSERT_TRUE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()));
  EXPECT_EQ(hooks.percent, (std::vector<std::string>{"0 %", "12 %", "25 %", "38 %", "50 %", "62 %",
                                                     "75 %", "88 %", "100 %"}));
  EXPECT_DOUBLE_EQ(hooks.percentComplete, 100);
  EXPECT_LT(hooks.events, 20) << "events run by elapsed time, not per sample pair";

  LSU_Configuration fresh;
  std::swap(config, fresh);
  Fill(100, 1, 1, 1);
  hooks.percent.clear();
  hooks.cancel = true;
  EXPECT_FALSE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()));
  EXPECT_EQ(hooks.percent, (std::vector<std::string>{"0 %", "14 %"}));
  EXPECT_EQ(config.BootFile().NrOfBytes, 150);
  EXPECT_EQ(config.PwrOnFile().NrOfBytes, 0);
  EXPECT_EQ(config.BootFile().Address, 0) << "no addresses are assigned";

  hooks.cancel = false;
  std::filesystem::remove(config.GetLkFile(1).FileName);
  EXPECT_FALSE(config.MakeMemoryMap(hooks, hooks, hooks.Cancelled()))
      << "a file gone since it was added";
}

}  // namespace
