#pragma once
// The one way a text file of the system is read (configuration files, the
// LED catalogue, LED settings files): line by line, each line at most
// kMaxLineBytes long, from a regular file only. A FIFO, a device such as
// /dev/zero or a folder is refused at once, without waiting on it, and a
// line that does not end within the limit stops the reading, so no file can
// make a reader wait for ever or fill the memory.

#include <istream>
#include <string>
#include <vector>

namespace fileio {

inline constexpr size_t kMaxLineBytes = 4096;

class LineReader {
 public:
  // Opens the file at a UTF-8 path. When that fails, Error says why and
  // Next returns false.
  explicit LineReader(const std::string& utf8Path);
  // Reads text from a stream under the same limits; name stands for it in
  // messages.
  LineReader(std::istream& in, std::string name);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Passes over a UTF-8 byte-order mark at the very start of the text, as
  // editors on other systems write one. Call before the first Next.
  void SkipByteOrderMark();
  // The next line without its line end (CR LF or LF; a last line may have
  // none). False at the end of the text and when reading failed.
  bool Next(std::string& line);
  // Why the reading failed, for the user: "NAME is not a regular file",
  // "NAME has a line longer than 4096 bytes", "NAME could not be read: ...".
  // Empty when it did not fail.
  const std::string& Error() const { return error_; }
  bool Failed() const { return !error_.empty(); }

 private:
  // Refills the buffer; false at the end or on an error.
  bool Fill();
  bool Fail(const std::string& why);

  std::string name_;
  int fd_ = -1;
  std::istream* stream_ = nullptr;
  std::vector<char> buffer_;
  size_t at_ = 0, end_ = 0;
  bool started_ = false;
  bool finished_ = false;
  std::string error_;
};

}  // namespace fileio
