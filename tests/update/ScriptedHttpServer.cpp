#include "tests/update/ScriptedHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr int kPollMs = 20;

// Waits until fd can be read or the server stops.
bool Readable(int fd, const std::atomic<bool>& stop) {
  pollfd p{fd, POLLIN, 0};
  while (!stop) {
    const int n = poll(&p, 1, kPollMs);
    if (n > 0) return true;
    if (n < 0) return false;
  }
  return false;
}

// Reads the request head and as much body as Content-Length announces.
std::string ReadRequest(int fd, const std::atomic<bool>& stop) {
  std::string request;
  char buffer[4096];
  size_t wanted = std::string::npos;
  while (request.size() < wanted && Readable(fd, stop)) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
    const size_t head = request.find("\r\n\r\n");
    if (head == std::string::npos || wanted != std::string::npos) continue;
    size_t length = 0;
    const size_t field = request.find("Content-Length: ");
    if (field != std::string::npos && field < head) length = std::stoul(request.substr(field + 16));
    wanted = head + 4 + length;
  }
  return request;
}

}  // namespace

ScriptedReply HttpAnswer(const std::string& body, int status) {
  return {"HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " +
              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body,
          false};
}

ScriptedHttpServer::ScriptedHttpServer(std::vector<ScriptedReply> replies)
    : replies_(std::move(replies)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
    throw std::runtime_error("scripted server cannot listen");
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stop_ = true;
  thread_.join();
  close(listener_);
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
  const std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void ScriptedHttpServer::Serve() {
  for (size_t next = 0; Readable(listener_, stop_);) {
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    Answer(connection, replies_[std::min(next++, replies_.size() - 1)]);
    close(connection);
  }
}

// In small pieces, so that BytesSent follows what the client reads.
bool ScriptedHttpServer::Send(int connection, const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    const size_t piece = std::min<size_t>(bytes.size() - sent, 16384);
    const ssize_t n = send(connection, bytes.data() + sent, piece, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
    sent_ += static_cast<size_t>(n);
  }
  return true;
}

void ScriptedHttpServer::Answer(int connection, const ScriptedReply& reply) {
  const std::string request = ReadRequest(connection, stop_);
  if (request.empty()) return;  // a connection that never asked
  {
    const std::lock_guard<std::mutex> guard(lock_);
    requests_.push_back(request);
  }
  if (!Send(connection, reply.bytes)) return;
  for (size_t tail = 0; !reply.tail.empty() && tail < reply.tailBytes && !stop_;
       tail += reply.tail.size()) {
    if (reply.pace.count() > 0) std::this_thread::sleep_for(reply.pace);
    if (!Send(connection, reply.tail)) return;
  }
  if (reply.stall)
    while (!stop_) usleep(kPollMs * 1000);
  shutdown(connection, SHUT_RDWR);
}

}  // namespace testing_support
