#pragma once
// A file written in pieces that takes its name only once it is whole: the
// bytes go to a new file of a unique name beside the target (created with
// O_EXCL and never through a link), are flushed to disk, and the file is
// then renamed over the target. Dropped before Commit, or failing on the
// way, it removes its temporary file and the target stays as it was.

#include <cstddef>
#include <string>

namespace sound {

class AsideFile {
 public:
  explicit AsideFile(const std::string& utf8Target);
  ~AsideFile();
  AsideFile(const AsideFile&) = delete;
  AsideFile& operator=(const AsideFile&) = delete;

  // False when the temporary file could not be created; Error() says why.
  bool IsOpen() const { return fd_ >= 0; }
  // Appends bytes; after the first failure every call is false.
  bool Write(const void* bytes, size_t size);
  // Flushes, closes and renames over the target. False, with the temporary
  // file gone, when any step (or an earlier Write) failed.
  bool Commit();
  // Removes the temporary file; the target is left alone.
  void Discard();

  // What went wrong, as the system said it: "No space left on device".
  const std::string& Error() const { return error_; }
  const std::string& TempPath() const { return temp_; }

 private:
  bool Fail();

  std::string target_;
  std::string temp_;
  std::string error_;
  int fd_ = -1;
};

}  // namespace sound
