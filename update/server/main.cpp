// font-server: serves a folder of fonts to morvane's online update.
//   font-server --root DIR [--host ADDR] [--port N]
// Prints "listening on ADDR:PORT" first, then a line for each font folder
// it does not offer and why, then one line per request, and serves until
// it is stopped. Port 0 (the default) picks a free port.

#include <arpa/inet.h>
#include <httplib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "ProjectVersion.h"
#include "update/PrintableText.h"
#include "update/server/FontService.h"
#include "update/server/RequestGate.h"

namespace {

struct Options {
  std::string root;
  std::string host = "127.0.0.1";
  int port = 0;
};

constexpr const char* kUsage = "usage: font-server --root DIR [--host ADDR] [--port N]\n";

int Usage(const std::string& message) {
  std::cerr << "font-server: " << message << '\n' << kUsage;
  return 2;
}

void PrintHelp() {
  std::cout << "font-server: serves a folder of fonts to morvane's online update.\n\n"
            << kUsage
            << "\n  --root DIR    the folder of fonts, one folder per font id\n"
               "  --host ADDR   the address to listen on (default 127.0.0.1)\n"
               "  --port N      the port (default 0: a free port, printed at start)\n"
               "  --help, --version  print this text or the version and end\n";
}

bool ParsePort(const std::string& text, int& port) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  return error == std::errc() && end == text.data() + text.size() && port >= 0 && port <= 65535;
}

// Sends the file in pieces, so a large sound file never sits in memory.
void SendFile(httplib::Response& res, const std::string& path) {
  auto in = std::make_shared<std::ifstream>(path, std::ios::binary);
  const auto size = static_cast<size_t>(std::filesystem::file_size(path));
  res.set_content_provider(size, "application/octet-stream",
                           [in](size_t offset, size_t length, httplib::DataSink& sink) {
                             std::vector<char> buffer(std::min<size_t>(length, 64 * 1024));
                             in->seekg(static_cast<std::streamoff>(offset));
                             in->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                             const auto got = static_cast<size_t>(in->gcount());
                             return got > 0 && sink.write(buffer.data(), got);
                           });
}

// A listening socket for host and port; port 0 picks a free one, and port
// then names it. -1 when neither address of the host can be bound.
int Listen(const std::string& host, int& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int listener = -1;
  for (const addrinfo* a = found; a && listener < 0; a = a->ai_next) {
    listener = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    const int yes = 1;
    if (listener >= 0 &&
        (setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
         bind(listener, a->ai_addr, a->ai_addrlen) != 0 || listen(listener, SOMAXCONN) != 0)) {
      close(listener);
      listener = -1;
    }
  }
  freeaddrinfo(found);
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  if (listener < 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &size) != 0)
    return -1;
  port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                           : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return listener;
}

// "ADDRESS" and port of a socket's end.
void Address(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t size = sizeof address;
  const int got = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size)
                       : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  char text[INET6_ADDRSTRLEN] = "";
  port = 0;
  if (got == 0 && address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (got == 0 && address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

// A connection the gate has read a whole request from, as httplib reads
// and writes it: the request comes from the bytes read already, the answer
// goes to the socket. A client that takes in no part of the answer for
// kWriteTime is cut off.
class GateStream : public httplib::Stream {
 public:
  explicit GateStream(fontserver::GateConnection& connection) : connection_(connection) {}

  bool is_readable() const override { return read_ < connection_.bytes.size(); }
  bool is_writable() const override {
    pollfd p{connection_.fd, POLLOUT, 0};
    return poll(&p, 1, static_cast<int>(kWriteTime.count())) > 0 && (p.revents & POLLOUT);
  }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, connection_.bytes.size() - read_);
    std::copy_n(connection_.bytes.data() + read_, n, ptr);
    read_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    return send(connection_.fd, ptr, size, MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    Address(connection_.fd, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    Address(connection_.fd, false, ip, port);
  }
  socket_t socket() const override { return connection_.fd; }

  // Leaves the bytes of the next request, if the client sent them already.
  void DropRead() { connection_.bytes.erase(0, read_); }

 private:
  static constexpr std::chrono::milliseconds kWriteTime{30000};
  fontserver::GateConnection& connection_;
  size_t read_ = 0;
};

// httplib's routing and answers for one request at a time from the gate.
class FontHttpServer : public httplib::Server {
 public:
  // httplib streams an answer only while it knows the listening socket.
  void ListensOn(int listener) { svr_sock_ = listener; }
  // False when the connection is to be closed after the answer.
  bool ServeOne(httplib::Stream& stream) {
    bool closed = false;
    return process_request(stream, false, closed, nullptr) && !closed;
  }
};

// One line of the log: what was asked and the answer's status. What the
// client sent is shown without control characters, and a long body only
// in part.
std::string RequestLine(std::string_view method, std::string_view path, std::string_view body,
                        int status) {
  constexpr size_t kShownBody = 1024;
  std::string line = std::string(method) + ' ' + update::PrintableText(path) + ' ' +
                     update::PrintableText(body.substr(0, kShownBody));
  if (body.size() > kShownBody) line += "... (" + std::to_string(body.size()) + " bytes)";
  return line + " -> " + std::to_string(status);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      PrintHelp();
      return 0;
    }
    if (a == "--version") {
      std::cout << "font-server " << project::kVersion << '\n';
      return 0;
    }
    if (i + 1 >= argc) return Usage(a + " needs a value");
    const std::string value = argv[++i];
    if (a == "--root") {
      options.root = value;
    } else if (a == "--host") {
      options.host = value;
    } else if (a == "--port") {
      if (!ParsePort(value, options.port)) return Usage("not a port: " + value);
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (options.root.empty()) return Usage("--root is required");
  std::error_code error;
  if (!std::filesystem::is_directory(options.root, error))
    return Usage("not a folder: " + options.root);

  const fontserver::FontService service(options.root);
  std::mutex logLock;
  const auto log = [&logLock](const std::string& line) {
    const std::lock_guard<std::mutex> lock(logLock);
    std::cout << line << std::endl;
  };
  const fontserver::GateLimits limits;
  FontHttpServer server;
  server.set_payload_max_length(limits.maxBody);
  server.set_keep_alive_timeout(
      std::chrono::duration_cast<std::chrono::seconds>(limits.requestTime).count());
  server.Post(R"(/.*)", [&](const httplib::Request& req, httplib::Response& res) {
    const fontserver::ServiceAnswer answer = service.Answer(req.path, req.body);
    res.status = answer.httpStatus;
    if (answer.filePath.empty())
      res.set_content(answer.text, "text/plain");
    else
      SendFile(res, answer.filePath);
    log(RequestLine("POST", req.path, req.body, res.status));
  });

  int port = options.port;
  const int listener = Listen(options.host, port);
  if (listener < 0) {
    std::cerr << "font-server: cannot listen on " << options.host << ':' << options.port << '\n';
    return 1;
  }
  std::cout << "listening on " << options.host << ':' << port << std::endl;
  for (const fontserver::SkippedFont& skipped : service.Skipped())
    log("skipping font folder \"" + update::PrintableText(skipped.folder) +
        "\": " + skipped.reason);
  server.ListensOn(listener);
  fontserver::RequestGate gate(
      listener, limits,
      [&server](fontserver::GateConnection& connection) {
        GateStream stream(connection);
        const bool keep = server.ServeOne(stream);
        stream.DropRead();
        return keep;
      },
      log);
  return gate.Run() ? 0 : 1;
}
