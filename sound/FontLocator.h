#pragma once
// Finds the sound files a configuration file names, also when the font has
// travelled: made on another machine (often Windows, "C:\Fonts\Ember\hum.lsu"),
// zipped with its LSU files and unpacked anywhere.
//
// A path is read with "\" and "/" both as folder separators, and a relative
// path is taken from the configuration file's folder (never the current
// folder). When that names no regular file, the same file name (the text
// after the last separator) is looked for in the configuration file's own
// folder: exactly first, then without regard to case. A path that names a
// file as written is always used as it is.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace sound {

class FontLocator {
 public:
  // configurationPath: the configuration file read (UTF-8); empty when the
  // text does not come from a file, and paths are then taken as written.
  explicit FontLocator(const std::string& configurationPath);

  struct Found {
    std::string path;     // UTF-8, where the file is loaded from
    bool beside = false;  // found by its name beside the configuration
  };
  // The file a path line (UTF-8) stands for; nothing when it is found
  // nowhere.
  std::optional<Found> Locate(const std::string& written);

  // The name of the regular file in the configuration's folder that a file
  // name (UTF-8) stands for: the name itself, else one equal to it without
  // regard to case (the first in name order); nothing when there is none.
  std::optional<std::string> NameBeside(const std::string& name);

 private:
  std::optional<std::string> NameIgnoringCase(const std::string& name);

  std::filesystem::path folder_;
  bool listed_ = false;
  std::map<std::string, std::string> byFoldedName_;
};

// "3 files were found beside the configuration instead of at their stored
// paths."; empty for 0.
std::string FoundBesideMessage(int count);

}  // namespace sound
