#include "sound/AsideFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "sound/Utf8Path.h"

namespace sound {

namespace {

std::string SystemError(int error) {
  return std::strerror(error);
}

}  // namespace

AsideFile::AsideFile(const std::string& utf8Target) : target_(PathFromUtf8(utf8Target).native()) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = target_ + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(stamp % 1000000) +
            "-" + std::to_string(counter++);
    fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    error_ = SystemError(errno);
    temp_.clear();
    return;
  }
  // A replaced file keeps its permissions.
  struct stat old {};
  if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd_, old.st_mode & 07777);
}

AsideFile::~AsideFile() {
  Discard();
}

bool AsideFile::Fail() {
  if (error_.empty()) error_ = SystemError(errno);
  Discard();
  return false;
}

bool AsideFile::Write(const void* bytes, size_t size) {
  if (fd_ < 0) return false;
  const char* at = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = write(fd_, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return Fail();
    at += n;
    size -= size_t(n);
  }
  return true;
}

bool AsideFile::Commit() {
  if (fd_ < 0) return false;
  if (fsync(fd_) != 0) return Fail();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0 || rename(temp_.c_str(), target_.c_str()) != 0) {
    error_ = SystemError(errno);
    unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  temp_.clear();
  return true;
}

void AsideFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace sound
