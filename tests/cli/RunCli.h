#pragma once
// Runs morvane-cli as a user does and collects its exit status, stdout and
// stderr. ctest runs tests in parallel: every run gets its own files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempFiles.h"

namespace cli_test {

struct Run {
  int status;
  std::string out;
  std::string err;
};

// Runs program (morvane-cli, or a copy of it) with args.
inline Run RunProgram(const std::string& program, const std::string& args) {
  const std::string errFile = testing_support::UniqueTempPath("cli_stderr");
  const std::string cmd = program + " " + args + " 2>" + errFile;
  Run r{};
  FILE* p = popen(cmd.c_str(), "r");
  std::array<char, 4096> buf;
  while (size_t n = fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::ifstream e(errFile);
  r.err.assign(std::istreambuf_iterator<char>(e), {});
  std::remove(errFile.c_str());
  return r;
}

inline Run RunCli(const std::string& args) {
  return RunProgram(MORVANE_CLI, args);
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
// Ctrl+C (SIGINT) and collects the rest. stdout and stderr end up together
// in err. A program that does not end within `guardSeconds` is killed, so
// that a hang fails the test instead of holding it.
inline Run RunCliInterrupted(const std::string& args, const std::string& waitFor,
                             int guardSeconds = 60) {
  const std::string cmd = "exec timeout -s KILL " + std::to_string(guardSeconds) + " " +
                          std::string(MORVANE_CLI) + " " + args + " 2>&1";
  int out[2];
  EXPECT_EQ(pipe(out), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  Run r{};
  bool interrupted = false;
  std::array<char, 4096> buf;
  for (ssize_t n; (n = read(out[0], buf.data(), buf.size())) > 0;) {
    r.err.append(buf.data(), size_t(n));
    if (!interrupted && r.err.find(waitFor) != std::string::npos) {
      kill(pid, SIGINT);  // timeout hands it on to the program
      interrupted = true;
    }
  }
  close(out[0]);
  int st = 0;
  waitpid(pid, &st, 0);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  EXPECT_TRUE(interrupted) << "never showed \"" << waitFor << "\"";
  return r;
}

}  // namespace cli_test
