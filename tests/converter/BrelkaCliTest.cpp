// brelka run from a script without a display: messages on stdout or
// stderr, exit status 0, 1 or 2.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "tests/converter/WavFixtures.h"
#include "tests/support/TempFiles.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct Run {
  int status;
  std::string out, err;
};

Run Brelka(const std::string& args) {
  const std::string out = UniqueTempPath("brelka_out"), err = UniqueTempPath("brelka_err");
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(BRELKA) + " " + args +
                          " >" + out + " 2>" + err;
  const int st = std::system(cmd.c_str());
  Run r{WIFEXITED(st) ? WEXITSTATUS(st) : -1, {}, {}};
  auto text = [](const std::string& p) {
    auto b = ReadFile(p);
    fs::remove(p);
    return std::string(b.begin(), b.end());
  };
  r.out = text(out);
  r.err = text(err);
  return r;
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

}  // namespace
