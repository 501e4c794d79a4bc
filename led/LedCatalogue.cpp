#include "led/LedCatalogue.h"

#include "fileio/LineReader.h"
#include "led/Split.h"
#include "text/NumberReading.h"

namespace led {

std::string CataloguePath(const std::string& appFolder) {
  return appFolder + "/" + kCatalogueFileName;
}

namespace {

// True when the reading ended without a fault; otherwise readProblem
// receives the reader's reason.
bool ReadWell(const fileio::LineReader& in, std::string* readProblem) {
  if (in.Failed() && readProblem) *readProblem = in.Error();
  return !in.Failed();
}

}  // namespace

bool IsCatalogueHeader(std::string_view line) {
  const auto fields = Split(line, "#");
  return fields.size() == 2 && fields[0] == "KestraneLEDConfigurator" &&
         text::ReadNumber(fields[1]) == 2;
}

std::optional<std::vector<CatalogueEntry>> EnumerateCatalogue(const std::string& path,
                                                              std::string* readProblem) {
  fileio::LineReader in(path);
  std::string line;
  if (!in.Next(line)) {
    ReadWell(in, readProblem);
    return std::nullopt;
  }
  if (!IsCatalogueHeader(line)) return std::nullopt;
  std::vector<CatalogueEntry> entries;
  LED_Driver scratch;
  while (in.Next(line)) {
    if (line.empty()) continue;
    if (!scratch.Init(line)) return std::nullopt;
    entries.push_back({scratch.LEDName, scratch.LedCode});
  }
  if (!ReadWell(in, readProblem)) return std::nullopt;
  return entries;
}

bool SelectFromCatalogue(const std::string& path, std::string_view name, LED_Driver& driver,
                         const std::function<void()>& onMatch, std::string* readProblem) {
  fileio::LineReader in(path);
  for (std::string line; in.Next(line);) {
    if (line.empty() || Split(line, "@")[0] != name) continue;
    if (!driver.Init(line)) return false;
    onMatch();
  }
  return ReadWell(in, readProblem);
}

}  // namespace led
