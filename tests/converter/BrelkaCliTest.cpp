// brelka run from a script without a display: messages on stdout or
// stderr, exit status 0, 1 or 2.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/converter/WavFixtures.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// brelka with args as typed on a shell, without a display.
ProgramRun Brelka(const std::string& args) {
  return RunAsTyped(BRELKA, args, {.env = {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}}});
}

TEST(BrelkaCommandLine, ConvertsRefusesAndExplains) {
  const std::string dir = UniqueTempPath("brelka_dir");
  fs::create_directories(dir);
  WriteFile(dir + "/in.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(100, 5)));
  WriteFile(dir + "/st.wav", MakeWav(2, 48000, 16, std::vector<uint8_t>(100, 5)));

  auto r = Brelka("-I " + dir + "/in.wav -O " + dir + "/out.lsu -U");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Conversion done !\n");
  EXPECT_EQ(ReadFile(dir + "/out.lsu").size(), 104u);

  r = Brelka("-i " + dir + "/st.wav -o " + dir + "/st.lsu -u");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Only mono files coded 16bit @ 48kHz can be converted\n");
  EXPECT_FALSE(fs::exists(dir + "/st.lsu"));

  r = Brelka("-i " + dir + "/in.wav -o " + dir + "/out.lsu");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("brelka -i <input_file_name> -o <output_file_name> -u\n"),
            std::string::npos);
  EXPECT_EQ(Brelka("-i '' in.wav -o x -u").status, 2);  // an empty argument shifts the rest
  fs::remove_all(dir);
}

// A display that is configured but cannot be reached (a stale DISPLAY over
// ssh or in cron): the command line still converts and prints its message.
TEST(BrelkaCommandLine, NeedsNoWindowSystem) {
  if (fs::exists("/tmp/.X11-unix/X93")) GTEST_SKIP() << "display :93 exists here";
  const std::string dir = UniqueTempPath("brelka_display");
  fs::create_directories(dir);
  WriteFile(dir + "/in.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(100, 5)));
  WriteFile(dir + "/st.wav", MakeWav(2, 48000, 16, std::vector<uint8_t>(100, 5)));
  for (const std::optional<std::string>& platform : {std::optional<std::string>(), {"xcb"}}) {
    const ProgramOptions stale{
        .env = {{"DISPLAY", ":93"}, {"WAYLAND_DISPLAY", {}}, {"QT_QPA_PLATFORM", platform}}};
    auto r = RunProgram({BRELKA, "-i", dir + "/in.wav", "-o", dir + "/out.lsu", "-u"}, stale);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Conversion done !\n");
    EXPECT_EQ(ReadFile(dir + "/out.lsu").size(), 104u);
    fs::remove(dir + "/out.lsu");
    r = RunProgram({BRELKA, "-i", dir + "/st.wav", "-o", dir + "/st.lsu", "-u"}, stale);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Only mono files coded 16bit @ 48kHz can be converted\n");
  }
  fs::remove_all(dir);
}

// The converter writes into a file of its own and renames it: an input
// named like the output plus ".part", somebody's "out.lsu.part" and a link
// at such a name all stay as they were.
TEST(BrelkaCommandLine, WritesThroughAFileOfItsOwn) {
  const std::string dir = UniqueTempPath("brelka_part");
  fs::create_directories(dir);
  const auto wav = MakeWav(1, 48000, 16, std::vector<uint8_t>(100, 5));
  WriteFile(dir + "/victim.lsu.part", wav);
  auto r = Brelka("-i " + dir + "/victim.lsu.part -o " + dir + "/victim.lsu -u");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir + "/victim.lsu.part"), wav) << "the input is untouched";
  EXPECT_EQ(ReadFile(dir + "/victim.lsu").size(), 104u);

  WriteFile(dir + "/in.wav", wav);
  WriteFile(dir + "/out.lsu.part", {'m', 'i', 'n', 'e'});
  WriteFile(dir + "/kept", {'k', 'e', 'p', 't'});
  fs::create_symlink(dir + "/kept", dir + "/linked.lsu.part");
  for (const char* out : {"/out.lsu", "/linked.lsu"}) {
    r = Brelka("-i " + dir + "/in.wav -o " + dir + out + " -u");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir + out).size(), 104u) << out;
  }
  EXPECT_EQ(ReadFile(dir + "/out.lsu.part"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_EQ(ReadFile(dir + "/kept"), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
  EXPECT_TRUE(fs::is_symlink(dir + "/linked.lsu.part"));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 8u) << "nothing left behind";
  fs::remove_all(dir);
}

// An output that cannot be written is refused with the system's reason.
TEST(BrelkaCommandLine, SaysWhyAnOutputCannotBeWritten) {
  const std::string dir = UniqueTempPath("brelka_unwritable");
  fs::create_directories(dir);
  WriteFile(dir + "/in.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(100, 5)));
  const std::string out = dir + "/in.wav/out.lsu";  // below a file
  const auto r = Brelka("-i " + dir + "/in.wav -o " + out + " -u");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Could not write " + out + ": cannot create a file beside it: Not a directory\n");
  fs::remove_all(dir);
}

}  // namespace
