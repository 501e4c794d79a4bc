#pragma once
// A folder of recordings imported as a font: every recording whose name (or
// sub-folder) names a sound category is converted into an LSU file of the
// font folder, and a configuration file listing them at volume 100 is
// written beside them. Two conversions run at a time, one per core; what
// the caller hears about (each file's line, the cancel question) happens on
// the calling thread, in the order of the files.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "converter/AudioConversion.h"
#include "sound/FontNaming.h"

namespace converter {

// The recordings in folder and its sub-folders, by extension, as paths
// relative to folder with '/' between folders. Hidden files and anything
// that is not a regular file are passed over. Throws
// std::filesystem::filesystem_error when the folder cannot be read.
std::vector<std::string> FindRecordings(const std::string& folder);

// The name of a folder as the user sees it: "fonts/Vader/" gives "Vader".
std::string FolderName(const std::string& folder);

struct FontImportFile {
  sound::FontFile plan;
  std::string output;       // the LSU file of a used file
  ConversionResult result;  // of a used file
  std::string problem;      // why a converted file could not be used
  // Converted and taken into the configuration.
  bool Used() const { return plan.fate == sound::FontFate::Used && result.Ok() && problem.empty(); }
  // A used file that did not make it into the configuration.
  bool Failed() const { return plan.fate == sound::FontFate::Used && !Used(); }
  // "swing2.wav → Motion as swing2.lsu (Converted: ...)" or why not.
  std::string Line() const;
};

struct FontImportRequest {
  std::string folder;      // the recordings
  std::string fontFolder;  // created when missing
  std::string name;        // of the configuration file, without ".lscfg"
  int32_t capacity = 0;    // the board's, in samples
  int workers = 2;
  // Asked on the calling thread before each file's result is taken and
  // about every 15 ms while conversions run; true stops them.
  std::function<bool()> cancelled;
  // Told the part of all conversions done, 0 to 1, on the calling thread
  // just before each time `cancelled` is asked.
  std::function<void(double)> progress;
  // Each file as it is done, on the calling thread, in the order of the plan.
  std::function<void(const FontImportFile&)> fileDone;
};

struct FontImportReport {
  std::vector<FontImportFile> files;
  std::string configuration;  // the configuration file written; empty when none
  std::string error;          // what stopped the import as a whole
  bool cancelled = false;
  std::vector<sound::FileType> missing;  // categories left empty, in flash order
  int64_t totalSamples = 0;
  int32_t capacity = 0;

  int Failures() const;
  // Every used file converted, every category filled, the file written.
  bool Complete() const;
  // "Memory: 1234567 of 2793120 samples (44.2 %)", and when the sounds do
  // not fit, a sentence that says so.
  std::string MemoryLine() const;
};

FontImportReport ImportFont(const FontImportRequest& request);

}  // namespace converter
