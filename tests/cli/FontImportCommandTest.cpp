// morvane-cli font import run as users run it, on folders of recordings
// made here with sox, flac and lame.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/cli/RunCli.h"
#include "tests/converter/AudioFixtures.h"
#include "tests/converter/WavFixtures.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using cli_test::RunCli;
using testing_support::FolderNames;
using testing_support::Sox;

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class FontImport : public ::testing::Test {
 protected:
  // A short stereo 44.1 kHz tone, written by sox in the form the name's
  // extension asks for.
  void Recording(const std::string& relative, double seconds = 0.2) {
    const fs::path path = source / relative;
    fs::create_directories(path.parent_path());
    const bool mp3 = path.extension() == ".mp3";
    const std::string made = mp3 ? dir.Path("for-lame.wav") : path.string();
    ASSERT_TRUE(Sox("-n -r 44100 -c 2 -b 16 " + Quoted(made) + " synth " + std::to_string(seconds) +
                    " sine 440 vol 0.5"))
        << relative;
    if (mp3)
      ASSERT_TRUE(
          testing_support::Shell("lame --quiet " + Quoted(made) + " " + Quoted(path.string())));
  }
  std::string Import(const std::string& extra = "") {
    return "font import " + Quoted(source.string()) + " -o " + Quoted(font.string()) + extra;
  }

  testing_support::TempFolder dir;
  const fs::path source = dir.dir() / "Kestrel Font";
  const fs::path font = dir.dir() / "out" / "kestrel";
};

TEST_F(FontImport, ConvertsAFolderIntoAFontThatImageLoads) {
  for (const char* name :
       {"boot.wav", "out.flac", "In.wav", "hum1.wav", "hum2.wav", "swing10.wav", "swing2.wav",
        "swing1.mp3", "clsh/01.wav", "clsh/02.wav", "lockup.wav", "blaster.wav"})
    Recording(name);
  testing_support::WriteBytes((source / "readme.txt").string(), "a font\n");

  const auto r = RunCli(Import());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string converted = "(Converted: stereo 44100 Hz 16 bit \u2192 mono 48000 Hz 16 bit)";
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 14u) << r.out;
  EXPECT_EQ(lines[0], "blaster.wav: not mapped to a category");
  EXPECT_EQ(lines[1], "boot.wav \u2192 Boot as boot.lsu " + converted);
  EXPECT_EQ(lines[2], "clsh/01.wav \u2192 Impact as clsh-01.lsu " + converted);
  EXPECT_EQ(lines[3], "clsh/02.wav \u2192 Impact as clsh-02.lsu " + converted);
  EXPECT_EQ(lines[4], "hum1.wav \u2192 Idle as hum1.lsu " + converted);
  EXPECT_EQ(lines[5], "hum2.wav: left out, Idle takes one file: hum1.wav");
  EXPECT_EQ(lines[6], "In.wav \u2192 Power OFF as In.lsu " + converted);
  EXPECT_EQ(lines[7], "lockup.wav \u2192 Lock-up as lockup.lsu " + converted);
  EXPECT_EQ(lines[8].rfind("out.flac \u2192 Power ON as out.lsu (Converted: stereo 44100 Hz", 0),
            0u);
  EXPECT_EQ(lines[9],
            "swing1.mp3 \u2192 Motion as swing1.lsu (Converted: stereo 44100 Hz MP3 "
            "\u2192 mono 48000 Hz 16 bit)");
  EXPECT_EQ(lines[10], "swing2.wav \u2192 Motion as swing2.lsu " + converted);
  EXPECT_EQ(lines[11], "swing10.wav \u2192 Motion as swing10.lsu " + converted);
  // 10 sounds of 0.2 s at 48 kHz (the MP3 keeps its length through its tag).
  EXPECT_EQ(lines[12], "Memory: 96000 of 2793120 samples (3.4 %)");
  const std::string lscfg = (font / "Kestrel Font.lscfg").string();
  EXPECT_EQ(lines[13], "Configuration: " + lscfg);
  EXPECT_EQ(r.err, "");

  EXPECT_EQ(FolderNames(font.string()),
            (std::vector<std::string>{"In.lsu", "Kestrel Font.lscfg", "boot.lsu", "clsh-01.lsu",
                                      "clsh-02.lsu", "hum1.lsu", "lockup.lsu", "out.lsu",
                                      "swing1.lsu", "swing10.lsu", "swing2.lsu"}));
  const auto config = Lines(testing_support::ReadBytes(lscfg));
  ASSERT_EQ(config.size(), 27u);
  EXPECT_EQ(config[12], "MOTION-3\r");
  EXPECT_EQ(config[13], (font / "swing1.lsu").string() + "\r");
  EXPECT_EQ(config[14], " 100 \r");
  EXPECT_EQ(config[17], (font / "swing10.lsu").string() + "\r");

  const auto image = RunCli("image " + Quoted(lscfg) + " -o " + dir.Path("flash.bin"));
  EXPECT_EQ(image.status, 0) << image.err;
  EXPECT_NE(image.out.find("10 sound files, 96000 of 2793120 samples"), std::string::npos)
      << image.out;
}

// Recordings copied from a system that names files in a code page: the
// written configuration loads complete, each file where it says.
TEST_F(FontImport, NamesInACodePageGiveAFontThatLoadsAgain) {
  for (const char* name : {"boot.wav", "on.wav", "off.wav", "hum.wav", "lockup.wav",
                           "swing/\xE9p\xE9"
                           "e 1.wav",
                           "clsh/\xC9"
                           "clat.wav"})
    Recording(name);

  const auto r = RunCli(Import());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("as clsh-\u00C9clat.lsu"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("as swing-\u00E9p\u00E9e 1.lsu"), std::string::npos) << r.out;

  const std::string lscfg = (font / "Kestrel Font.lscfg").string();
  const auto image = RunCli("image " + Quoted(lscfg) + " -o " + dir.Path("flash.bin"));
  EXPECT_EQ(image.status, 0) << image.out << image.err;
  EXPECT_EQ(image.err, "");
  EXPECT_NE(image.out.find("7 sound files"), std::string::npos) << image.out;
}

TEST_F(FontImport, FailedFilesAndMissingCategoriesExitWithOne) {
  for (const char* name : {"boot.wav", "poweron.wav", "in.wav", "idle.wav", "swing1.wav",
                           "Swing1.flac", "swing1.ogg", "clash.wav", "lock.wav"})
    Recording(name);
  testing_support::WriteBytes((source / "clash2.wav").string(), "not a recording");
  ASSERT_TRUE(
      Sox("-n -r 48000 -c 1 -b 16 " + Quoted((source / "lock2.wav").string()) + " trim 0 0.0005"));

  const auto r = RunCli(Import(" --name Custom --capacity 5589300"));
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  const auto lines = Lines(r.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "clash2.wav: not converted: clash2.wav cannot be read as sound: Format not "
                      "recognised."),
            lines.end())
      << r.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "lock2.wav: not used: the converted sound is silent or shorter than 49 "
                      "samples"),
            lines.end())
      << r.out;
  EXPECT_NE(r.out.find("of 5589300 samples"), std::string::npos);
  EXPECT_EQ(r.err, "2 files could not be converted\n");
  // What could be converted stays, names kept apart.
  EXPECT_EQ(FolderNames(font.string()),
            (std::vector<std::string>{"Custom.lscfg", "Swing1.lsu", "boot.lsu", "clash.lsu",
                                      "idle.lsu", "in.lsu", "lock.lsu", "lock2.lsu", "poweron.lsu",
                                      "swing1-2.lsu", "swing1-3.lsu"}));

  // Imported again without the failing files and the power-off sound.
  for (const char* name : {"clash2.wav", "lock2.wav", "in.wav"}) fs::remove(source / name);
  const auto again = RunCli(Import(" --name Custom"));
  EXPECT_EQ(again.status, 1) << again.out << again.err;
  EXPECT_EQ(again.err, "Power Off file is missing\n");
  EXPECT_TRUE(fs::exists(font / "Custom.lscfg"));
}

TEST_F(FontImport, UsageErrorsExitWithTwoAndAMissingFolderWithOne) {
  Recording("boot.wav");
  for (const std::string& args : std::vector<std::string>{
           "font", "font export x", "font import", "font import " + Quoted(source.string()),
           Import(" --capacity many"), Import(" --name a/b"), Import(" --name ''"),
           Import(" --bogus"), Import(" --name"), "font import a b -o c"}) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args << '\n' << r.err;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
  }
  EXPECT_FALSE(fs::exists(font));

  auto r = RunCli("font import " + dir.Path("nowhere") + " -o " + Quoted(font.string()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, dir.Path("nowhere") + " is not a folder\n");

  // A font folder that names a file (or lies below one) cannot be made.
  const std::string file = (source / "boot.wav").string();
  for (const std::string& out : {file, file + "/font"}) {
    r = RunCli("font import " + Quoted(source.string()) + " -o " + Quoted(out));
    EXPECT_EQ(r.status, 1) << out;
    EXPECT_EQ(r.err, "The font folder " + out + " cannot be made: Not a directory\n");
    EXPECT_EQ(r.out, "");
  }
}

// Ctrl+C while a long recording is converted: the import stops, and
// neither its temporary file nor a configuration file is left.
TEST_F(FontImport, InterruptLeavesNoTemporaryFile) {
  fs::create_directories(source);
  ASSERT_TRUE(
      Sox("-n -r 8000 -c 1 -b 16 " + Quoted((source / "hum.wav").string()) + " trim 0 900"));
  auto temporaries = [&] {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& e : fs::directory_iterator(font, error))
      if (const std::string name = e.path().filename().string();
          name.starts_with(".") && name.ends_with(".tmp"))
        names.push_back(name);
    return names;
  };
  const auto r = testing_support::RunProgram(
      {MORVANE_CLI, "font", "import", source.string(), "-o", font.string()},
      {.interruptWhen = [&](const testing_support::ProgramRun&) {
        return !temporaries().empty();
      }});
  ASSERT_TRUE(r.interrupted) << "the conversion never started";
  ASSERT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FolderNames(font.string()), std::vector<std::string>{});
}

}  // namespace
