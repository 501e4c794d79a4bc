#pragma once
// The one way a user's file is written: replaced as a whole or not at all.
// The bytes go to a new file of a name nobody uses yet in the target's
// folder (created exclusively, so it can never be an existing file, the
// input of a conversion, or a symbolic link planted there), are flushed to
// disk, and only then take the target's name. A write that fails half-way
// (full disk, file-size limit, I/O error) removes the new file and leaves
// the old one untouched.
//
// A target that is a symbolic link keeps its link: the file it points to is
// the one replaced.
//
// A program ended by Ctrl+C (SIGINT), SIGTERM or SIGHUP while a writer is
// open removes the new file before it ends, unless the program handles or
// ignores that signal itself.

#include <filesystem>
#include <string>
#include <string_view>

namespace fileio {

class AtomicWriter {
 public:
  // Opens the new file beside the target; IsOpen tells whether that worked.
  explicit AtomicWriter(const std::string& utf8Path);
  // Removes the new file unless Commit succeeded.
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // Appends bytes; false (and every later call false) once a write failed.
  bool Write(std::string_view bytes);
  // Flushes the new file to disk and gives it the target's name.
  bool Commit();
  // Gives up: the new file is removed, the target stays as it was.
  void Discard();
  // Why the last step failed (the system's text, e.g. "File too large");
  // empty while nothing failed.
  const std::string& Error() const { return error_; }
  // Where the bytes go until Commit.
  const std::filesystem::path& TempPath() const { return temp_; }

 private:
  bool Fail(const char* what);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  int pendingSlot_ = -1;  // where the signal handler finds the new file
  bool failed_ = false;
  std::string error_;
};

// Makes a write past the process's file-size limit (ulimit -f) fail with
// "File too large", which the writers report, instead of ending the program
// with SIGXFSZ in the middle of a save. Every program calls it at start.
void FailWritesPastSizeLimit();

// The whole file at once. error, when given, receives AtomicWriter::Error.
bool WriteFileAtomically(const std::string& utf8Path, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace fileio
