#pragma once
// Reading the LED catalogue "KestraneLEDS.ldcfg" of the application folder:
// a header line "KestraneLEDConfigurator#2", then one LED type per
// non-empty line (see LED_Driver::Init). Lines end with CR LF; a line that
// ends with LF only is read the same. Read through fileio's bounded line
// reader.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "led/LED_Driver.h"

namespace led {

inline constexpr const char* kCatalogueFileName = "KestraneLEDS.ldcfg";
inline constexpr const char* kInvalidLedCatalogue =
    "Invalid LED configuration file. Check KestraneLEDS.ldcfg in the installation path !";
// The message, with the reason the file could not be read on a line of its
// own when there is one.
inline std::string InvalidLedCatalogueMessage(const std::string& problem) {
  return kInvalidLedCatalogue + (problem.empty() ? "" : "\r\n" + problem);
}

// The catalogue's path in the application folder.
std::string CataloguePath(const std::string& appFolder);

// Two fields separated by "#": exactly "KestraneLEDConfigurator" and a
// number equal to 2.
bool IsCatalogueHeader(std::string_view line);

struct CatalogueEntry {
  std::string LEDName;
  int16_t LedCode = 0;
};

// Every entry, in file order; nothing when the file cannot be read, its
// header is wrong or one of its lines is not a valid LED type. When the
// file could not be read (missing, not a regular file, a line longer than
// 4096 bytes), readProblem receives why.
std::optional<std::vector<CatalogueEntry>> EnumerateCatalogue(const std::string& path,
                                                              std::string* readProblem = nullptr);

// Runs driver.Init on every line whose part before "@" is exactly name (the
// header is not checked on this pass) and calls onMatch after each
// successful one, so the last matching line wins. False when the file
// cannot be read or a matching line is invalid; true otherwise, also when
// nothing matched. readProblem as for EnumerateCatalogue.
bool SelectFromCatalogue(const std::string& path, std::string_view name, LED_Driver& driver,
                         const std::function<void()>& onMatch, std::string* readProblem = nullptr);

}  // namespace led
