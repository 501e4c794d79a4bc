#pragma once

#include <string>
#include <vector>

namespace frontend {

inline constexpr const char* kFontExportUsage = "font export CONFIG.lscfg -o DIR";

// font export CONFIG.lscfg -o DIR: copies every sound file of a
// configuration into DIR and writes DIR/NAME.lscfg naming the copies (NAME
// from the configuration file's name). Exit 0 when done, 1 when the
// configuration did not load or the export was refused.
int ExportFontFolder(const std::vector<std::string>& args);

}  // namespace frontend
