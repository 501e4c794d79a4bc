#pragma once
// font-server's front door. One thread accepts the connections and reads
// each request, head and body, before a worker sees it: a client that
// sends slowly ties up no worker, and one that takes longer than
// requestTime to send its request (or leaves its connection idle that long)
// is cut off. A client that takes in its answer slowly does hold its
// worker: when every worker is busy, another one is started, so each open
// connection can have one. At most maxConnections are open at once; one more pushes out
// the connection that has been sending its request the longest. A body
// longer than maxBody is answered 413, a head longer than maxHead 431, a
// body without a length 411 and a contradictory length 400, without reading
// on.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace fontserver {

struct GateLimits {
  size_t maxHead = 8 * 1024;
  size_t maxBody = 64 * 1024;
  std::chrono::milliseconds requestTime{10000};
  size_t maxConnections = 256;
  size_t workers = 8;  // at the start; more as requests wait for one
};

// A connection as a worker gets it: the socket and what was read from it
// so far, a whole request and perhaps the start of the next.
struct GateConnection {
  int fd = -1;
  std::string bytes;
};

class RequestGate {
 public:
  // Answers the request at the start of connection.bytes and removes it
  // from there; true to keep the connection for the next request.
  using Serve = std::function<bool(GateConnection&)>;
  using Log = std::function<void(const std::string&)>;

  // listener: a listening socket, bound.
  RequestGate(int listener, GateLimits limits, Serve serve, Log log);
  RequestGate(const RequestGate&) = delete;
  RequestGate& operator=(const RequestGate&) = delete;

  // Serves until a system call fails for good; false then.
  bool Run();

 private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    GateConnection connection;
    Clock::time_point deadline;
  };
  // What is known of the request read so far: a refusal is its status.
  enum Verdict {
    kIncomplete = 0,
    kComplete = 1,
    kMalformed = 400,
    kLengthRequired = 411,
    kTooLarge = 413,
    kHeadTooLarge = 431,
  };

  Verdict Classify(const std::string& bytes) const;
  void Accept();
  enum class Received { Open, Ended, Failed };
  // Reads what the connection has.
  Received Receive(Pending& pending);
  // Hands a complete request to the workers, or refuses it; false when
  // the connection is to stay.
  bool Settle(Pending& pending);
  void Refuse(GateConnection& connection, int status);
  void Close(int fd);
  void TakeBackReturned();
  // With lock_ held.
  void StartWorker();
  void Work();

  int listener_;
  GateLimits limits_;
  Serve serve_;
  Log log_;
  int wake_ = -1;  // an eventfd: a worker gave a connection back
  std::vector<Pending> pending_;
  std::atomic<size_t> open_{0};

  std::mutex lock_;
  std::condition_variable ready_;
  size_t threads_ = 0;                   // workers started
  size_t idle_ = 0;                      // workers waiting for a request
  std::deque<GateConnection> requests_;  // for the workers
  std::deque<GateConnection> returned_;  // from the workers, for the next request
};

}  // namespace fontserver
