// A 100 MB sound file from font-server on 127.0.0.1: HttpRequest::requestData
// (8192-byte chunks straight to disk) against curl fetching the same file
// from the same server. Target: at least half of curl's speed, and memory
// flat: max_rss_MB stays within a few MB of rss_before_MB however large the
// item, since Qt may read only a small, fixed way ahead of the file writes.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "seams/QtEventPump.h"
#include "update/HttpRequest.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileSize = 100u << 20;
constexpr const char* kBody = "svc=dld&did=0A1B2C3D&fid=Big&ffd=big.lsu";

// font-server serving one font with a 100 MB file, for the whole run.
struct Server {
  Server() {
    root = fs::temp_directory_path() / ("update_bench_" + std::to_string(getpid()));
    fs::create_directories(root / "Big");
    std::ofstream(root / "Big" / "Big.lscfg") << "BOOT\r\nbig.lsu\r\n 100 \r\n";
    std::ofstream data(root / "Big" / "big.lsu", std::ios::binary);
    const std::string block(1 << 20, 'k');
    for (size_t i = 0; i < kFileSize / block.size(); ++i) data << block;
    data.close();
    fs::create_directories(root / "got");

    int out[2];
    if (pipe(out) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      const std::string rootArg = root.string();
      execl(FONT_SERVER, "font-server", "--root", rootArg.c_str(), "--port", "0", nullptr);
      _exit(127);
    }
    close(out[1]);
    log = fdopen(out[0], "r");
    char line[256] = {};
    if (log && fgets(line, sizeof line, log)) {
      host = line + std::string("listening on ").size();
      while (!host.empty() && host.back() == '\n') host.pop_back();
    }
    // The server logs every request; drain the pipe so it never blocks.
    drain = std::thread([this] {
      char skip[256];
      while (fgets(skip, sizeof skip, log)) {
      }
    });
  }
  ~Server() {
    if (pid > 0) kill(pid, SIGTERM), waitpid(pid, nullptr, 0);
    if (drain.joinable()) drain.join();
    if (log) fclose(log);
    fs::remove_all(root);
  }
  std::string Received() const { return (root / "got" / "big.lsu").string(); }

  fs::path root;
  pid_t pid = -1;
  FILE* log = nullptr;
  std::thread drain;
  std::string host;
};

Server& TheServer() {
  static Server server;
  return server;
}

double MaxRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

void Finish(benchmark::State& state, const std::string& received) {
  std::error_code error;
  if (fs::file_size(received, error) != kFileSize) state.SkipWithError("file incomplete");
  fs::remove(received, error);
}

void BM_HttpRequestData(benchmark::State& state) {
  Server& server = TheServer();
  seams::QtEventPump events;
  update::HttpRequest request(server.host, events);
  const std::string folder = (server.root / "got").string();
  state.counters["rss_before_MB"] = MaxRssMegabytes();
  for (auto _ : state) {
    request.requestData(kBody, folder, "big.lsu");
    if (request.requestState() != update::kRequestOk) state.SkipWithError("request failed");
    Finish(state, server.Received());
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
  state.counters["max_rss_MB"] = MaxRssMegabytes();
}
BENCHMARK(BM_HttpRequestData)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_CurlSameFile(benchmark::State& state) {
  Server& server = TheServer();
  const std::string command = "curl -s -f -o " + server.Received() + " --data '" + kBody +
                              "' http://" + server.host + "/tst/gct/";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed (is it installed?)");
    Finish(state, server.Received());
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(BM_CurlSameFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
