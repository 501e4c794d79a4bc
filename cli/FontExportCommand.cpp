#include "cli/FontExportCommand.h"

#include <iostream>
#include <optional>

#include "cli/CliCommand.h"
#include "cli/ImageCommand.h"
#include "fileio/Utf8Path.h"
#include "sound/FontExport.h"

namespace frontend {

int ExportFontFolder(const std::vector<std::string>& args) {
  std::string configuration;
  std::optional<std::string> folder;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o") {
      if (i + 1 == args.size()) throw UsageError("-o needs a value");
      folder = args[++i];
    } else if (arg.size() > 1 && arg.front() == '-') {
      throw UsageError("font export: unknown option \"" + arg + "\"");
    } else if (configuration.empty()) {
      configuration = arg;
    } else {
      throw UsageError("font export takes one configuration file");
    }
  }
  if (configuration.empty()) throw UsageError("font export needs a configuration file");
  if (!folder || folder->empty()) throw UsageError("font export needs -o DIR");

  sound::LSU_Configuration config;
  if (!LoadWholeConfiguration(configuration, config)) return 1;
  const std::string name = fileio::Utf8FromPath(fileio::PathFromUtf8(configuration).stem());
  const sound::FontExport exported = sound::ExportFont(config, *folder, name);
  if (!exported.done) {
    std::cerr << exported.error << '\n';
    return 1;
  }
  for (const sound::ExportedFile& file : exported.files)
    std::cout << file.source << " \u2192 " << file.name << '\n';
  std::cout << sound::ExportedMessage(exported, *folder) << '\n';
  return 0;
}

}  // namespace frontend
