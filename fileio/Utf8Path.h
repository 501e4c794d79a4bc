#pragma once
// Paths cross the program as UTF-8 text (configuration files, the command
// line, the window); the file system gets them as native paths.

#include <filesystem>
#include <string>
#include <string_view>

namespace fileio {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// A path read from a file that may come from another system, where folders
// are separated by "\": the path as written when something has that name
// (a Linux file name may hold a "\"), else the path with every "\" read as
// "/" when that names something, else the path as written.
inline std::string AcceptingBothSeparators(const std::string& utf8Path) {
  std::error_code error;
  if (utf8Path.find('\\') == std::string::npos ||
      std::filesystem::exists(PathFromUtf8(utf8Path), error))
    return utf8Path;
  std::string slashed = utf8Path;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  return std::filesystem::exists(PathFromUtf8(slashed), error) ? slashed : utf8Path;
}

// The file name shown for a path: the text after its last "\" or "/".
inline std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace fileio
