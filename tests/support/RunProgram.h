#pragma once
// The one way the tests run a real program (morvane-cli, brelka, ...) as a
// user or a script would: its own environment changes and file-size limit,
// stdout and stderr collected, Ctrl+C pressed when the test says so, and a
// generous time-out after which the program is killed, so a program that
// would wait for ever fails the test instead of hanging it.

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ProgramRun {
  int status = -1;  // exit status; -1 when killed by a signal
  int signal = 0;   // the signal that ended it
  bool timedOut = false;
  bool interrupted = false;  // Ctrl+C (SIGINT) was pressed
  std::string out, err;
};

struct ProgramOptions {
  // Variables to set, or (without a value) to remove.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  // RLIMIT_FSIZE in bytes, as `ulimit -f` sets it; none when negative.
  long long fileSizeLimit = -1;
  int timeoutSeconds = 120;
  // Presses Ctrl+C (SIGINT, once) as soon as this says so. It is asked
  // with the output so far whenever output arrives, and every millisecond
  // or so meanwhile, so it may also look at the files the program writes.
  std::function<bool(const ProgramRun& soFar)> interruptWhen;
  // The folder it runs in; the test's own when empty.
  std::string workingDirectory;
};

// Output goes through pipes, which no file-size limit cuts short.
inline ProgramRun RunProgram(const std::vector<std::string>& argv,
                             const ProgramOptions& options = {}) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    // A program that reads without end fails its first allocation past
    // 1 GiB (under AddressSanitizer) rather than taking the machine's memory
    // until the time-out.
    const char* asan = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":max_allocation_size_mb=1024").c_str(),
           1);
    for (const auto& [name, value] : options.env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
      _exit(126);
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
  close(out[1]);
  close(err[1]);
  ProgramRun run;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    const bool watching = options.interruptWhen && !run.interrupted;
    if (poll(fds, 2, watching ? 1 : 100) > 0) {
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[4096];
        const ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n > 0) {
          texts[i]->append(buf, size_t(n));
        } else {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open;
        }
      }
    }
    if (watching && options.interruptWhen(run)) {
      kill(pid, SIGINT);
      run.interrupted = true;
    }
  }
  for (const pollfd& p : fds)
    if (p.fd >= 0) close(p.fd);
  int st = 0;
  waitpid(pid, &st, 0);
  if (WIFEXITED(st)) run.status = WEXITSTATUS(st);
  if (WIFSIGNALED(st)) run.signal = WTERMSIG(st);
  return run;
}

// Runs a command line through /bin/sh as a user types it, quotes and
// redirections included: `program` is the program's path, or a command
// that runs it ("timeout 60 /path/morvane-cli"), and args follow it.
inline ProgramRun RunAsTyped(const std::string& program, const std::string& args,
                             const ProgramOptions& options = {}) {
  return RunProgram({"/bin/sh", "-c", "exec " + program + " " + args}, options);
}

}  // namespace testing_support
