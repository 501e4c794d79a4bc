#pragma once
// One LSU sound file ("Duded Avori Uncompressed File": a 4-byte leading
// field, then signed 16-bit little-endian mono samples at 48000 per second)
// with its volume and, once coded, the bytes the board's flash holds for it.
//
// Coded form: two samples in three bytes, sign and 10-bit magnitude each:
//   byte 0  magnitude of the first sample / 4
//   byte 1  bit 7 first negative, bit 6 second negative, bits 3..2 first
//           magnitude % 4, bits 1..0 second magnitude % 4
//   byte 2  magnitude of the second sample / 4
// Triple 0 is silence; triple k (k >= 1) holds samples 2k and 2k + 1,
// counting from 1, scaled so the loudest sample reaches 999 x Volume / 100.

#include <cstdint>
#include <string>
#include <vector>

namespace seams {
class EventPacer;
}

namespace sound {

// 16-bit byte sum: the sum of the byte values modulo 65536, the one
// checksum of the sound side.
uint32_t ByteSum16(const uint8_t* bytes, size_t count);

// Whether a path names an LSU file: it ends in ".lsu", in any case.
bool HasLsuExtension(const std::string& path);

class LSU_SoundFile {
 public:
  // Fewer samples than this, or only silence, is not a sound file.
  static constexpr int32_t kMinSamples = 49;
  // More samples than this could not be counted in coded bytes.
  static constexpr int64_t kMaxSamples = 1431655764;
  static constexpr int32_t kSamplesPerSecond = 48000;
  // The largest magnitude of a coded sample: the board's full scale.
  static constexpr int32_t kFullScale = 999;

  // The factor Code scales the samples of a file by: its loudest sample
  // (peak) reaches kFullScale x volume / 100, the volume held to 0..100.
  static double CodeScale(int32_t peak, int volume);
  // One sample as Code writes it at that scale: rounded half to even and
  // never beyond the full scale.
  static int CodedValue(int16_t sample, double scale);

  std::string FileName;     // full path given to ReadFile; empty for an empty slot
  int32_t NrOfSamples = 0;  // 0 for an empty slot
  int32_t NrOfBytes = 0;    // coded bytes, set by Code
  int32_t Address = 0;      // flash address, set by the memory map
  int16_t Volume = 100;     // percent, 0..100

  // Counts the samples of an LSU file and finds its loudest one; the samples
  // stay in the file. Valid: the name ends in ".lsu" (any case), the file
  // opens, holds at least 49 samples and not only zeros.
  bool ReadFile(const std::string& FileNameAndPath);

  // Reads the samples again and codes them at the current Volume (held to
  // 0..100). Fails, leaving nothing coded, when the file can no longer be
  // read or no longer holds what ReadFile saw. Lets window events run
  // through the pacer, if given, as it goes.
  bool Code(seams::EventPacer* pacer = nullptr);

  // Copies size coded bytes from FirstIndex into BytesArray; false, leaving
  // BytesArray as it was, when the range is not within the coded bytes.
  bool GetBytes(std::vector<uint8_t>& BytesArray, int32_t FirstIndex, int32_t size) const;

  // 16-bit byte sum of the coded bytes.
  uint32_t GetFileCRC() const;

  // Writes the samples, without the volume, as a 16-bit mono 48 kHz WAV file
  // with the canonical 44-byte header, replacing any file of that name.
  bool WriteWav(const std::string& WAVFileName) const;

  // Drops the file and its coded bytes, keeping the volume: an empty slot.
  void Clear();

  // A copy without the coded bytes (which the next download makes again):
  // what an earlier state of the configuration keeps of the file.
  LSU_SoundFile Uncoded() const;
  // The same file at the same volume (coding aside).
  bool SameAs(const LSU_SoundFile& other) const {
    return FileName == other.FileName && NrOfSamples == other.NrOfSamples &&
           Volume == other.Volume && Peak == other.Peak;
  }

 private:
  int32_t Peak = 0;  // largest absolute sample value
  std::vector<uint8_t> CodedData;
};

}  // namespace sound
