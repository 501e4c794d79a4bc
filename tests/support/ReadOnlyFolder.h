#pragma once
// A folder in which no file can be created, for an ordinary user and for
// root alike: its write bits are taken away, and for root (whom the bits do
// not stop) it is also marked immutable, as `chattr +i` does. Both are
// undone when the object goes, so the test can remove the folder.
//
// Holds() tells whether the folder really refuses new files: a file system
// without the immutable flag (tmpfs, overlay) leaves root free to write,
// and a test then skips instead of passing for the wrong reason.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace testing_support {

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    chmod(path_.c_str(), 0555);
    if (geteuid() == 0) immutable_ = SetImmutable(true);
  }
  ~ReadOnlyFolder() {
    if (immutable_) SetImmutable(false);
    chmod(path_.c_str(), 0755);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool Holds() const {
    const std::string probe = path_ + "/.read-only-check";
    const int fd = open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    close(fd);
    unlink(probe.c_str());
    return false;
  }

 private:
  bool SetImmutable(bool on) const {
    const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  std::string path_;
  bool immutable_ = false;
};

}  // namespace testing_support
