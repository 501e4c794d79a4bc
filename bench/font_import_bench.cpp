// A font of 40 recordings (44.1 kHz stereo 16-bit WAV, 3 s each) imported
// by morvane-cli font import, and the same files converted by sox one
// after another, as a user would script it: sox IN -r 48000 -c 1 -b 16 OUT.
// Prints both times and the import's peak memory. Three rounds, each pair
// run back to back; the best of each is reported.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  double seconds;
  long peakKb;
  int status;
};

// Runs a program and waits for it; its output goes nowhere.
Outcome Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::perror(argv[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {took.count(), usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::vector<std::string> FontNames() {
  std::vector<std::string> names = {"boot", "poweron", "poweroff", "hum"};
  for (const char* list : {"swing", "clash", "lockup"})
    for (int i = 1; i <= 12; ++i) names.push_back(list + std::to_string(i));
  return names;
}

}  // namespace

int main() {
  const fs::path root =
      fs::temp_directory_path() / ("font_import_bench_" + std::to_string(getpid()));
  const fs::path recordings = root / "recordings";
  fs::create_directories(recordings);
  const auto names = FontNames();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string tone = std::to_string(200 + 20 * i);
    const auto made = Spawn({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                             (recordings / (names[i] + ".wav")).string(), "synth", "3", "sine",
                             tone, "sine", std::to_string(300 + 20 * i), "vol", "0.5"});
    if (made.status != 0) {
      std::fprintf(stderr, "sox could not make the recordings\n");
      return 1;
    }
  }

  double ours = 1e9, sox = 1e9;
  long peakKb = 0;
  for (int round = 0; round < 3; ++round) {
    const fs::path font = root / ("font" + std::to_string(round));
    const auto imported = Spawn({MORVANE_CLI, "font", "import", recordings.string(), "-o",
                                 font.string(), "--capacity", "10000000"});
    if (imported.status != 0) {
      std::fprintf(stderr, "morvane-cli font import failed with status %d\n", imported.status);
      return 1;
    }
    ours = std::min(ours, imported.seconds);
    peakKb = std::max(peakKb, imported.peakKb);

    const fs::path out = root / ("sox" + std::to_string(round));
    fs::create_directories(out);
    const auto start = std::chrono::steady_clock::now();
    for (const auto& name : names)
      Spawn({"sox", (recordings / (name + ".wav")).string(), "-r", "48000", "-c", "1", "-b", "16",
             (out / (name + ".wav")).string()});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    sox = std::min(sox, took.count());
  }
  fs::remove_all(root);

  std::printf("font import of 40 recordings (44.1 kHz stereo 16 bit, 3 s each), best of 3:\n");
  std::printf("  morvane-cli font import  %.3f s, peak memory %.1f MB\n", ours, peakKb / 1024.0);
  std::printf("  sox, one file after another  %.3f s\n", sox);
  std::printf("  ratio %.2f (target at most 0.60), memory target below 100 MB\n", ours / sox);
  return 0;
}
