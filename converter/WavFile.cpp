#include "converter/WavFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fileio/AtomicFile.h"
#include "seams/EventPump.h"

namespace converter {

namespace fs = std::filesystem;

namespace {

uint32_t U32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

constexpr size_t kHeaderBytes = 36;
constexpr size_t kCopyBlock = 1 << 20;
constexpr size_t kWalkBlock = 64 * 1024;

// Reads a stream forward through a buffer: a run of small chunks costs one
// read per buffer, not a seek and a read per chunk, and only a jump past
// the buffer (over a large chunk) seeks.
class ForwardReader {
 public:
  ForwardReader(std::istream& in, int64_t size) : in_(in), size_(size), buffer_(kWalkBlock) {}

  // The n bytes at pos, from a position at or after the last one asked
  // for; false when the file ends before them.
  bool Peek(int64_t pos, uint8_t* out, size_t n) {
    if (pos < 0 || pos + int64_t(n) > size_) return false;
    if (pos < start_ || pos + int64_t(n) > start_ + int64_t(length_)) {
      in_.clear();
      in_.seekg(pos);
      in_.read(reinterpret_cast<char*>(buffer_.data()), std::streamsize(buffer_.size()));
      start_ = pos;
      length_ = size_t(in_.gcount());
      if (length_ < n) return false;
    }
    std::memcpy(out, buffer_.data() + (pos - start_), n);
    return true;
  }

 private:
  std::istream& in_;
  const int64_t size_;
  std::vector<uint8_t> buffer_;
  int64_t start_ = 0;
  size_t length_ = 0;
};

// Four printable characters, as every chunk id is.
bool IsChunkId(const uint8_t* p) {
  return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// A chunk of odd size is followed by a pad byte, which some writers leave
// out. The next chunk then starts right after the data: taken when the
// padded place holds no chunk (no zero pad byte before a chunk id) and the
// unpadded place starts with a chunk id.
bool PadByteMissing(ForwardReader& file, int64_t unpadded) {
  uint8_t b[5];
  if (!file.Peek(unpadded, b, 5)) return false;
  const bool paddedChunk = b[0] == 0 && IsChunkId(b + 1);
  return !paddedChunk && IsChunkId(b);
}

// Walks the chunks from "fmt " on, reading forward; the offset of the
// "data" chunk, or -1 when the list runs out or breaks before it.
int64_t WalkToData(std::istream& in, int64_t fileSize) {
  ForwardReader file(in, fileSize);
  int64_t at = 12;
  uint8_t head[8];
  while (at + 8 <= fileSize) {
    if (!file.Peek(at, head, 8)) return -1;
    if (std::memcmp(head, "data", 4) == 0) return at;
    const uint32_t size = U32(head + 4);
    int64_t next = at + 8 + size;
    if (size & 1 && !PadByteMissing(file, next)) ++next;
    if (next <= at || next > fileSize) return -1;
    at = next;
  }
  return -1;
}

// The first "data" bytes anywhere in the file; -1 without them.
int64_t SearchData(std::istream& in) {
  in.clear();
  in.seekg(0);
  std::vector<char> buf(kCopyBlock + 3);
  int64_t base = 0;
  size_t carry = 0;
  while (true) {
    in.read(buf.data() + carry, kCopyBlock);
    const size_t n = carry + size_t(in.gcount());
    if (n < 4) return -1;
    for (size_t i = 0; i + 4 <= n; ++i)
      if (std::memcmp(buf.data() + i, "data", 4) == 0) return base + int64_t(i);
    if (!in) return -1;
    std::memmove(buf.data(), buf.data() + n - 3, 3);
    base += int64_t(n) - 3;
    carry = 3;
  }
}

// Plain decimal with at most two decimals and no needless zeros, "." as the
// decimal point whatever the locale: 1, 1.5, 0.33.
std::string Plain(double v) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  std::string s(buf, ec == std::errc() ? end : buf);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

}  // namespace

std::string DurationText(double seconds) {
  // Halves to even: the current rounding mode is to nearest.
  return Plain(std::nearbyint(seconds * 100) / 100);
}

bool WavFile::OpenFile(const std::string& fileName) {
  // Only a regular file: opening a FIFO would wait for a writer for ever,
  // and a device never ends.
  std::error_code ec;
  if (!fs::is_regular_file(fileName, ec)) return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  const auto size = fs::file_size(fileName, ec);
  if (ec || !ReadHeader(in, int64_t(size))) return false;
  FileName = fileName;
  return true;
}

bool WavFile::ReadHeader(std::istream& in, int64_t fileSize) {
  uint8_t h[kHeaderBytes];
  if (!in.read(reinterpret_cast<char*>(h), kHeaderBytes)) return false;
  if (std::memcmp(h, "RIFF", 4) || std::memcmp(h + 8, "WAVE", 4) ||
      std::memcmp(h + 12, "fmt ", 4) || U16(h + 20) != 1)
    return false;
  int64_t data = WalkToData(in, fileSize);
  if (data < 0) data = SearchData(in);
  if (data < 0 || data + 8 > fileSize) return false;
  in.clear();
  in.seekg(data + 4);
  uint8_t sizeField[4];
  if (!in.read(reinterpret_cast<char*>(sizeField), 4)) return false;
  Channels = int16_t(U16(h + 22));
  SamplesPerSecond = int32_t(U32(h + 24));
  BitsPerSample = int16_t(U16(h + 34));
  DataStart = data + 8;
  DataSize = int32_t(
      std::min<int64_t>({int64_t(U32(sizeField)), fileSize - DataStart, int64_t(INT32_MAX)}));
  return true;
}

// Every channel has its own samples, so a stereo file lasts half as long as
// a mono file of the same size.
double WavFile::DurationSeconds() const {
  if (BitsPerSample <= 0 || SamplesPerSecond <= 0) return 0;
  return double(DataSize) * 8 / BitsPerSample / SamplesPerSecond / std::max<int16_t>(Channels, 1);
}

std::string WavFile::Information() const {
  return std::string(Channels == 1 ? "File information: mono, " : "File information: stereo, ") +
         "Frequency: " + std::to_string(SamplesPerSecond) +
         ", Coding: " + std::to_string(BitsPerSample) + " bits" +
         ", Duration: " + DurationText(DurationSeconds()) + " sec";
}

WavFile::Result WavFile::ConvertToLSU(const std::string& outputName, seams::EventPacer* pacer) {
  std::error_code ec;
  if (fs::exists(outputName, ec) && fs::equivalent(outputName, FileName, ec))
    return Result::SameAsInput;
  if (fs::absolute(outputName, ec) == fs::absolute(FileName, ec)) return Result::SameAsInput;
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return Result::CannotRead;
  in.seekg(DataStart);

  // A new file of its own beside the output, renamed over it at the end: it
  // can be neither the input nor anybody's file, and a failure half-way
  // leaves an older output as it was. The writer removes it on failure.
  fileio::AtomicWriter out(outputName);
  const auto cannotWrite = [&] {
    WriteError = out.Error();
    return Result::CannotWrite;
  };
  if (!out.Write(std::string_view(kLsuLeadingField, 4))) return cannotWrite();
  std::vector<char> block(kCopyBlock);
  int64_t left = int64_t(DataSize / 2) * 2;
  while (left > 0) {
    const auto n = std::streamsize(std::min<int64_t>(left, int64_t(block.size())));
    if (!in.read(block.data(), n)) return Result::CannotRead;
    if (!out.Write(std::string_view(block.data(), size_t(n)))) return cannotWrite();
    left -= n;
    if (pacer) pacer->Tick();
  }
  return out.Commit() ? Result::Done : cannotWrite();
}

}  // namespace converter
