#pragma once
// Runs morvane-cli as a user does and collects its exit status, stdout and
// stderr. ctest runs tests in parallel: every run gets its own files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
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

inline Run RunCli(const std::string& args) {
  const std::string errFile = testing_support::UniqueTempPath("cli_stderr");
  const std::string cmd = std::string(MORVANE_CLI) + " " + args + " 2>" + errFile;
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

}  // namespace cli_test
