#pragma once
// morvane-cli run as a user types it, through the tests' one program
// runner (tests/support/RunProgram.h): exit status, stdout and stderr.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/RunProgram.h"

namespace cli_test {

using Run = testing_support::ProgramRun;

// morvane-cli with args, quoted as on a shell's command line.
inline Run RunCli(const std::string& args) {
  return testing_support::RunAsTyped(MORVANE_CLI, args);
}

// A copy of morvane-cli in folder, which becomes its application folder (a
// hard link where the file system allows one).
inline std::string CopyOfCli(const std::string& folder) {
  const std::string copy = folder + "/morvane-cli";
  std::error_code error;
  std::filesystem::create_hard_link(MORVANE_CLI, copy, error);
  if (error) std::filesystem::copy_file(MORVANE_CLI, copy);
  return copy;
}

// Runs morvane-cli, waits until its stderr shows `waitFor`, then presses
// Ctrl+C (SIGINT) and collects the rest. A program that does not end
// within `guardSeconds` is killed, so that a hang fails the test instead
// of holding it.
inline Run RunCliInterrupted(const std::string& args, const std::string& waitFor,
                             int guardSeconds = 60) {
  const Run r = testing_support::RunAsTyped(
      MORVANE_CLI, args, {.timeoutSeconds = guardSeconds, .interruptWhen = [&](const Run& soFar) {
                            return soFar.err.find(waitFor) != std::string::npos;
                          }});
  EXPECT_TRUE(r.interrupted) << "never showed \"" << waitFor << "\"";
  return r;
}

}  // namespace cli_test
