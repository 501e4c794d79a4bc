#include "sound/FontLocator.h"

#include <cctype>
#include <system_error>

#include "fileio/Utf8Path.h"
#include "text/Encoding.h"

namespace sound {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// "C:/..." or "c:\...": a drive of another system, which names nothing
// here, whatever the current folder holds.
bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

FontLocator::FontLocator(const std::string& configurationPath) {
  if (configurationPath.empty()) return;
  std::error_code error;
  const fs::path absolute = fs::absolute(fileio::PathFromUtf8(configurationPath), error);
  if (!error) folder_ = absolute.lexically_normal().parent_path();
}

std::optional<FontLocator::Found> FontLocator::Locate(const std::string& written) {
  std::string slashed = written;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  if (slashed.empty()) return std::nullopt;
  fs::path path = fileio::PathFromUtf8(slashed);
  const bool foreign = HasDriveLetter(slashed);
  const bool relative = !foreign && path.is_relative() && !folder_.empty();
  if (relative) path = (folder_ / path).lexically_normal();
  // A full path that names a file is kept exactly as written.
  if (!foreign && IsRegularFile(path))
    return Found{relative ? fileio::Utf8FromPath(path) : slashed};

  const std::string name = fileio::FileNameOf(foreign ? slashed.substr(2) : slashed);
  if (const auto beside = NameBeside(name))
    return Found{fileio::Utf8FromPath(folder_ / fileio::PathFromUtf8(*beside)), true};
  return std::nullopt;
}

std::optional<std::string> FontLocator::NameBeside(const std::string& name) {
  if (folder_.empty() || name.empty() || name == "." || name == ".." ||
      name.find('/') != std::string::npos)
    return std::nullopt;
  if (IsRegularFile(folder_ / fileio::PathFromUtf8(name))) return name;
  return NameIgnoringCase(name);
}

std::optional<std::string> FontLocator::NameIgnoringCase(const std::string& name) {
  if (!listed_) {
    // Listed once per load: a font's folder is read a single time however
    // many of its files have moved.
    listed_ = true;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error))
      if (IsRegularFile(it->path())) {
        const std::string entry = fileio::Utf8FromPath(it->path().filename());
        auto [at, added] = byFoldedName_.emplace(text::FoldedCase(entry), entry);
        if (!added && entry < at->second) at->second = entry;
      }
  }
  const auto at = byFoldedName_.find(text::FoldedCase(name));
  if (at == byFoldedName_.end()) return std::nullopt;
  return at->second;
}

std::string FoundBesideMessage(int count) {
  if (count <= 0) return "";
  if (count == 1) return "1 file was found beside the configuration instead of at its stored path.";
  return std::to_string(count) +
         " files were found beside the configuration instead of at their stored paths.";
}

}  // namespace sound
