#include "cli/FontCommand.h"

#include <iostream>
#include <optional>

#include "cli/ConsoleSeams.h"
#include "cli/FontExportCommand.h"
#include "cli/ImageCommand.h"
#include "converter/FontImport.h"
#include "devlink/BoardKind.h"

namespace frontend {

namespace {

constexpr const char* kUsage = "font import DIR -o FONTDIR [--name NAME] [--capacity SAMPLES]";

// A name that makes one file in FONTDIR: no folders, no line breaks.
std::string CheckName(const std::string& name) {
  bool plain = !name.empty() && name != "." && name != "..";
  for (char c : name)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) plain = false;
  if (!plain) throw UsageError("--name needs a plain file name, not \"" + name + "\"");
  return name;
}

converter::FontImportRequest ParseImportArgs(const std::vector<std::string>& args) {
  converter::FontImportRequest request;
  request.capacity = devlink::kDefaultCapacity;
  std::optional<std::string> name;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--name" || arg == "--capacity") {
      if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "-o")
        request.fontFolder = value;
      else if (arg == "--name")
        name = CheckName(value);
      else
        request.capacity = ParseCapacity(value);
    } else if (arg.size() > 1 && arg.front() == '-') {
      throw UsageError("font import: unknown option \"" + arg + "\"");
    } else if (request.folder.empty()) {
      request.folder = arg;
    } else {
      throw UsageError("font import takes one folder");
    }
  }
  if (request.folder.empty()) throw UsageError("font import needs the folder of recordings");
  if (request.fontFolder.empty()) throw UsageError("font import needs -o FONTDIR");
  request.name = name ? *name : converter::FolderName(request.folder);
  if (request.name.empty()) request.name = "font";
  return request;
}

int Font(const FrontEndOptions&, const std::vector<std::string>& args) {
  if (!args.empty() && args.front() == "export") return ExportFontFolder(args);
  if (args.empty() || args.front() != "import")
    throw UsageError(std::string("font takes the subcommand import or export: ") + kUsage + " | " +
                     kFontExportUsage);
  converter::FontImportRequest request = ParseImportArgs(args);
  // Ctrl+C stops the conversions running; their temporary files go with
  // them. The watch is set up before the workers start, so they inherit
  // the blocked signal.
  InterruptWatch interrupt;
  request.cancelled = [&interrupt] { return interrupt.Interrupted(); };
  request.fileDone = [](const converter::FontImportFile& file) {
    std::cout << file.Line() << std::endl;
  };
  const converter::FontImportReport report = converter::ImportFont(request);
  if (report.cancelled) {
    std::cerr << "Import cancelled: no configuration file was written; the LSU files converted "
                 "before stay in "
              << request.fontFolder << '\n';
    return 1;
  }
  if (report.files.empty() && !report.error.empty()) {
    std::cerr << report.error << '\n';
    return 1;
  }
  std::cout << report.MemoryLine() << '\n';
  if (!report.configuration.empty()) std::cout << "Configuration: " << report.configuration << '\n';
  if (!report.error.empty()) std::cerr << report.error << '\n';
  if (const int failed = report.Failures())
    std::cerr << failed << (failed == 1 ? " file" : " files") << " could not be converted\n";
  for (const auto category : report.missing)
    std::cerr << sound::FindCategory(category)->missingMessage << '\n';
  return report.Complete() ? 0 : 1;
}

}  // namespace

const CliCommand kFontCommand = {
    "font",
    "font import DIR -o FONTDIR [--name NAME] [--capacity SAMPLES] | font export CONFIG.lscfg -o "
    "DIR",
    "convert a folder of recordings (WAV, FLAC, OGG, MP3, ...) into a font: LSU files and its "
    "configuration file (Ctrl+C cancels); or copy a configuration's sound files into a folder "
    "that loads anywhere",
    Font};

}  // namespace frontend
