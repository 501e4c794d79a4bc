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

// A native path as UTF-8 text, with "/" between its folders.
inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

// The file name shown for a path: the text after its last "\" or "/".
inline std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with "." and extension added when its file name has none (no
// "." after its first character): "font" -> "font.lscfg". A name ending
// in "." gets the extension after that dot.
inline std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  const std::string name = FileNameOf(path);
  if (name.empty()) return path;
  if (name.back() == '.') return path + extension;
  if (name.find('.', 1) != std::string::npos) return path;
  return path + "." + extension;
}

}  // namespace fileio
