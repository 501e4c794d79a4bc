#include "sound/FontExport.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "fileio/AtomicFile.h"
#include "fileio/Utf8Path.h"
#include "sound/ConfigurationFile.h"
#include "text/Encoding.h"

namespace sound {

namespace fs = std::filesystem;

namespace {

constexpr size_t kChunk = 1 << 16;

// "hum.lsu" as "hum-2.lsu".
std::string Numbered(const std::string& name, int n) {
  const size_t dot = name.find_last_of('.');
  const size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, stem) + "-" + std::to_string(n) + name.substr(stem);
}

// The same file, whatever way its path is written.
std::string Identity(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(fileio::PathFromUtf8(path), error);
  return error ? path : fileio::Utf8FromPath(canonical);
}

// Each file once, in flash order, with its name in the folder: the first
// file of a name keeps it, and later files of that name (without regard
// to case, as the folder may be unpacked where case does not count) take
// the first "-N" that no file of the font is named.
std::vector<ExportedFile> PlanNames(const LSU_Configuration& config) {
  std::vector<ExportedFile> files;
  std::set<std::string> seen;
  for (const LSU_SoundFile* file : config.FilesInFlashOrder())
    if (!file->FileName.empty() && seen.insert(Identity(file->FileName)).second)
      files.push_back({file->FileName, ""});
  std::set<std::string> taken;
  std::vector<bool> named(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string own = fileio::FileNameOf(files[i].source);
    named[i] = taken.insert(text::FoldedCase(own)).second;
    if (named[i]) files[i].name = own;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (named[i]) continue;
    const std::string own = fileio::FileNameOf(files[i].source);
    std::string name = own;
    for (int n = 2; !taken.insert(text::FoldedCase(name)).second; ++n) name = Numbered(own, n);
    files[i].name = name;
  }
  return files;
}

std::string Why() {
  return std::strerror(errno);
}

// True when both files hold the same bytes.
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (!fs::is_regular_file(a, error) || !fs::is_regular_file(b, error)) return false;
  if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  std::string bx(kChunk, '\0'), by(kChunk, '\0');
  while (x && y) {
    x.read(bx.data(), kChunk);
    y.read(by.data(), kChunk);
    if (x.gcount() != y.gcount() || std::memcmp(bx.data(), by.data(), size_t(x.gcount())) != 0)
      return false;
  }
  return x.eof() && y.eof();
}

bool SameText(const fs::path& file, const std::string& text) {
  std::error_code error;
  if (!fs::is_regular_file(file, error) || fs::file_size(file, error) != text.size()) return false;
  std::ifstream in(file, std::ios::binary);
  std::string bytes(text.size(), '\0');
  in.read(bytes.data(), std::streamsize(bytes.size()));
  return in.gcount() == std::streamsize(text.size()) && bytes == text;
}

// Copies source to target through a file beside the target, renamed once
// whole. Empty when done, else why not.
std::string Copy(const fs::path& source, const std::string& target) {
  std::ifstream in(source, std::ios::binary);
  if (!in) return fileio::Utf8FromPath(source) + " could not be read: " + Why();
  fileio::AtomicWriter out(target);
  std::string buffer(kChunk, '\0');
  while (out.IsOpen() && in) {
    in.read(buffer.data(), kChunk);
    if (!out.Write(std::string_view(buffer.data(), size_t(in.gcount())))) break;
  }
  if (in.bad()) return fileio::Utf8FromPath(source) + " could not be read";
  if (out.IsOpen() && out.Error().empty() && out.Commit()) return "";
  return target + " could not be written: " + out.Error();
}

}  // namespace

FontExport ExportFont(const LSU_Configuration& config, const std::string& folder,
                      const std::string& name) {
  FontExport result;
  result.files = PlanNames(config);
  if (result.files.empty()) {
    result.error = "The configuration holds no sound files to export.";
    return result;
  }
  std::error_code error;
  const fs::path dir = fs::absolute(fileio::PathFromUtf8(folder), error).lexically_normal();
  std::string shown = fileio::Utf8FromPath(dir);  // the folder in messages
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  const std::string prefix = shown == "/" ? shown : shown + "/";
  std::map<std::string, std::string> copyOf;
  for (const ExportedFile& f : result.files) copyOf[Identity(f.source)] = prefix + f.name;
  const auto text = ConfigurationText(
      config, [&](const LSU_SoundFile& file) { return copyOf.at(Identity(file.FileName)); });
  if (!text) {
    result.error = "A file name holds a line break: no configuration file can name it.";
    return result;
  }
  result.configuration = prefix + name + ".lscfg";
  const std::string refused = " Nothing was exported.";

  // Everything is checked before anything is written.
  const bool existed = fs::exists(dir, error);
  if (existed && !fs::is_directory(dir, error)) {
    result.error = shown + " is not a folder." + refused;
    return result;
  }
  std::vector<bool> present(result.files.size());
  for (size_t i = 0; i < result.files.size(); ++i) {
    const ExportedFile& f = result.files[i];
    const fs::path source = fileio::PathFromUtf8(f.source);
    if (!fs::is_regular_file(source, error)) {
      result.error = f.source + " is not a file that can be copied." + refused;
      return result;
    }
    const fs::path target = dir / fileio::PathFromUtf8(f.name);
    present[i] = fs::exists(fs::symlink_status(target, error));
    if (present[i] && !SameBytes(source, target)) {
      result.error = shown + " already holds a different file named " + f.name + "." + refused;
      return result;
    }
  }
  const fs::path configuration = fileio::PathFromUtf8(result.configuration);
  const bool configurationPresent = fs::exists(fs::symlink_status(configuration, error));
  if (configurationPresent && !SameText(configuration, *text)) {
    result.error = shown + " already holds a different file named " + name + ".lscfg." + refused;
    return result;
  }

  if (!existed && !fs::create_directories(dir, error)) {
    result.error = "The folder " + shown + " could not be made: " + error.message();
    return result;
  }
  // What this export wrote goes again when a later step fails.
  std::vector<fs::path> written;
  const auto undo = [&](const std::string& why) {
    std::error_code ignored;
    for (const fs::path& p : written) fs::remove(p, ignored);
    if (!existed) fs::remove(dir, ignored);  // only when empty
    result.error = why + refused;
    return result;
  };
  for (size_t i = 0; i < result.files.size(); ++i) {
    if (present[i]) continue;
    const ExportedFile& f = result.files[i];
    const std::string why = Copy(fileio::PathFromUtf8(f.source), prefix + f.name);
    if (!why.empty()) return undo(why);
    written.push_back(dir / fileio::PathFromUtf8(f.name));
  }
  if (!configurationPresent) {
    std::string why;
    if (!fileio::WriteFileAtomically(result.configuration, *text, &why))
      return undo(result.configuration + " could not be written: " + why);
  }
  result.done = true;
  return result;
}

FontExport ExportFontWithDialog(const LSU_Configuration& config, seams::UserDialogs& dialogs,
                                const std::string& initialFolder) {
  const auto folder = dialogs.ChooseFolder(initialFolder, kExportFolderTitle);
  if (!folder) return {};
  std::error_code error;
  const fs::path normal = fs::absolute(fileio::PathFromUtf8(*folder), error).lexically_normal();
  std::string name =
      fileio::Utf8FromPath((normal.has_filename() ? normal : normal.parent_path()).filename());
  if (name.empty()) name = "font";  // the root folder
  const FontExport exported = ExportFont(config, *folder, name);
  if (exported.done)
    dialogs.Message(ExportedMessage(exported, *folder), seams::DialogIcon::Information,
                    seams::DialogButtons::Ok);
  else
    dialogs.Message(exported.error, seams::DialogIcon::Critical, seams::DialogButtons::Ok);
  return exported;
}

std::string ExportedMessage(const FontExport& exported, const std::string& folder) {
  return "The font was exported to " + folder + ": " + std::to_string(exported.files.size()) +
         (exported.files.size() == 1 ? " sound file and " : " sound files and ") +
         fileio::FileNameOf(exported.configuration) + ".";
}

}  // namespace sound
