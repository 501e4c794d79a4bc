#pragma once
// Any recording libsndfile reads (WAV in every PCM, float and extensible
// form, FLAC, OGG Vorbis, Opus, MP3, AIFF, ...) turned into an LSU file:
// all channels mixed down to mono (their mean), resampled to 48000 Hz with
// libsoxr's high quality, then taken to 16 bits with triangular dither,
// samples beyond full scale held there and counted. A file that already is
// mono 16-bit 48 kHz PCM is copied sample for sample.
//
// The work streams in blocks, so memory stays the same for a recording of
// any length. The LSU file appears whole or not at all: a conversion that
// fails or is cancelled leaves neither the output nor a temporary file.
// Each call keeps its own state; several conversions may run at once on
// different threads.

#include <cstdint>
#include <functional>
#include <string>

#include "seams/Result.h"
#include "sound/Waveform.h"

namespace converter {

// The LSU format's rate and depth.
inline constexpr int kLsuRate = 48000;

// What a recording holds, as libsndfile reads it.
struct AudioFormat {
  std::string formatName;  // "WAV", "FLAC", "OGG Vorbis", "OGG Opus", "MP3", "AIFF", ...
  std::string coding;      // "16 bit", "24 bit", "32 bit float", "Vorbis", "MP3", ...
  int bits = 0;            // bits of a PCM or float sample; 0 for compressed codings
  int sampleRate = 0;
  int channels = 0;
  int64_t frames = 0;  // samples per channel; -1 when the file does not tell
  double DurationSeconds() const;
};

// "mono", "stereo" or "6 channels".
std::string ChannelsText(int channels);

struct AudioInfo {
  bool ok = false;
  AudioFormat format;
  std::string message;  // why the file cannot be read, when not ok
};

// The format of any readable recording, for showing what a file is.
AudioInfo ReadAudioInfo(const std::string& path);
// "FLAC, stereo, 44100 Hz, 24 bit, 3.25 s"
std::string DescribeAudio(const AudioFormat& format);

struct ConversionControl {
  // Asked after every block; true stops the conversion.
  std::function<bool()> cancelled;
  // Told the part done, 0 to 1, after every block and at the end.
  std::function<void(double)> progress;
};

enum class ConversionStatus {
  Converted,  // mixed, resampled or requantised
  Copied,     // already mono 16-bit 48 kHz PCM: the samples unchanged
  Refused,    // not a recording that can be read whole
  Failed,     // the output could not be written
  Cancelled,
};

struct ConversionResult {
  ConversionStatus status = ConversionStatus::Failed;
  AudioFormat source;
  int64_t samples = 0;         // written to the LSU file
  int64_t clippedSamples = 0;  // held at full scale
  std::string message;         // DescribeConversion of a success, else why not
  bool Ok() const {
    return status == ConversionStatus::Converted || status == ConversionStatus::Copied;
  }
};

// Converts the recording `input` into the LSU file `output`.
ConversionResult ConvertToLsu(const std::string& input, const std::string& output,
                              const ConversionControl& control = {});

// The waveform of any readable recording as the board plays its conversion
// at volume 100: the channels' mean, scaled from its loudest sample. At the
// recording's own rate: resampling changes nothing a strip of pixels shows.
seams::ResultOf<sound::WaveformSummary> SummariseRecording(
    const std::string& path, const sound::ReadCancelled& cancelled = {});

// "Converted: stereo 44100 Hz 24 bit → mono 48000 Hz 16 bit, 3 clipped
// samples", "Copied: mono 48000 Hz 16 bit", or the reason of a failure.
std::string DescribeConversion(const ConversionResult& result);

}  // namespace converter
