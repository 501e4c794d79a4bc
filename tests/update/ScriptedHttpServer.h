#pragma once
// An HTTP server on 127.0.0.1 that misbehaves on purpose: each connection
// gets the next scripted reply as raw bytes (the last one repeats), after
// which the connection is closed, or held open without a word when the
// reply says so. A reply may go on with a tail sent again and again, at a
// pace: an endless or a trickling answer. Every request is recorded as it
// arrived.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct ScriptedReply {
  ScriptedReply(std::string bytes = {}, bool stall = false)
      : bytes(std::move(bytes)), stall(stall) {}
  // Goes on with `tail`, again and again, until tailBytes of it went out or
  // the client went away; one tail every `pace` (at once when zero).
  ScriptedReply& Then(std::string tail, size_t tailBytes, std::chrono::milliseconds pace = {}) {
    this->tail = std::move(tail);
    this->tailBytes = tailBytes;
    this->pace = pace;
    return *this;
  }

  std::string bytes;   // written as they are
  bool stall = false;  // then keep the connection open, silent, until the server stops
  std::string tail;
  size_t tailBytes = 0;
  std::chrono::milliseconds pace{0};
};

// A complete answer that closes the connection after it.
ScriptedReply HttpAnswer(const std::string& body, int status = 200);

class ScriptedHttpServer {
 public:
  explicit ScriptedHttpServer(std::vector<ScriptedReply> replies);
  ~ScriptedHttpServer();

  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  int Port() const { return port_; }
  // The requests so far: request line, headers and body.
  std::vector<std::string> Requests() const;
  // Ends every reply in progress and answers no more connections.
  void Stop() { stop_ = true; }
  // Bytes of the replies the client's side has taken in so far.
  size_t BytesSent() const { return sent_; }

 private:
  void Serve();
  void Answer(int connection, const ScriptedReply& reply);
  bool Send(int connection, const std::string& bytes);

  std::vector<ScriptedReply> replies_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> sent_{0};
  mutable std::mutex lock_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace testing_support
