#pragma once
// A WAV recording as the converter reads it: the RIFF header with its format
// fields, and where the sample data lies. ConvertToLSU copies the samples
// unchanged behind the LSU file's 4-byte leading field.

#include <cstdint>
#include <istream>
#include <string>

namespace seams {
class EventPacer;
}

namespace converter {

// The leading field brelka writes into every LSU file: "LSU1" (readers skip
// it; it marks files made by this converter, format version 1).
inline constexpr char kLsuLeadingField[4] = {'L', 'S', 'U', '1'};

// Seconds rounded to two decimals (halves to even) in plain decimal without
// needless zeros: 1, 1.5, 0.33.
std::string DurationText(double seconds);

class WavFile {
 public:
  int16_t Channels = 0;
  int32_t SamplesPerSecond = 0;
  int16_t BitsPerSample = 0;
  int32_t DataSize = 0;  // bytes of sample data present in the file
  std::string FileName;  // the WAV file last opened successfully
  // Why the last ConvertToLSU that ended in CannotWrite could not write
  // (the system's text, e.g. "cannot create a file beside it: Permission
  // denied").
  std::string WriteError;

  // Reads the header of a regular file (anything else is not valid):
  // "RIFF", "WAVE", "fmt " and PCM at their fixed places,
  // the format fields, then the "data" chunk found by walking the chunk list
  // forward (a chunk of odd size may lack its pad byte), or, when the list
  // is broken, at the first "data" bytes of the file.
  // An announced data size that runs past the end of the file is cut to the
  // bytes that are there. Does not check channels, rate or bit depth.
  bool OpenFile(const std::string& fileName);
  // The same reading on a stream of fileSize bytes; FileName is left alone.
  bool ReadHeader(std::istream& in, int64_t fileSize);

  // Mono, 48000 samples per second, 16 bits: the only form converted.
  bool IsConvertible() const {
    return Channels == 1 && SamplesPerSecond == 48000 && BitsPerSample == 16;
  }

  enum class Result { Done, SameAsInput, CannotRead, CannotWrite };
  // Writes the LSU file `outputName` from the file last opened: the leading
  // field, then DataSize / 2 samples. The file appears whole or not at all
  // (written aside, then renamed over any older file). The input is never
  // overwritten. Lets window events run through the pacer, if given.
  Result ConvertToLSU(const std::string& outputName, seams::EventPacer* pacer = nullptr);

  // "File information: mono, Frequency: 48000, Coding: 16 bits, Duration: 1 sec"
  std::string Information() const;
  double DurationSeconds() const;

 private:
  int64_t DataStart = 0;  // file offset of the first sample byte
};

}  // namespace converter
