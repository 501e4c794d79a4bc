#include "fileio/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <random>

#include "fileio/Utf8Path.h"

namespace fileio {

namespace fs = std::filesystem;

namespace {

// Long names are cut so that the hidden name with its suffix stays within
// the file system's 255-byte limit.
constexpr size_t kNameBytesKept = 160;

// A symbolic link at the target stands for the file it points to.
fs::path Resolved(const fs::path& target) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
  const fs::path real = fs::weakly_canonical(target, error);
  return error ? target : real;
}

// The process, a count and a random number: unique among this program's
// writers and not to be guessed by anyone else.
std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  const unsigned n = counter.fetch_add(1);
  std::random_device random;
  return std::to_string(getpid()) + "-" + std::to_string(n) + "-" + std::to_string(random());
}

// The temporary files being written, for the signal handler below: a fixed
// table it can read without taking a lock or allocating.
struct PendingFile {
  std::atomic<bool> taken{false};  // claimed by a writer
  std::atomic<bool> named{false};  // path holds the file's name
  char path[PATH_MAX];
};
constexpr int kPendingFiles = 64;
PendingFile pending[kPendingFiles];

// Ctrl+C, a closed terminal or a polite kill ends the program as it always
// did, but the temporary files it was writing go first: a save, a
// conversion or a download cut short leaves no hidden file behind.
void RemovePendingFilesAndEnd(int signal) {
  for (PendingFile& file : pending)
    if (file.named.load()) unlink(file.path);
  // The handler was reset on entry: once it returns, the signal ends the
  // program with its usual status.
  raise(signal);
}

// Only where the program has not chosen its own way to handle the signal
// (brelka's Ctrl+C handler, a shell's ignored SIGINT for a background job).
void RemovePendingFilesOnEndingSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction current {};
      if (sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
          current.sa_handler != SIG_DFL)
        continue;
      struct sigaction action {};
      action.sa_handler = RemovePendingFilesAndEnd;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      sigaction(signal, &action, nullptr);
    }
  });
}

// A place in the table for the file; -1 when the name is too long or the
// table is full (the file is then only removed by the writer itself).
int AddPending(const std::filesystem::path& path) {
  RemovePendingFilesOnEndingSignals();
  if (path.native().size() >= PATH_MAX) return -1;
  for (int i = 0; i < kPendingFiles; ++i) {
    bool free = false;
    if (!pending[i].taken.compare_exchange_strong(free, true)) continue;
    std::memcpy(pending[i].path, path.c_str(), path.native().size() + 1);
    pending[i].named.store(true);
    return i;
  }
  return -1;
}

void RemovePending(int& slot) {
  if (slot < 0) return;
  pending[slot].named.store(false);
  pending[slot].taken.store(false);
  slot = -1;
}

}  // namespace

AtomicWriter::AtomicWriter(const std::string& utf8Path)
    : target_(Resolved(PathFromUtf8(utf8Path))) {
  const std::string name = target_.filename().native().substr(0, kNameBytesKept);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = target_.parent_path() / ("." + name + "." + UniqueSuffix() + ".tmp");
    // Known to the signal handler before it exists: a Ctrl+C just after the
    // file was made still takes it away.
    pendingSlot_ = AddPending(temp_);
    // O_EXCL with O_CREAT never opens what is already there, a link
    // included; O_NOFOLLOW says so once more.
    fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ >= 0) break;
    const int openError = errno;
    RemovePending(pendingSlot_);  // the name is not ours
    errno = openError;
    if (errno != EEXIST) break;
  }
  if (fd_ < 0) {
    Fail("cannot create a file beside it");
    temp_.clear();
    return;
  }
  // A replaced file keeps its permissions.
  struct stat old {};
  if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd_, old.st_mode & 07777);
}

AtomicWriter::~AtomicWriter() {
  Discard();
}

bool AtomicWriter::Fail(const char* what) {
  if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
  failed_ = true;
  return false;
}

bool AtomicWriter::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail("cannot write");
    if (n == 0) {
      errno = ENOSPC;
      return Fail("cannot write");
    }
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

bool AtomicWriter::Commit() {
  if (fd_ < 0 || failed_) {
    Discard();
    return false;
  }
  if (fsync(fd_) != 0) Fail("cannot flush to disk");
  if (close(fd_) != 0) Fail("cannot write");
  fd_ = -1;
  if (!failed_ && rename(temp_.c_str(), target_.c_str()) != 0) Fail("cannot replace it");
  if (failed_) {
    Discard();
    return false;
  }
  temp_.clear();
  RemovePending(pendingSlot_);
  // The new name is on disk too once its folder is.
  const int folder = open(target_.parent_path().empty() ? "." : target_.parent_path().c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void AtomicWriter::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  RemovePending(pendingSlot_);
  failed_ = true;
}

void FailWritesPastSizeLimit() {
  std::signal(SIGXFSZ, SIG_IGN);
}

bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes, std::string* error) {
  AtomicWriter writer(utf8Path);
  const bool ok = writer.Write(bytes) && writer.Commit();
  if (error) *error = writer.Error();
  return ok;
}

}  // namespace fileio
