#include "converter/ConvertCommand.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "converter/BatchConversion.h"
#include "fileio/Utf8Path.h"

namespace converter {

namespace fs = std::filesystem;

const char* const kHelp =
    "brelka converts recordings into LSU sound files for the board.\n"
    "\n"
    "Usage:\n"
    "  brelka\n"
    "      opens the converter's window.\n"
    "  brelka convert [--resample] [--force] FILE... [-o OUT.lsu | --out-dir DIR]\n"
    "      converts each FILE into an LSU file beside it (its extension replaced\n"
    "      by .lsu), into the folder DIR (created when missing), or into OUT.lsu\n"
    "      (one FILE only). Paths are taken from the current folder.\n"
    "      --resample  converts other formats too (stereo, any rate or depth,\n"
    "                  FLAC, OGG, Opus, MP3, AIFF, ...) to mono 16 bit 48 kHz;\n"
    "                  without it only mono 16-bit 48 kHz WAV files are taken\n"
    "      --force     replaces LSU files that exist already\n"
    "      One line per converted file on stdout, refusals on stderr.\n"
    "  brelka -i IN -o OUT -u [-r]\n"
    "      converts IN into OUT, both named from brelka's own folder and without\n"
    "      spaces; -r converts other formats as --resample does.\n"
    "  brelka --help | --version\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when a file was refused,\n"
    "could not be written or was stopped by Ctrl+C, 2 on a usage error.\n";

namespace {

constexpr const char* kConvertUsage =
    "Usage: brelka convert [--resample] [--force] FILE... [-o OUT.lsu | --out-dir DIR]";

struct Request {
  bool resample = false, force = false, help = false;
  std::vector<std::string> inputs;
  std::optional<std::string> output, outDir;
};

// The usage error, or nothing.
std::optional<std::string> Parse(const std::vector<std::string>& args, Request& r) {
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::optional<std::string>& into) -> std::optional<std::string> {
      if (into) return a + " is given twice";
      if (i + 1 >= args.size() || args[i + 1].empty()) return a + " needs a name after it";
      into = args[++i];
      return {};
    };
    std::optional<std::string> error;
    if (!options || a.empty() || a[0] != '-' || a == "-")
      r.inputs.push_back(a);
    else if (a == "--")
      options = false;
    else if (a == "--resample")
      r.resample = true;
    else if (a == "--force")
      r.force = true;
    else if (a == "--help")
      r.help = true;
    else if (a == "-o")
      error = value(r.output);
    else if (a == "--out-dir")
      error = value(r.outDir);
    else
      error = "unknown option " + a;
    if (error) return error;
  }
  if (r.help) return {};
  if (r.inputs.empty()) return "no file to convert";
  if (r.output && r.outDir) return "-o and --out-dir cannot be used together";
  if (r.output && r.inputs.size() > 1) return "-o takes one file; --out-dir DIR takes several";
  return {};
}

std::string OutputFor(const Request& r, const std::string& input) {
  if (r.output) return *r.output;
  const std::string name = WithLsuExtension(fileio::FileNameOf(input));
  if (r.outDir) return *r.outDir + "/" + name;
  return input.substr(0, input.size() - fileio::FileNameOf(input).size()) + name;
}

// Why the input cannot be converted before any conversion starts; empty
// when it can be tried.
std::string Precheck(const Request& r, WavFile& wav, BatchEntry& entry) {
  const fs::path in = fileio::PathFromUtf8(entry.input);
  struct stat st {};
  if (stat(in.c_str(), &st) != 0) return std::string("cannot be read: ") + std::strerror(errno);
  // A FIFO or a device would never end.
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  entry.route = RouteOf(wav, entry.input, r.resample);
  if (entry.route == Route::InvalidWav || entry.route == Route::WrongFormat) {
    std::string text = entry.route == Route::InvalidWav ? kInvalidWav : kWrongFormat;
    const AudioInfo info = ReadAudioInfo(entry.input);
    if (info.ok) text += " (" + DescribeAudio(info.format) + "; --resample converts it)";
    return text;
  }
  std::error_code error;
  const fs::path out = fileio::PathFromUtf8(entry.output);
  if (fs::equivalent(in, out, error))
    return "is its own output " + entry.output + "; not converted";
  if (fs::exists(out, error) && !r.force)
    return entry.output + " exists; not converted (--force replaces it)";
  return {};
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const std::function<bool()>& interrupted) {
  Request request;
  if (const auto error = Parse(args, request)) {
    err << "brelka convert: " << *error << '\n' << kConvertUsage << '\n';
    return 2;
  }
  if (request.help) {
    out << kHelp;
    return 0;
  }
  if (request.outDir) {
    std::error_code error;
    const fs::path dir = fileio::PathFromUtf8(*request.outDir);
    fs::create_directories(dir, error);
    if (!fs::is_directory(dir)) {
      err << "brelka convert: " << *request.outDir << " is not a folder"
          << (error ? ": " + error.message() : std::string()) << '\n';
      return 1;
    }
  }

  std::vector<BatchEntry> entries;
  WavFile wav;
  for (const std::string& input : request.inputs) {
    BatchEntry entry{input, input, OutputFor(request, input), Route::Resample, {}};
    if (std::string why = Precheck(request, wav, entry); !why.empty())
      entry.refusal = input + ": " + why;
    entries.push_back(std::move(entry));
  }
  RefuseClashes(entries);

  int refused = 0;
  BatchControl control;
  control.cancelled = interrupted;
  const bool stopped = RunBatch(entries, control, [&](size_t i, const ConversionResult& r) {
    const BatchEntry& entry = entries[i];
    if (r.Ok()) {
      out << entry.input << " \u2192 " << entry.output << " (" << r.message << ")" << std::endl;
      return;
    }
    ++refused;
    // A refusal found beforehand names its file already.
    err << (entry.refusal.empty() ? entry.input + ": " + r.message : r.message) << std::endl;
  });
  return refused || stopped ? 1 : 0;
}

}  // namespace converter
