// Fonts that travel, through morvane-cli as users run it: a configuration
// made on Windows loads beside its files from any current folder, what is
// found nowhere is reported, and `font export` makes a folder that loads
// complete wherever it is moved, with clashing names kept apart, refusing
// to mix with other files and leaving nothing half-written.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/cli/RunCli.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/sound/TravelledFont.h"
#include "tests/support/Files.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ProgramRun;
using testing_support::ReadBytes;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class FontTravel : public ::testing::Test {
 protected:
  // morvane-cli with args, run in folder (the test folder by default).
  ProgramRun Cli(std::vector<std::string> args, long long fileSizeLimit = -1,
                 const std::string& folder = "") {
    args.insert(args.begin(), MORVANE_CLI);
    return testing_support::RunProgram(
        args, {.fileSizeLimit = fileSizeLimit,
               .workingDirectory = folder.empty() ? dir.dir().string() : folder});
  }
  // The flash image of a configuration, as image writes it.
  std::string Image(const std::string& configuration) {
    const std::string out = dir.Path("image.bin");
    fs::remove(out);
    const auto r = Cli({"image", configuration, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadBytes(out);
  }
  std::string Lsu(const std::string& name, size_t samples, unsigned seed) {
    fs::create_directories(fs::path(dir.Path(name)).parent_path());
    sound_test::WriteLsu(dir.Path(name), sound_test::Samples(samples, 8000, seed));
    return dir.Path(name);
  }

  testing_support::TempFolder dir;
};

TEST_F(FontTravel, AWindowsConfigurationLoadsBesideItsFilesFromAnyFolder) {
  fs::create_directories(dir.dir() / "unpacked" / "Ember");
  const auto font = sound_test::WriteTravelledFont(dir.Path("unpacked/Ember"));
  testing_support::WriteBytes(dir.Path("plain.lscfg"),
                              sound_test::PlainConfiguration(font, dir.Path("unpacked/Ember")));
  const std::string expected = Image(dir.Path("plain.lscfg"));
  ASSERT_FALSE(expected.empty());

  // Named relative to a current folder that holds none of the files.
  fs::create_directories(dir.dir() / "elsewhere");
  const auto r = Cli({"image", "../unpacked/Ember/ember.lscfg", "-o", dir.Path("image.bin")}, -1,
                     dir.Path("elsewhere"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "8 files were found beside the configuration instead of at their stored "
            "paths.\n");
  EXPECT_TRUE(ReadBytes(dir.Path("image.bin")) == expected) << "not the same sounds and volumes";

  // A file that is neither at its path nor beside is the one reported.
  fs::remove(dir.Path("unpacked/Ember/swing2.lsu"));
  const auto missing = Cli({"image", font.configuration, "-o", dir.Path("image.bin")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(
      missing.err,
      "The following files could not be found or are not valid:\nC:\\Fonts\\Ember\\swing2.lsu\n"
      "7 files were found beside the configuration instead of at their stored paths.\n");
}

TEST_F(FontTravel, AnExportedFolderLoadsCompleteAfterItMoved) {
  // Three different files named swing.lsu (one in capitals), one file in
  // three categories, and two files of a font made on Windows.
  const std::string boot = Lsu("a/boot.lsu", 700, 1);
  const std::string swingA = Lsu("a/swing.lsu", 300, 2), swingB = Lsu("b/swing.lsu", 310, 3);
  const std::string swingC = Lsu("c/SWING.lsu", 320, 4), hum = Lsu("a/hum.lsu", 900, 5);
  fs::create_directories(dir.dir() / "w");
  const auto font = sound_test::WriteTravelledFont(dir.Path("w"));
  const std::string text =
      "BOOT\r\n" + boot + "\r\n 100 \r\nPWRON\r\n" + hum + "\r\n 20 \r\nPWROFF\r\n" + hum +
      "\r\n 30 \r\nIDLE\r\n" + hum + "\r\n 40 \r\nMOTION-3\r\n" + swingA + "\r\n 50 \r\n" + swingB +
      "\r\n 60 \r\n" + swingC + "\r\n 70 \r\nIMPACT-1\r\nC:\\Fonts\\Ember\\" +
      "clash1.lsu\r\n 80 \r\nLOCKUP-1\r\nC:\\Fonts\\Ember\\lockup\x96\x31.lsu\r\n 90 \r\n";
  testing_support::WriteBytes(dir.Path("w/Kestrel.lscfg"), text);
  const std::string expected = Image(dir.Path("w/Kestrel.lscfg"));

  auto r = Cli({"font", "export", "w/Kestrel.lscfg", "-o", "out/Kestrel"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = dir.Path("out/Kestrel");
  EXPECT_EQ(Listing(out),
            (std::set<std::string>{"boot.lsu", "hum.lsu", "swing.lsu", "swing-2.lsu", "SWING-3.lsu",
                                   "clash1.lsu", "lockup\u2013\x31.lsu", "Kestrel.lscfg"}));
  EXPECT_TRUE(ReadBytes(out + "/swing-2.lsu") == ReadBytes(swingB));
  EXPECT_TRUE(ReadBytes(out + "/SWING-3.lsu") == ReadBytes(swingC));
  EXPECT_TRUE(Contains(r.out, swingB + " \u2192 swing-2.lsu\n")) << r.out;
  EXPECT_TRUE(Contains(r.out,
                       "The font was exported to out/Kestrel: 7 sound files and "
                       "Kestrel.lscfg.\n"))
      << r.out;
  // Full paths of the copies, in UTF-8, with the volumes: what every
  // reader of configuration files reads.
  EXPECT_EQ(ReadBytes(out + "/Kestrel.lscfg"),
            "BOOT\r\n" + out + "/boot.lsu\r\n 100 \r\nPWRON\r\n" + out + "/hum.lsu\r\n 20 \r\n" +
                "PWROFF\r\n" + out + "/hum.lsu\r\n 30 \r\nIDLE\r\n" + out + "/hum.lsu\r\n 40 \r\n" +
                "MOTION-3\r\n" + out + "/swing.lsu\r\n 50 \r\n" + out + "/swing-2.lsu\r\n 60 \r\n" +
                out + "/SWING-3.lsu\r\n 70 \r\nIMPACT-1\r\n" + out + "/clash1.lsu\r\n 80 \r\n" +
                "LOCKUP-1\r\n" + out + "/lockup\u2013\x31.lsu\r\n 90 \r\n");
  EXPECT_TRUE(Image(out + "/Kestrel.lscfg") == expected);

  // Moved (the sources gone too), it still loads the same sounds.
  fs::rename(out, dir.Path("moved"));
  for (const char* source : {"a", "b", "c", "w"}) fs::remove_all(dir.Path(source));
  r = Cli({"image", "moved/Kestrel.lscfg", "-o", dir.Path("image.bin")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "9 files were found beside the configuration")) << r.err;
  EXPECT_TRUE(ReadBytes(dir.Path("image.bin")) == expected);

  // Exported again into the same folder: the same files are fine.
  r = Cli({"font", "export", "moved/Kestrel.lscfg", "-o", "again"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = Cli({"font", "export", "moved/Kestrel.lscfg", "-o", "again"});
  EXPECT_EQ(r.status, 0) << "the same bytes under the same names: " << r.err;
}

TEST_F(FontTravel, AnExportRefusesOtherFilesAndLeavesNothingHalfWritten) {
  const std::string big = Lsu("src/big.lsu", 200000, 1);
  Lsu("src/boot.lsu", 500, 2);
  const std::string config = dir.Path("src/Big.lscfg");
  testing_support::WriteBytes(config, "BOOT\r\n" + dir.Path("src/boot.lsu") +
                                          "\r\n 100 \r\nPWRON\r\n" + big +
                                          "\r\n 100 \r\nPWROFF\r\n\r\n 100 \r\nIDLE\r\n\r\n 100 "
                                          "\r\nMOTION-0\r\nIMPACT-0\r\nLOCKUP-0\r\n");

  // A folder holding another boot.lsu (and another Big.lscfg) is refused
  // before anything is written.
  for (const char* other : {"boot.lsu", "Big.lscfg"}) {
    fs::remove_all(dir.Path("taken"));
    fs::create_directories(dir.dir() / "taken");
    testing_support::WriteBytes(dir.Path("taken/") + other, "someone else's");
    const auto r = Cli({"font", "export", config, "-o", "taken"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, dir.Path("taken") + " already holds a different file named " + other +
                         ". Nothing was exported.\n");
    EXPECT_EQ(Listing(dir.Path("taken")), std::set<std::string>{other});
    EXPECT_EQ(ReadBytes(dir.Path("taken/") + other), "someone else's");
  }

  // A disk that fills while big.lsu is copied: what was copied goes again,
  // and so does the folder the export made.
  const auto r = Cli({"font", "export", config, "-o", "full/Big"}, 100000);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "big.lsu could not be written: ")) << r.err;
  EXPECT_TRUE(Contains(r.err, "Nothing was exported.")) << r.err;
  EXPECT_FALSE(fs::exists(dir.Path("full/Big")));

  EXPECT_EQ(Cli({"font", "export", config}).status, 2) << "no -o DIR";
  EXPECT_EQ(Cli({"font", "export", "-o", "x"}).status, 2) << "no configuration";
}

}  // namespace
