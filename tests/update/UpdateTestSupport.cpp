#include "tests/update/UpdateTestSupport.h"
#include "tests/support/Files.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

FontServer::FontServer(const std::string& root) {
  process_.setProgram(FONT_SERVER);
  process_.setArguments({"--root", QString::fromStdString(root), "--port", "0"});
  process_.setReadChannel(QProcess::StandardOutput);
  // A test that dies on the way leaves no server behind.
  process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  process_.start();
  const QString prefix = "listening on ";
  while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
  }
  const QString first = QString::fromUtf8(process_.readLine()).trimmed();
  if (!first.startsWith(prefix)) throw std::runtime_error("font-server did not start");
  host_ = first.mid(prefix.size()).toStdString();
}

FontServer::~FontServer() {
  process_.terminate();
  process_.waitForFinished(5000);
}

std::vector<std::string> FontServer::Log() {
  // Lines are written before the answer goes out; what is in the pipe is
  // everything asked so far.
  process_.waitForReadyRead(50);
  while (process_.canReadLine())
    log_.push_back(QString::fromUtf8(process_.readLine()).trimmed().toStdString());
  return log_;
}

std::vector<std::string> FontServer::Downloads() {
  std::vector<std::string> downloads;
  for (const std::string& line : Log())
    if (line.rfind("POST /tst/gct/ ", 0) == 0) downloads.push_back(line.substr(15));
  return downloads;
}

void MakeServedFont(const std::string& root, const std::string& fontId,
                    const std::vector<std::string>& items, size_t bytes) {
  const std::string folder = root + "/" + fontId;
  fs::create_directories(folder);
  std::string configuration = "BOOT\r\nC:\\Maker\\" + items.at(0) + "\r\n 100 \r\n";
  configuration += "MOTION-" + std::to_string(items.size() - 1) + "\r\n";
  for (size_t i = 1; i < items.size(); ++i)
    configuration += "/home/maker/" + items[i] + "\r\n 80 \r\n";
  WriteBytes(folder + "/" + fontId + ".lscfg", configuration);
  for (size_t i = 0; i < items.size(); ++i)
    WriteBytes(folder + "/" + items[i], std::string(bytes, static_cast<char>('a' + i)));
}

void MakeLocalFont(const std::string& appFolder, const std::string& fontId,
                   const std::vector<std::string>& items, bool complete) {
  const std::string folder = appFolder + "/fonts/" + fontId;
  fs::create_directories(folder);
  for (const std::string& item : items) WriteBytes(folder + "/" + item, "local");
  if (complete) WriteBytes(folder + "/fnt", "");
}

int ConnectTo(const std::string& host) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(std::stoi(host.substr(host.rfind(':') + 1))));
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

std::string Exchange(const std::string& host, const std::string& request) {
  const int fd = ConnectTo(host);
  if (fd < 0) return {};
  std::string answer;
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size())) {
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    for (ssize_t n = 1; n > 0 && poll(&p, 1, 60000) > 0;) {
      n = recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) answer.append(buffer, static_cast<size_t>(n));
    }
  }
  close(fd);
  return answer;
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

void RecordingView::resetForm() {
  ++resets;
  steps.clear();
  elements.clear();
  warnings.clear();
  messages.clear();
  installedShown.clear();
  barA = {0};
  barB = {0};
}

}  // namespace testing_support
