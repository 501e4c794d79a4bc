#pragma once
// Runs one of the real programs as a user or a script would: its own
// environment changes and file-size limit, stdout and stderr collected, and
// a generous time-out after which the program is killed, so a program that
// would wait for ever fails the test instead of hanging it.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/TempFiles.h"

namespace testing_support {

struct ProgramOptions {
  // Variables to set, or (without a value) to remove.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  // RLIMIT_FSIZE in bytes, as `ulimit -f` sets it; none when negative.
  long long fileSizeLimit = -1;
  int timeoutSeconds = 120;
};

struct ProgramRun {
  int status = -1;  // exit status; -1 when killed by a signal
  int signal = 0;   // the signal that ended it
  bool timedOut = false;
  std::string out, err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline ProgramRun RunProgram(const std::vector<std::string>& argv,
                             const ProgramOptions& options = {}) {
  const std::string outFile = UniqueTempPath("run_out"), errFile = UniqueTempPath("run_err");
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(outFile.c_str(), "w", stdout) || !freopen(errFile.c_str(), "w", stderr))
      _exit(126);
    for (const auto& [name, value] : options.env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    if (options.fileSizeLimit >= 0) {
      const rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  ProgramRun run;
  int st = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  while (waitpid(pid, &st, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &st, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(st)) run.status = WEXITSTATUS(st);
  if (WIFSIGNALED(st)) run.signal = WTERMSIG(st);
  run.out = ReadWhole(outFile);
  run.err = ReadWhole(errFile);
  std::remove(outFile.c_str());
  std::remove(errFile.c_str());
  return run;
}

}  // namespace testing_support
