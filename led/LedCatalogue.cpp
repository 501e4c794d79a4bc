#include "led/LedCatalogue.h"

#include <fstream>

#include "led/Split.h"
#include "text/NumberReading.h"

namespace led {

std::string CataloguePath(const std::string& appFolder) {
  return appFolder + "/" + kCatalogueFileName;
}

bool ReadTextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool IsCatalogueHeader(std::string_view line) {
  const auto fields = Split(line, "#");
  return fields.size() == 2 && fields[0] == "KestraneLEDConfigurator" &&
         text::ReadNumber(fields[1]) == 2;
}

std::optional<std::vector<CatalogueEntry>> EnumerateCatalogue(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!ReadTextLine(in, line) || !IsCatalogueHeader(line)) return std::nullopt;
  std::vector<CatalogueEntry> entries;
  LED_Driver scratch;
  while (ReadTextLine(in, line)) {
    if (line.empty()) continue;
    if (!scratch.Init(line)) return std::nullopt;
    entries.push_back({scratch.LEDName, scratch.LedCode});
  }
  if (in.bad()) return std::nullopt;
  return entries;
}

bool SelectFromCatalogue(const std::string& path, std::string_view name, LED_Driver& driver,
                         const std::function<void()>& onMatch) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  for (std::string line; ReadTextLine(in, line);) {
    if (line.empty() || Split(line, "@")[0] != name) continue;
    if (!driver.Init(line)) return false;
    onMatch();
  }
  return !in.bad();
}

}  // namespace led
