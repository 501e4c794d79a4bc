// font-server: serves a folder of fonts to morvane's online update.
//   font-server --root DIR [--host ADDR] [--port N]
// Prints "listening on ADDR:PORT" first, then a line for each font folder
// it does not offer and why, then one line per request, and serves until
// it is stopped. Port 0 (the default) picks a free port.

#include <httplib.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "update/PrintableText.h"
#include "update/server/FontService.h"

namespace {

struct Options {
  std::string root;
  std::string host = "127.0.0.1";
  int port = 0;
};

int Usage(const std::string& message) {
  std::cerr << "font-server: " << message
            << "\nusage: font-server --root DIR [--host ADDR] [--port N]\n";
  return 2;
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
  httplib::Server server;
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
  if (port == 0)
    port = server.bind_to_any_port(options.host);
  else if (!server.bind_to_port(options.host, port))
    port = -1;
  if (port < 0) {
    std::cerr << "font-server: cannot listen on " << options.host << ':' << options.port << '\n';
    return 1;
  }
  std::cout << "listening on " << options.host << ':' << port << std::endl;
  for (const fontserver::SkippedFont& skipped : service.Skipped())
    log("skipping font folder \"" + update::PrintableText(skipped.folder) +
        "\": " + skipped.reason);
  return server.listen_after_bind() ? 0 : 1;
}
