// Every program answers --version with its name and the project's version
// and --help with its usage, exit 0, and needs no window system for
// either: a display that is set but cannot be reached (a stale DISPLAY
// over ssh) with the X11 platform asked for.

#include <gtest/gtest.h>

#include <string>

#include "ProjectVersion.h"
#include "tests/support/RunProgram.h"

namespace {

using testing_support::ProgramOptions;
using testing_support::RunProgram;

ProgramOptions NoDisplay() {
  ProgramOptions o;
  o.env = {{"DISPLAY", ":93"}, {"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", std::nullopt}};
  return o;
}
const ProgramOptions kNoDisplay = NoDisplay();

struct Program {
  const char* name;
  const char* path;
};
const Program kPrograms[] = {
    {"morvane", MORVANE}, {"morvane-cli", MORVANE_CLI}, {"font-server", FONT_SERVER}};

TEST(VersionAndHelp, EveryProgramAnswersWithoutAWindowSystem) {
  for (const Program& p : kPrograms) {
    const auto version = RunProgram({p.path, "--version"}, kNoDisplay);
    EXPECT_EQ(version.status, 0) << p.name << ": " << version.err;
    EXPECT_EQ(version.out, std::string(p.name) + " " + project::kVersion + "\n");

    const auto help = RunProgram({p.path, "--help"}, kNoDisplay);
    EXPECT_EQ(help.status, 0) << p.name << ": " << help.err;
    EXPECT_EQ(help.out.find(std::string("usage: ") + p.name + " "), help.out.find("usage: "))
        << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "") << p.name;
  }
}

TEST(VersionAndHelp, AfterOtherOptionsToo) {
  // A server's options come first in a unit file; --help still answers.
  const auto help = RunProgram({FONT_SERVER, "--port", "0", "--help"}, kNoDisplay);
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("usage: font-server"), std::string::npos);
  const auto version = RunProgram({MORVANE, "--virtual-board", "sound", "--version"}, kNoDisplay);
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, std::string("morvane ") + project::kVersion + "\n");
}

}  // namespace
