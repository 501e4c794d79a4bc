#include "fileio/LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fileio/Utf8Path.h"

namespace fileio {

namespace {

constexpr size_t kBufferBytes = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

LineReader::LineReader(const std::string& utf8Path) : name_(utf8Path), buffer_(kBufferBytes) {
  // Opened without blocking, so that a FIFO nobody writes to is refused
  // rather than waited on.
  const int fd = open(PathFromUtf8(utf8Path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    Fail(name_ + " could not be opened: " + std::strerror(errno));
    return;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    Fail(name_ + " is not a regular file");
    return;
  }
  fd_ = fd;
}

LineReader::LineReader(std::istream& in, std::string name)
    : name_(std::move(name)), stream_(&in), buffer_(kBufferBytes) {}

LineReader::~LineReader() {
  if (fd_ >= 0) close(fd_);
}

bool LineReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  finished_ = true;
  return false;
}

bool LineReader::Fill() {
  if (finished_) return false;
  at_ = end_ = 0;
  if (stream_) {
    stream_->read(buffer_.data(), std::streamsize(buffer_.size()));
    end_ = size_t(stream_->gcount());
    if (end_ == 0 && stream_->bad()) return Fail(name_ + " could not be read");
  } else if (fd_ >= 0) {
    ssize_t n;
    do n = read(fd_, buffer_.data(), buffer_.size());
    while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(name_ + " could not be read: " + std::strerror(errno));
    end_ = size_t(n);
  }
  if (end_ == 0) finished_ = true;
  return end_ > 0;
}

void LineReader::SkipByteOrderMark() {
  if (started_) return;
  started_ = true;
  if (at_ == end_) Fill();
  const std::string_view start(buffer_.data() + at_, end_ - at_);
  if (start.substr(0, kByteOrderMark.size()) == kByteOrderMark) at_ += kByteOrderMark.size();
}

bool LineReader::Next(std::string& line) {
  started_ = true;
  line.clear();
  bool any = false;
  while (true) {
    if (at_ == end_ && !Fill()) break;
    any = true;
    const char* begin = buffer_.data() + at_;
    const char* stop = buffer_.data() + end_;
    const char* newline = std::find(begin, stop, '\n');
    line.append(begin, newline);
    at_ = size_t(newline - buffer_.data());
    // One byte more than the limit may be the CR of a CR LF.
    if (line.size() > kMaxLineBytes + 1) break;
    if (newline != stop) {
      ++at_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() > kMaxLineBytes) break;
      return true;
    }
  }
  if (line.size() > kMaxLineBytes) {
    line.clear();
    return Fail(name_ + " has a line longer than " + std::to_string(kMaxLineBytes) + " bytes");
  }
  if (Failed() || !any || line.empty()) return false;
  if (line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace fileio
