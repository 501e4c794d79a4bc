#include "sound/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "sound/Utf8Path.h"

namespace sound {

namespace {

// Opens a new file of a name no one uses yet beside target.
int CreateBeside(const std::filesystem::path& target, std::string& created) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = target.native() + ".tmp-" + std::to_string(getpid()) + "-" +
              std::to_string(stamp % 1000000) + "-" + std::to_string(counter++);
    const int fd = open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes) {
  const std::filesystem::path target = PathFromUtf8(utf8Path);
  std::string temp;
  const int fd = CreateBeside(target, temp);
  if (fd < 0) return false;
  // A replaced file keeps its permissions.
  struct stat old {};
  if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  std::error_code error;
  if (ok) std::filesystem::rename(temp, target, error);
  if (ok && !error) return true;
  std::filesystem::remove(temp, error);
  return false;
}

}  // namespace sound
