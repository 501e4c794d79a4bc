#pragma once
// How brelka converts files, in its window and from the command line. A
// file its WAV reader takes as mono 16-bit 48 kHz is copied by that reader,
// exactly as it always was. With resampling on, every other recording goes
// to the any-format conversion (libsndfile, libsoxr) on worker threads;
// without, it is refused with the converter's usual texts.

#include <functional>
#include <string>
#include <vector>

#include "converter/AudioConversion.h"
#include "converter/LsuOutput.h"
#include "converter/WavFile.h"

namespace seams {
class EventPacer;
}

namespace converter {

inline constexpr const char* kInvalidWav = "Invalid WAV file";
inline constexpr const char* kWrongFormat = "Only mono files coded 16bit @ 48kHz can be converted";

// The refusal for an output that cannot be written (with wav's WriteError)
// or would replace the input; empty for a conversion that went through.
std::string ConversionProblem(const WavFile& wav, WavFile::Result result,
                              const std::string& output);

// Every "wav" of the name, in any case, becomes "lsu": Hum1.WAV -> Hum1.lsu.
std::string LsuNameFor(const std::string& wavName);

enum class Route {
  Copy,         // the WAV reader's mono 16-bit 48 kHz: its exact copy
  Resample,     // anything else, with resampling on
  InvalidWav,   // not a WAV file the reader takes, resampling off
  WrongFormat,  // a WAV file of another format, resampling off
};

// Opens the file with wav (which then holds it when it is a WAV file).
Route RouteOf(WavFile& wav, const std::string& path, bool resample);

struct BatchEntry {
  std::string name;  // what messages call the input
  std::string input, output;
  Route route = Route::Copy;
  std::string refusal;  // when set, the entry is refused with this text
};

// Refuses every entry whose output is the output of an earlier entry or the
// input of any entry: converting side by side, one would replace the other.
void RefuseClashes(std::vector<BatchEntry>& entries);

struct BatchControl {
  int workers = 2;
  // Asked on the calling thread while it waits and between entries; true
  // stops the conversions still to come and those running.
  std::function<bool()> cancelled;
  // Called on the calling thread about every 15 ms while it waits for a
  // worker, with the part of the resampled files done.
  std::function<void(double)> waiting;
  // Lets events through while a copy runs on the calling thread.
  seams::EventPacer* pacer = nullptr;
};

// Converts every entry and hands its result to `each` on the calling
// thread, in entry order. Copies run on the calling thread, resampled files
// on the workers, ahead of their turn. A refused entry (InvalidWav,
// WrongFormat or a refusal) gives a Refused result with its text.
// Returns whether the batch was cancelled.
bool RunBatch(const std::vector<BatchEntry>& entries, const BatchControl& control,
              const std::function<void(size_t, const ConversionResult&)>& each);

}  // namespace converter
