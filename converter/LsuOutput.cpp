#include "converter/LsuOutput.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "converter/AudioConversion.h"
#include "fileio/Utf8Path.h"

namespace converter {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

}  // namespace

std::string WithLsuExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  return (hasExtension ? name.substr(0, dot) : name) + ".lsu";
}

bool IsConvertibleRecording(const std::string& path) {
  const std::string name = fileio::FileNameOf(path);
  if (name.size() >= 4 && Lower(name.substr(name.size() - 4)) == ".lsu") return false;
  return ReadAudioInfo(path).ok;
}

std::string FreeLsuPath(const std::string& folder, const std::string& recording,
                        std::set<std::string>& taken) {
  const std::string name = WithLsuExtension(fileio::FileNameOf(recording));
  const std::string stem = name.substr(0, name.size() - 4);
  for (int n = 1;; ++n) {
    const std::string candidate = n == 1 ? name : stem + "-" + std::to_string(n) + ".lsu";
    const std::string path = folder + "/" + candidate;
    if (taken.count(Lower(path))) continue;
    // Any entry of that name counts, a link that leads nowhere included. A
    // folder that cannot be looked into leaves the name free: writing into
    // it then fails and says why.
    std::error_code error;
    if (!std::filesystem::exists(
            std::filesystem::symlink_status(fileio::PathFromUtf8(path), error))) {
      taken.insert(Lower(path));
      return path;
    }
  }
}

}  // namespace converter
