#include "sound/LSU_SoundFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "fileio/AtomicFile.h"
#include "fileio/Utf8Path.h"
#include "seams/EventPump.h"
#include "sound/LsuSamples.h"
#include "text/NumberReading.h"

namespace sound {

namespace {

void PutTriple(uint8_t* t, int a, int b) {
  const unsigned ma = static_cast<unsigned>(std::abs(a));
  const unsigned mb = static_cast<unsigned>(std::abs(b));
  t[0] = static_cast<uint8_t>(ma >> 2);
  t[1] = static_cast<uint8_t>((a < 0) << 7 | (b < 0) << 6 | (ma & 3) << 2 | (mb & 3));
  t[2] = static_cast<uint8_t>(mb >> 2);
}

void PutLE(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

std::string WavHeader(uint32_t samples) {
  std::string h = "RIFF";
  PutLE(h, 2 * samples + 36, 4);
  h += "WAVEfmt ";
  PutLE(h, 16, 4);
  PutLE(h, 1, 2);  // PCM
  PutLE(h, 1, 2);  // mono
  PutLE(h, LSU_SoundFile::kSamplesPerSecond, 4);
  PutLE(h, 2 * LSU_SoundFile::kSamplesPerSecond, 4);  // bytes per second
  PutLE(h, 2, 2);                                     // block align
  PutLE(h, 16, 2);                                    // bits per sample
  h += "data";
  PutLE(h, 2 * samples, 4);
  return h;
}

}  // namespace

double LSU_SoundFile::CodeScale(int32_t peak, int volume) {
  return peak > 0 ? (double{kFullScale} / peak) * std::clamp(volume, 0, 100) / 100 : 0.0;
}

int LSU_SoundFile::CodedValue(int16_t sample, double scale) {
  return std::clamp(static_cast<int>(text::RoundHalfEven(sample * scale)), -kFullScale, kFullScale);
}

bool HasLsuExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.size() - dot != 4) return false;
  for (size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(path[dot + 1 + i])) != "LSU"[i]) return false;
  return true;
}

uint32_t ByteSum16(const uint8_t* bytes, size_t count) {
  uint32_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += bytes[i];
  return sum % 65536;
}

LSU_SoundFile LSU_SoundFile::Uncoded() const {
  LSU_SoundFile copy;
  copy.FileName = FileName;
  copy.NrOfSamples = NrOfSamples;
  copy.Volume = Volume;
  copy.Peak = Peak;
  return copy;
}

void LSU_SoundFile::Clear() {
  FileName.clear();
  NrOfSamples = 0;
  NrOfBytes = 0;
  Address = 0;
  Peak = 0;
  CodedData = {};
}

bool LSU_SoundFile::ReadFile(const std::string& FileNameAndPath) {
  Clear();
  FileName = FileNameAndPath;
  Volume = 100;
  if (!HasLsuExtension(FileNameAndPath)) return false;
  LsuSamples samples(FileNameAndPath);
  if (!samples.IsOpen()) return false;
  int64_t count = 0;
  for (auto chunk = samples.Next(); !chunk.empty(); chunk = samples.Next()) {
    for (int16_t s : chunk) Peak = std::max(Peak, std::abs(int32_t{s}));
    count += static_cast<int64_t>(chunk.size());
    if (count > kMaxSamples) break;
  }
  NrOfSamples = static_cast<int32_t>(std::min(count, kMaxSamples));
  return !samples.Failed() && count <= kMaxSamples && Peak != 0 && NrOfSamples >= kMinSamples;
}

bool LSU_SoundFile::Code(seams::EventPacer* pacer) {
  NrOfBytes = 0;
  CodedData = {};
  if (NrOfSamples < kMinSamples || Peak <= 0) return false;
  const int64_t padded = NrOfSamples + (NrOfSamples & 1);
  std::vector<uint8_t> coded(static_cast<size_t>(padded / 2 * 3), 0);
  const double scale = CodeScale(Peak, Volume);

  LsuSamples samples(FileName);
  // index: 0-based position of the next sample. A triple starts at every odd
  // index; sample 0 is never coded, nor a last sample without a partner.
  int64_t index = 0;
  int first = 0;
  for (auto chunk = samples.Next(); !chunk.empty(); chunk = samples.Next()) {
    if (index + static_cast<int64_t>(chunk.size()) > NrOfSamples) return false;
    for (int16_t s : chunk) {
      if (std::abs(int32_t{s}) > Peak) return false;  // the file changed since ReadFile
      const int value = CodedValue(s, scale);
      if (index & 1)
        first = value;
      else if (index > 0)
        PutTriple(&coded[static_cast<size_t>(index / 2 * 3)], first, value);
      ++index;
    }
    if (pacer) pacer->Tick();
  }
  if (samples.Failed() || index != NrOfSamples) return false;
  CodedData = std::move(coded);
  NrOfBytes = static_cast<int32_t>(CodedData.size());
  return true;
}

bool LSU_SoundFile::GetBytes(std::vector<uint8_t>& BytesArray, int32_t FirstIndex,
                             int32_t size) const {
  if (FirstIndex < 0 || size < 0) return false;
  const int64_t end = int64_t{FirstIndex} + size;
  if (end > NrOfBytes || end > static_cast<int64_t>(CodedData.size())) return false;
  BytesArray.assign(CodedData.begin() + FirstIndex, CodedData.begin() + end);
  return true;
}

uint32_t LSU_SoundFile::GetFileCRC() const {
  return ByteSum16(CodedData.data(), CodedData.size());
}

bool LSU_SoundFile::WriteWav(const std::string& WAVFileName) const {
  // No older file is left to be taken for this one if the writing fails.
  std::error_code ignored;
  std::filesystem::remove(fileio::PathFromUtf8(WAVFileName), ignored);
  LsuSamples samples(FileName);
  if (!samples.IsOpen()) return false;
  fileio::AtomicWriter out(WAVFileName);
  bool written = out.Write(WavHeader(static_cast<uint32_t>(NrOfSamples)));
  int64_t left = NrOfSamples;
  std::string bytes;
  for (auto chunk = samples.Next(); written && left > 0 && !chunk.empty(); chunk = samples.Next()) {
    const auto n = std::min<int64_t>(left, static_cast<int64_t>(chunk.size()));
    bytes.clear();
    for (int64_t i = 0; i < n; ++i) PutLE(bytes, static_cast<uint16_t>(chunk[i]), 2);
    written = out.Write(bytes);
    left -= n;
  }
  return written && left == 0 && !samples.Failed() && out.Commit();
}

}  // namespace sound
