#pragma once
// A font made on Windows and unpacked here: its configuration file holds
// "C:\Fonts\Ember\..." paths in Windows-1252 with CR LF line ends, and its
// LSU files sit beside it, one of them under a name of another case.

#include <string>
#include <vector>

namespace sound_test {

struct TravelledFont {
  std::string configuration;         // folder + "/ember.lscfg"
  std::vector<std::string> names;    // the LSU files in the folder, in flash order
  std::vector<int> volumes;          // their volumes in the configuration
  std::vector<std::string> headers;  // the section line before each file, or ""
};

// Writes the font into folder (which must exist).
TravelledFont WriteTravelledFont(const std::string& folder);

// The same configuration as this system writes it: UTF-8, the full paths
// of the files in folder.
std::string PlainConfiguration(const TravelledFont& font, const std::string& folder);

}  // namespace sound_test
