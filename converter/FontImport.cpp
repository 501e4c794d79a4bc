#include "converter/FontImport.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "converter/ConversionPool.h"
#include "fileio/Utf8Path.h"
#include "sound/ConfigurationFile.h"
#include "sound/LSU_Configuration.h"
#include "text/Encoding.h"

namespace converter {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRecordingExtensions[] = {"wav",  "wave", "bwf", "flac", "ogg",
                                                     "oga",  "opus", "mp3", "aif",  "aiff",
                                                     "aifc", "au",   "snd", "caf",  "w64"};

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

bool IsRecordingName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (name.empty() || name[0] == '.' || dot == std::string::npos) return false;
  const std::string extension = Lower(name.substr(dot + 1));
  return std::find(std::begin(kRecordingExtensions), std::end(kRecordingExtensions), extension) !=
         std::end(kRecordingExtensions);
}

// The LSU file name for a recording: its own name without the extension,
// behind the name of its folder when that is what names its category
// ("clsh/01.wav" gives "clsh-01.lsu"), control characters (which no
// configuration file line can hold) replaced, made unique without regard
// to case among the names given so far. A name that is not UTF-8 (made on
// a system that used a code page) is written as the Windows-1252 text it
// reads as: a configuration line that is not UTF-8 is loaded that way, so
// a file kept under the original bytes would not be found again.
std::string OutputName(const std::string& relativePath, std::set<std::string>& taken) {
  const std::string fileName = fileio::FileNameOf(relativePath);
  std::string stem = fileName.substr(0, fileName.find_last_of('.'));
  const size_t slash = relativePath.find_last_of('/');
  if (slash != std::string::npos && !sound::RuleForPath(fileName))
    stem = fileio::FileNameOf(relativePath.substr(0, slash)) + "-" + stem;
  if (!text::IsValidUtf8(stem)) stem = text::Utf8FromWindows1252(stem);
  for (char& c : stem)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  std::string name = stem;
  for (int n = 2; !taken.insert(Lower(name)).second; ++n) name = stem + "-" + std::to_string(n);
  return name + ".lsu";
}

std::string OneDecimal(double value) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

// Converts the used files, `workers` at a time, and hands each file to
// `done` on this thread in plan order.
void ConvertAll(std::vector<FontImportFile>& files, const FontImportRequest& request,
                const std::function<void(FontImportFile&)>& done, bool& cancelled) {
  std::vector<ConversionJob> jobs;
  for (const FontImportFile& file : files)
    if (file.plan.fate == sound::FontFate::Used)
      jobs.push_back(
          {Utf8(fileio::PathFromUtf8(request.folder) / fileio::PathFromUtf8(file.plan.path)),
           file.output});
  ConversionPool pool(std::move(jobs), request.workers);
  auto ask = [&pool, &request] {
    if (request.progress) request.progress(pool.Progress());
    if (!pool.Cancelled() && request.cancelled && request.cancelled()) pool.Cancel();
  };
  size_t job = 0;
  for (FontImportFile& file : files) {
    if (file.plan.fate == sound::FontFate::Used) {
      // Asked before each file too: small files may all be done before a
      // wait ever takes 15 ms, and a cancel must still be heard.
      ask();
      file.result = pool.Wait(job++, ask);
    }
    done(file);
  }
  cancelled = pool.Cancelled();
}

}  // namespace

std::vector<std::string> FindRecordings(const std::string& folder) {
  std::vector<std::string> found;
  const fs::path root = fileio::PathFromUtf8(folder);
  for (auto it =
           fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied);
       it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = Utf8(it->path().filename());
    std::error_code error;
    if (!name.empty() && name[0] == '.' && it->is_directory(error)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!IsRecordingName(name) || !it->is_regular_file(error)) continue;
    found.push_back(Utf8(it->path().lexically_relative(root)));
  }
  return found;
}

std::string FolderName(const std::string& folder) {
  fs::path path = fs::absolute(fileio::PathFromUtf8(folder)).lexically_normal();
  if (path.filename().empty()) path = path.parent_path();
  return Utf8(path.filename());
}

std::string FontImportFile::Line() const {
  switch (plan.fate) {
    case sound::FontFate::NotMapped:
      return plan.path + ": " + plan.why;
    case sound::FontFate::LeftOut:
      return plan.path + ": left out, " + plan.why;
    case sound::FontFate::Used:
      break;
  }
  if (!result.Ok()) return plan.path + ": not converted: " + result.message;
  if (!problem.empty()) return plan.path + ": not used: " + problem;
  return plan.path + " \u2192 " + sound::FindCategory(plan.category)->caption + " as " +
         fileio::FileNameOf(output) + " (" + result.message + ")";
}

int FontImportReport::Failures() const {
  return int(std::count_if(files.begin(), files.end(),
                           [](const FontImportFile& f) { return f.Failed(); }));
}

bool FontImportReport::Complete() const {
  return error.empty() && !cancelled && !configuration.empty() && missing.empty() &&
         Failures() == 0;
}

std::string FontImportReport::MemoryLine() const {
  std::string line = "Memory: " + std::to_string(totalSamples) + " of " + std::to_string(capacity) +
                     " samples (" +
                     OneDecimal(capacity > 0 ? 100.0 * double(totalSamples) / capacity : 0) + " %)";
  if (totalSamples > capacity)
    line += "; the sounds do not fit into the board, " + std::to_string(totalSamples - capacity) +
            " samples too many";
  return line;
}

FontImportReport ImportFont(const FontImportRequest& request) {
  FontImportReport report;
  report.capacity = request.capacity;
  std::vector<std::string> recordings;
  try {
    if (!fs::is_directory(fileio::PathFromUtf8(request.folder)))
      throw std::runtime_error(request.folder + " is not a folder");
    recordings = FindRecordings(request.folder);
    std::error_code error;
    fs::create_directories(fileio::PathFromUtf8(request.fontFolder), error);
    if (error)
      throw std::runtime_error("The font folder " + request.fontFolder +
                               " cannot be made: " + error.message());
  } catch (const std::exception& e) {
    report.error = e.what();
    return report;
  }

  const fs::path fontFolder =
      fs::absolute(fileio::PathFromUtf8(request.fontFolder)).lexically_normal();
  std::set<std::string> taken;
  for (auto& plan : sound::PlanFontImport(std::move(recordings))) {
    FontImportFile file{std::move(plan), {}, {}, {}};
    if (file.plan.fate == sound::FontFate::Used)
      file.output = Utf8(fontFolder / fileio::PathFromUtf8(OutputName(file.plan.path, taken)));
    report.files.push_back(std::move(file));
  }

  sound::LSU_Configuration config;
  config.MaxNrOfSamples = request.capacity;
  auto done = [&](FontImportFile& file) {
    if (file.plan.fate == sound::FontFate::Used && file.result.Ok() &&
        !config.AddFile(file.output, file.plan.category))
      file.problem = "the converted sound is silent or shorter than " +
                     std::to_string(sound::LSU_SoundFile::kMinSamples) + " samples";
    if (request.fileDone) request.fileDone(file);
  };
  ConvertAll(report.files, request, done, report.cancelled);
  report.totalSamples = config.TotalNrOfSamples();
  if (report.cancelled) return report;

  for (const auto& category : sound::kCategoriesInFlashOrder)
    if (config.Count(category.code) == 0) report.missing.push_back(category.code);
  const std::string configuration =
      Utf8(fontFolder / fileio::PathFromUtf8(request.name + ".lscfg"));
  if (const seams::Result saved = sound::SaveConfiguration(config, configuration))
    report.configuration = configuration;
  else
    report.error = saved.Message();
  return report;
}

}  // namespace converter
