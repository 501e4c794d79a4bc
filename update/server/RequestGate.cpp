#include "update/server/RequestGate.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
#include <thread>

#include "update/PrintableText.h"

namespace fontserver {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

const char* Reason(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 411:
      return "Length Required";
    case 413:
      return "Content Too Large";
    default:
      return "Request Header Fields Too Large";
  }
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "POST /path" of the request line, for the log.
std::string RequestOf(std::string_view bytes) {
  const std::string_view line = bytes.substr(0, bytes.find("\r\n"));
  const size_t method = line.find(' ');
  const std::string_view target = method == std::string_view::npos ? "" : line.substr(method + 1);
  return update::PrintableText(line.substr(0, method)) + ' ' +
         update::PrintableText(target.substr(0, target.find(' ')));
}

}  // namespace

RequestGate::RequestGate(int listener, GateLimits limits, Serve serve, Log log)
    : listener_(listener), limits_(limits), serve_(std::move(serve)), log_(std::move(log)) {}

RequestGate::Verdict RequestGate::Classify(const std::string& bytes) const {
  const size_t headEnd = bytes.find(kHeadEnd);
  if (headEnd == std::string::npos)
    return bytes.size() > limits_.maxHead ? kHeadTooLarge : kIncomplete;
  if (headEnd + kHeadEnd.size() > limits_.maxHead) return kHeadTooLarge;
  std::string_view head = std::string_view(bytes).substr(0, headEnd);
  std::optional<size_t> length;
  head.remove_prefix(std::min(head.size(), head.find("\r\n")));  // the request line
  while (!head.empty()) {
    head.remove_prefix(2);
    const std::string_view field = head.substr(0, head.find("\r\n"));
    head.remove_prefix(field.size());
    const size_t colon = field.find(':');
    const std::string_view name = field.substr(0, colon);
    const std::string_view value =
        colon == std::string_view::npos ? "" : Trimmed(field.substr(colon + 1));
    if (SameName(name, "Transfer-Encoding")) return kLengthRequired;
    if (!SameName(name, "Content-Length")) continue;
    size_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc::result_out_of_range) return kTooLarge;
    if (error != std::errc() || end != value.data() + value.size() || value.empty() ||
        (length && *length != number))
      return kMalformed;
    length = number;
  }
  if (length.value_or(0) > limits_.maxBody) return kTooLarge;
  return bytes.size() >= headEnd + kHeadEnd.size() + length.value_or(0) ? kComplete : kIncomplete;
}

void RequestGate::Close(int fd) {
  close(fd);
  --open_;
}

void RequestGate::Refuse(GateConnection& connection, int status) {
  const std::string answer = "HTTP/1.1 " + std::to_string(status) + ' ' + Reason(status) +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  send(connection.fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  shutdown(connection.fd, SHUT_WR);
  log_(RequestOf(connection.bytes) + " -> " + std::to_string(status));
  Close(connection.fd);
}

void RequestGate::Accept() {
  for (;;) {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // none left (or a client that gave up already)
    ++open_;
    if (open_ > limits_.maxConnections) {
      // Full: the connection that has been sending its request the longest
      // makes room; when every connection is with a worker, the new one
      // waits for none.
      const auto oldest = std::min_element(
          pending_.begin(), pending_.end(),
          [](const Pending& a, const Pending& b) { return a.deadline < b.deadline; });
      if (oldest == pending_.end()) {
        Close(fd);
        continue;
      }
      Close(oldest->connection.fd);
      pending_.erase(oldest);
    }
    pending_.push_back({{fd, {}}, Clock::now() + limits_.requestTime});
  }
}

RequestGate::Received RequestGate::Receive(Pending& pending) {
  const size_t most = limits_.maxHead + limits_.maxBody + 1;
  char buffer[16384];
  while (pending.connection.bytes.size() < most) {
    const ssize_t n = recv(pending.connection.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      pending.connection.bytes.append(buffer, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) return Received::Ended;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? Received::Open
                                                                     : Received::Failed;
  }
  return Received::Open;
}

bool RequestGate::Settle(Pending& pending) {
  const Verdict verdict = Classify(pending.connection.bytes);
  if (verdict == kIncomplete) return false;
  if (verdict == kComplete) {
    const std::lock_guard<std::mutex> guard(lock_);
    requests_.push_back(std::move(pending.connection));
    // Workers busy with clients that read their answers slowly must not
    // keep this request waiting.
    if (requests_.size() > idle_ && threads_ < limits_.maxConnections) StartWorker();
    ready_.notify_one();
  } else {
    Refuse(pending.connection, verdict);
  }
  return true;
}

void RequestGate::TakeBackReturned() {
  uint64_t count = 0;
  while (read(wake_, &count, sizeof count) > 0) {
  }
  std::deque<GateConnection> back;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    back.swap(returned_);
  }
  for (GateConnection& connection : back)
    pending_.push_back({std::move(connection), Clock::now() + limits_.requestTime});
}

void RequestGate::StartWorker() {
  ++threads_;
  std::thread([this] { Work(); }).detach();
}

void RequestGate::Work() {
  for (;;) {
    GateConnection connection;
    {
      std::unique_lock<std::mutex> guard(lock_);
      ++idle_;
      ready_.wait(guard, [this] { return !requests_.empty(); });
      --idle_;
      connection = std::move(requests_.front());
      requests_.pop_front();
    }
    if (!serve_(connection)) {
      Close(connection.fd);
      continue;
    }
    const std::lock_guard<std::mutex> guard(lock_);
    returned_.push_back(std::move(connection));
    const uint64_t one = 1;
    if (write(wake_, &one, sizeof one) < 0) {
      // The counter is full: the gate is awake already.
    }
  }
}

bool RequestGate::Run() {
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_ < 0) return false;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < limits_.workers; ++i) StartWorker();
  }
  std::vector<pollfd> polled;
  for (;;) {
    polled.assign({{listener_, POLLIN, 0}, {wake_, POLLIN, 0}});
    auto soonest = Clock::time_point::max();
    for (const Pending& p : pending_) {
      polled.push_back({p.connection.fd, POLLIN, 0});
      soonest = std::min(soonest, p.deadline);
    }
    int timeout = -1;
    if (!pending_.empty()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(soonest - Clock::now());
      timeout = static_cast<int>(std::clamp<int64_t>(wait.count(), 0, 60000));
    }
    if (poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR) return false;

    // Every connection that was polled, in pending_'s order: read, settle,
    // or cut off at its deadline. Those taken back and accepted come after.
    const auto now = Clock::now();
    size_t kept = 0;
    for (size_t i = 0; i < pending_.size(); ++i) {
      Pending& p = pending_[i];
      const short events = i + 2 < polled.size() ? polled[i + 2].revents : 0;
      bool gone = false;
      if (events != 0) {
        // A client that sent its request and closed its side still gets
        // the answer.
        const Received received = Receive(p);
        gone = received != Received::Failed && Settle(p);
        if (!gone && received != Received::Open) {
          Close(p.connection.fd);
          gone = true;
        }
      }
      if (!gone && now >= p.deadline) {
        Close(p.connection.fd);
        gone = true;
      }
      if (!gone) {
        if (kept != i) pending_[kept] = std::move(p);
        ++kept;
      }
    }
    pending_.resize(kept);
    if (polled[1].revents != 0) {
      const size_t before = pending_.size();
      TakeBackReturned();
      // A connection may come back with the next request read already.
      for (size_t i = before; i < pending_.size();) {
        if (Settle(pending_[i]))
          pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
        else
          ++i;
      }
    }
    if (polled[0].revents != 0) Accept();
  }
}

}  // namespace fontserver
