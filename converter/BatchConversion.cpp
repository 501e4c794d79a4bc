#include "converter/BatchConversion.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "converter/ConversionPool.h"
#include "fileio/Utf8Path.h"

namespace converter {

namespace fs = std::filesystem;

namespace {

ConversionResult Ended(ConversionStatus status, std::string message) {
  ConversionResult result;
  result.status = status;
  result.message = std::move(message);
  return result;
}

// The WAV reader's copy of a mono 16-bit 48 kHz file.
ConversionResult Copy(const BatchEntry& entry, seams::EventPacer* pacer) {
  WavFile wav;
  if (!wav.OpenFile(entry.input)) return Ended(ConversionStatus::Refused, kInvalidWav);
  if (!wav.IsConvertible()) return Ended(ConversionStatus::Refused, kWrongFormat);
  const std::string problem =
      ConversionProblem(wav, wav.ConvertToLSU(entry.output, pacer), entry.output);
  if (!problem.empty()) return Ended(ConversionStatus::Failed, problem);
  ConversionResult result;
  result.status = ConversionStatus::Copied;
  result.source = {"WAV", "16 bit", 16, kLsuRate, 1, wav.DataSize / 2};
  result.samples = wav.DataSize / 2;
  result.message = DescribeConversion(result);
  return result;
}

// The same file whatever way it is named; a file yet to be written by its
// absolute, normalised path.
std::string Identity(const std::string& path) {
  std::error_code error;
  const fs::path native = fileio::PathFromUtf8(path);
  const fs::path canonical = fs::weakly_canonical(native, error);
  return (error ? fs::absolute(native, error).lexically_normal() : canonical).string();
}

}  // namespace

std::string ConversionProblem(const WavFile& wav, WavFile::Result result,
                              const std::string& output) {
  switch (result) {
    case WavFile::Result::Done:
      return {};
    case WavFile::Result::SameAsInput:
      return "The WAV file cannot be its own output: " + output + " was not written";
    case WavFile::Result::CannotRead:
      return "The WAV file could not be read again; " + output + " was not written";
    case WavFile::Result::CannotWrite:
      return "Could not write " + output + ": " + wav.WriteError;
  }
  return {};
}

std::string LsuNameFor(const std::string& wavName) {
  std::string out;
  for (size_t i = 0; i < wavName.size();) {
    std::string three = wavName.substr(i, 3);
    std::transform(three.begin(), three.end(), three.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (three == "wav") {
      out += "lsu";
      i += 3;
    } else {
      out += wavName[i++];
    }
  }
  return out;
}

Route RouteOf(WavFile& wav, const std::string& path, bool resample) {
  const bool read = wav.OpenFile(path);
  if (read && wav.IsConvertible()) return Route::Copy;
  if (resample) return Route::Resample;
  return read ? Route::WrongFormat : Route::InvalidWav;
}

void RefuseClashes(std::vector<BatchEntry>& entries) {
  std::set<std::string> inputs;
  for (const BatchEntry& entry : entries) inputs.insert(Identity(entry.input));
  std::vector<std::pair<std::string, const BatchEntry*>> outputs;
  for (BatchEntry& entry : entries) {
    if (!entry.refusal.empty()) continue;
    const std::string output = Identity(entry.output);
    const std::string& name = entry.name;
    const std::string lsu = fileio::FileNameOf(entry.output);
    const auto earlier = std::find_if(outputs.begin(), outputs.end(),
                                      [&output](const auto& o) { return o.first == output; });
    if (earlier != outputs.end())
      entry.refusal = name + " was not converted: its LSU file " + lsu + " is made from " +
                      earlier->second->name;
    else if (inputs.count(output))
      entry.refusal = name + " was not converted: its LSU file " + lsu +
                      " would replace a file that is being converted";
    else
      outputs.emplace_back(output, &entry);
  }
}

bool RunBatch(const std::vector<BatchEntry>& entries, const BatchControl& control,
              const std::function<void(size_t, const ConversionResult&)>& each) {
  std::vector<ConversionJob> jobs;
  for (const BatchEntry& entry : entries)
    if (entry.route == Route::Resample && entry.refusal.empty())
      jobs.push_back({entry.input, entry.output});
  ConversionPool pool(std::move(jobs), control.workers);
  auto ask = [&pool, &control] {
    if (!pool.Cancelled() && control.cancelled && control.cancelled()) pool.Cancel();
  };
  auto waiting = [&pool, &control, &ask] {
    if (control.waiting) control.waiting(pool.Progress());
    ask();
  };
  size_t job = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const BatchEntry& entry = entries[i];
    const bool pooled = entry.route == Route::Resample && entry.refusal.empty();
    ask();
    if (pooled)
      each(i, pool.Wait(job++, waiting));
    else if (pool.Cancelled())
      each(i,
           Ended(ConversionStatus::Cancelled, "Cancelled: " + entry.output + " was not written"));
    else if (!entry.refusal.empty())
      each(i, Ended(ConversionStatus::Refused, entry.refusal));
    else if (entry.route == Route::InvalidWav)
      each(i, Ended(ConversionStatus::Refused, kInvalidWav));
    else if (entry.route == Route::WrongFormat)
      each(i, Ended(ConversionStatus::Refused, kWrongFormat));
    else
      each(i, Copy(entry, control.pacer));
  }
  return pool.Cancelled();
}

}  // namespace converter
