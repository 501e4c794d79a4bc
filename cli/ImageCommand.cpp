#include "cli/ImageCommand.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/ConsoleSeams.h"
#include "devlink/BoardKind.h"
#include "fileio/AtomicFile.h"
#include "fileio/Utf8Path.h"
#include "sound/ConfigurationFile.h"
#include "sound/FlashImage.h"
#include "sound/FontLocator.h"
#include "sound/LSU_Configuration.h"

namespace frontend {

namespace {

struct ImageArgs {
  std::string configuration;
  std::string output;
  int32_t capacity = devlink::kDefaultCapacity;
};

ImageArgs ParseImageArgs(const std::vector<std::string>& args) {
  ImageArgs parsed;
  std::optional<std::string> output;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--capacity") {
      if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "-o")
        output = value;
      else
        parsed.capacity = ParseCapacity(value);
    } else if (arg.size() > 1 && arg.front() == '-') {
      throw UsageError("image: unknown option \"" + arg + "\"");
    } else if (parsed.configuration.empty()) {
      parsed.configuration = arg;
    } else {
      throw UsageError("image takes one configuration file");
    }
  }
  if (parsed.configuration.empty()) throw UsageError("image needs a configuration file");
  if (!output || output->empty()) throw UsageError("image needs -o FILE");
  parsed.output = *output;
  return parsed;
}

// The configuration file or sound file that output names (also through a
// link or another name of the same file); empty when it names none.
std::string InputAt(const std::string& output, const std::string& configuration,
                    const sound::LSU_Configuration& config) {
  std::vector<std::string> inputs = {configuration};
  for (const sound::LSU_SoundFile* file : config.FilesInFlashOrder())
    inputs.push_back(file->FileName);
  const std::filesystem::path target = fileio::PathFromUtf8(output);
  for (const std::string& input : inputs) {
    std::error_code error;
    if (std::filesystem::equivalent(target, fileio::PathFromUtf8(input), error)) return input;
  }
  return {};
}

int Image(const FrontEndOptions&, const std::vector<std::string>& args) {
  const ImageArgs parsed = ParseImageArgs(args);
  sound::LSU_Configuration config;
  config.MaxNrOfSamples = parsed.capacity;
  if (!LoadWholeConfiguration(parsed.configuration, config)) return 1;
  if (const int16_t missing = config.CheckIntegrity()) {
    std::cerr << sound::FindCategory(missing)->missingMessage << '\n';
    return 1;
  }
  if (config.TotalNrOfSamples() > config.MaxNrOfSamples) {
    std::cerr << "The sound files do not fit into the board: they hold "
              << config.TotalNrOfSamples() << " samples, the capacity is " << config.MaxNrOfSamples
              << " samples.\n";
    return 1;
  }
  ConsoleProgress progress;
  seams::NoEventPump noEvents;
  const bool mapped = config.MakeMemoryMap(progress, noEvents);
  progress.Done();
  if (!mapped) {
    std::cerr << "The sound files could not be coded: a file changed or can no longer be read, "
                 "or they do not fit the flash addresses.\n";
    return 1;
  }
  if (const std::string input = InputAt(parsed.output, parsed.configuration, config);
      !input.empty()) {
    std::cerr << "The image would replace " << input
              << ", which it is made from; nothing was written.\n";
    return 1;
  }
  const std::vector<uint8_t> image = sound::FlashImage(config);
  std::string why;
  if (!fileio::WriteFileAtomically(
          parsed.output,
          std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), &why)) {
    std::cerr << "The image could not be written to " << parsed.output << ": " << why << '\n';
    return 1;
  }
  const auto files = config.FilesInFlashOrder().size();
  std::cout << parsed.output << ": " << image.size() << " bytes, " << files << " sound files, "
            << config.TotalNrOfSamples() << " of " << config.MaxNrOfSamples << " samples\n";
  return 0;
}

}  // namespace

int32_t ParseCapacity(const std::string& text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1)
    throw UsageError("--capacity needs a whole number of samples, not \"" + text + "\"");
  return value;
}

bool LoadWholeConfiguration(const std::string& path, sound::LSU_Configuration& config) {
  sound::NoCategoryDisplays displays;
  seams::NoEventPump noEvents;
  StderrDialogs dialogs;
  // From the command line a configuration with any file missing is refused
  // as a whole: a board without that sound is not what was asked for.
  const sound::LoadOutcome outcome =
      sound::LoadConfiguration(path, config, displays, noEvents, dialogs);
  if (outcome.foundBeside > 0) std::cerr << sound::FoundBesideMessage(outcome.foundBeside) << '\n';
  return outcome.result == sound::LoadResult::Loaded;
}

const CliCommand kImageCommand = {
    "image", "image CONFIG.lscfg -o FILE [--capacity SAMPLES]",
    "write the flash image a download of the configuration leaves on an erased board", Image};

}  // namespace frontend
