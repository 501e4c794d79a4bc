#include "sound/ConfigurationFile.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <limits>

#include "fileio/AtomicFile.h"
#include "fileio/LineReader.h"
#include "fileio/Utf8Path.h"
#include "sound/FontLocator.h"
#include "text/Encoding.h"
#include "text/NumberReading.h"

namespace sound {

namespace {

constexpr const char* kLineEnd = "\r\n";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

std::string VolumeText(int16_t volume) {
  // One blank before the number (a minus sign takes its place) and one after.
  std::string text = volume < 0 ? "" : " ";
  text += std::to_string(volume);
  text += ' ';
  return text;
}

void AppendFile(std::string& out, const std::string& path, const LSU_SoundFile& file) {
  out += path + kLineEnd + VolumeText(file.Volume) + kLineEnd;
}

class Loader {
 public:
  Loader(fileio::LineReader& in, LSU_Configuration& config, CategoryDisplays& displays,
         seams::EventPump& events, const std::string& configurationPath)
      : in_(in),
        config_(config),
        displays_(displays),
        events_(events),
        locator_(configurationPath) {}

  // False as soon as the file shows it is not a configuration file.
  bool Run() {
    for (const SoundCategory& category : kCategoriesInFlashOrder)
      if (!(category.isList ? LoadList(category) : LoadSingle(category))) return false;
    return true;
  }

  std::vector<std::string> notFound;
  int foundBeside = 0;

 private:
  // The next line without its CR LF or LF, in UTF-8 (a line that is not
  // UTF-8 was written in the Windows code page); nothing at the end of the
  // file or when it cannot be read.
  std::optional<std::string> NextLine() {
    std::string line;
    if (!in_.Next(line)) return std::nullopt;
    return text::LineAsUtf8(line);
  }

  // Adds the file a path line names, wherever the locator finds it, and
  // gives the path it was loaded from; lists it as not found otherwise.
  std::optional<std::string> Add(const std::string& written, FileType category) {
    const auto found = locator_.Locate(written);
    if (found && config_.AddFile(found->path, category)) {
      if (found->beside) ++foundBeside;
      return found->path;
    }
    notFound.push_back(written);
    return std::nullopt;
  }

  bool LoadSingle(const SoundCategory& category) {
    const auto word = NextLine();
    if (!word || !EqualsIgnoringCase(*word, category.keyword)) return false;
    displays_.SetFileLabel(category.code, "");
    config_.RemoveFile(0, category.code);
    displays_.UpdateMemoryStatus();
    const auto path = NextLine();
    if (!path) return false;
    if (!path->empty())
      if (const auto added = Add(*path, category.code)) {
        displays_.SetFileLabel(category.code, fileio::FileNameOf(*added));
        displays_.UpdateMemoryStatus();
      }
    const auto volume = NextLine();
    if (!volume) return false;
    config_.SetVolume(category.code, 0, text::ReadNumber(*volume));
    events_.LetEventsRun();
    return true;
  }

  bool LoadList(const SoundCategory& category) {
    while (config_.Count(category.code) > 0) config_.RemoveFile(0, category.code);
    displays_.ClearList(category.code);
    displays_.UpdateMemoryStatus();
    const auto header = NextLine();
    if (!header) return false;
    const size_t dash = header->find('-');
    if (dash == std::string::npos || header->find('-', dash + 1) != std::string::npos ||
        !EqualsIgnoringCase(std::string_view(*header).substr(0, dash), category.keyword))
      return false;
    const int32_t entries =
        text::RoundAndClamp<int32_t>(text::ReadNumber(std::string_view(*header).substr(dash + 1)),
                                     0, std::numeric_limits<int32_t>::max());
    for (int32_t i = 0; i < entries; ++i) {
      const auto path = NextLine();
      if (!path) return false;
      const auto added = Add(*path, category.code);
      if (added) {
        displays_.AddToList(category.code, fileio::FileNameOf(*added));
        displays_.UpdateMemoryStatus();
      }
      const auto volume = NextLine();
      if (!volume) return false;
      if (added)
        config_.SetVolume(category.code, config_.Count(category.code), text::ReadNumber(*volume));
      events_.LetEventsRun();
    }
    return true;
  }

  fileio::LineReader& in_;
  LSU_Configuration& config_;
  CategoryDisplays& displays_;
  seams::EventPump& events_;
  FontLocator locator_;
};

seams::FileDialogRequest ConfigurationDialog(const std::string& appFolder) {
  return {kConfigurationFilter, appFolder, "", "", ""};
}

}  // namespace

std::optional<std::string> ConfigurationText(const LSU_Configuration& config) {
  return ConfigurationText(config, [](const LSU_SoundFile& file) { return file.FileName; });
}

std::optional<std::string> ConfigurationText(const LSU_Configuration& config,
                                             const PathOfFile& pathOf) {
  std::string out;
  bool readable = true;
  const auto append = [&](const LSU_SoundFile& file) {
    const std::string path = file.FileName.empty() ? "" : pathOf(file);
    if (path.find_first_of("\r\n") != std::string::npos) readable = false;
    AppendFile(out, path, file);
  };
  for (const SoundCategory& category : kCategoriesInFlashOrder) {
    const int32_t count = config.Count(category.code);
    if (!category.isList) {
      out += std::string(category.keyword) + kLineEnd;
      append(config.GetFile(category.code, 0));
      continue;
    }
    out += std::string(category.keyword) + "-" + std::to_string(count) + kLineEnd;
    for (int32_t k = 1; k <= count; ++k) append(config.GetFile(category.code, k));
  }
  if (!readable) return std::nullopt;
  return out;
}

seams::Result SaveConfiguration(const LSU_Configuration& config, const std::string& path) {
  const auto text = ConfigurationText(config);
  if (!text)
    return seams::Result::Failure(
        SaveFailedMessage(path, "a sound file's path holds a line break"));
  std::string why;
  if (fileio::WriteFileAtomically(path, *text, &why)) return {};
  return seams::Result::Failure(SaveFailedMessage(path, why));
}

namespace {

LoadOutcome Load(fileio::LineReader& in, LSU_Configuration& config, CategoryDisplays& displays,
                 seams::EventPump& events, seams::UserDialogs& dialogs,
                 const std::string& configurationPath = "") {
  // Editors elsewhere may start the file with a UTF-8 byte-order mark.
  in.SkipByteOrderMark();
  Loader loader(in, config, displays, events, configurationPath);
  if (!loader.Run()) {
    // A file that could not be read says why below the usual text.
    const std::string why = in.Failed() ? kLineEnd + in.Error() : "";
    dialogs.Message(kNotValidConfiguration + why, seams::DialogIcon::Critical,
                    seams::DialogButtons::Ok);
    return {LoadResult::NotValid, std::move(loader.notFound), loader.foundBeside};
  }
  if (loader.notFound.empty()) return {LoadResult::Loaded, {}, loader.foundBeside};
  std::string message = kFilesNotFound;
  for (const std::string& path : loader.notFound) message += kLineEnd + path;
  dialogs.Message(message, seams::DialogIcon::None, seams::DialogButtons::Ok);
  return {LoadResult::FilesNotFound, std::move(loader.notFound), loader.foundBeside};
}

}  // namespace

LoadOutcome LoadConfiguration(std::istream& in, LSU_Configuration& config,
                              CategoryDisplays& displays, seams::EventPump& events,
                              seams::UserDialogs& dialogs) {
  fileio::LineReader reader(in, "The configuration");
  return Load(reader, config, displays, events, dialogs);
}

LoadOutcome LoadConfiguration(const std::string& path, LSU_Configuration& config,
                              CategoryDisplays& displays, seams::EventPump& events,
                              seams::UserDialogs& dialogs) {
  fileio::LineReader reader(path);
  return Load(reader, config, displays, events, dialogs, path);
}

std::optional<std::string> ChooseConfigurationToLoad(seams::UserDialogs& dialogs,
                                                     const std::string& appFolder) {
  return dialogs.OpenFile(ConfigurationDialog(appFolder));
}

LoadOutcome LoadConfigurationWithDialog(LSU_Configuration& config, CategoryDisplays& displays,
                                        seams::EventPump& events, seams::UserDialogs& dialogs,
                                        const std::string& appFolder) {
  const auto path = ChooseConfigurationToLoad(dialogs, appFolder);
  if (!path) return {LoadResult::Cancelled, {}};
  return LoadConfiguration(*path, config, displays, events, dialogs);
}

std::string SaveFailedMessage(const std::string& path, const std::string& why) {
  return "The configuration could not be saved to " + path + ": " + why;
}

SaveResult SaveConfigurationWithDialog(const LSU_Configuration& config, seams::UserDialogs& dialogs,
                                       const std::string& appFolder) {
  seams::FileDialogRequest request = ConfigurationDialog(appFolder);
  request.defaultSuffix = kConfigurationExtension;
  const auto chosen = dialogs.SaveFile(request);
  if (!chosen) return SaveResult::Cancelled;
  const std::string path = fileio::WithDefaultExtension(*chosen, kConfigurationExtension);
  const seams::Result saved = SaveConfiguration(config, path);
  if (saved) return SaveResult::Saved;
  dialogs.Message(saved.Message(), seams::DialogIcon::Critical, seams::DialogButtons::Ok);
  return SaveResult::Failed;
}

}  // namespace sound
