#include "update/server/FontService.h"

#include <algorithm>
#include <filesystem>

#include "fileio/LineReader.h"
#include "fileio/Utf8Path.h"
#include "sound/FontLocator.h"
#include "text/Encoding.h"
#include "update/PrintableText.h"
#include "update/UpdateUtils.h"

namespace fontserver {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "status:OK\r\nclientv:1\r\n";

bool TravelsInForm(std::string_view name) {
  return name.find_first_of("&+%") == std::string_view::npos;
}

std::string TextAnswer(const std::vector<std::string>& lines) {
  std::string text = kHeader;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return text;
}

ServiceAnswer Refusal(const std::string& reason) {
  return {200, "status:ERR\r\nclientv:1\r\n" + reason, {}};
}

ServiceAnswer NotFound() {
  return {404, "no such file", {}};
}

bool Fail(std::string* whyNot, const std::string& reason) {
  if (whyNot) *whyNot = reason;
  return false;
}

std::string Quoted(const std::string& name) {
  return "\"" + update::PrintableText(name) + "\"";
}

}  // namespace

std::map<std::string, std::string> ParseForm(std::string_view body) {
  std::map<std::string, std::string> form;
  while (!body.empty()) {
    const size_t end = body.find('&');
    const std::string_view pair = body.substr(0, end);
    const size_t equals = pair.find('=');
    if (equals != std::string_view::npos)
      form.emplace(pair.substr(0, equals), pair.substr(equals + 1));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return form;
}

bool IsServableFontId(std::string_view name) {
  return update::IsFontId(name) && TravelsInForm(name);
}

bool IsServableItem(std::string_view name) {
  return update::IsPlainFileName(name) && TravelsInForm(name) && update::NamesSoundFile(name);
}

FontService::FontService(std::string root) : root_(std::move(root)) {
  std::error_code error;
  realRoot_ = fs::canonical(fileio::PathFromUtf8(root_), error);
}

std::optional<fs::path> FontService::Inside(const fs::path& path, bool folder) const {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (error || realRoot_.empty()) return std::nullopt;
  const auto [rootEnd, pathAt] =
      std::mismatch(realRoot_.begin(), realRoot_.end(), real.begin(), real.end());
  if (rootEnd != realRoot_.end() || pathAt == real.end()) return std::nullopt;
  const bool kindOk = folder ? fs::is_directory(real, error) : fs::is_regular_file(real, error);
  if (!kindOk) return std::nullopt;
  return real;
}

// The font folder's font id + ".lscfg", else its only ".lscfg" file.
std::optional<fs::path> FontService::ConfigurationFile(const fs::path& folder,
                                                       const std::string& fontId,
                                                       std::string* whyNot) const {
  const fs::path named = folder / fileio::PathFromUtf8(fontId + update::kConfigurationExtension);
  std::vector<fs::path> found;
  std::error_code error;
  if (fs::exists(named, error)) {
    found.push_back(named);
  } else {
    for (const auto& entry : fs::directory_iterator(folder, error))
      if (entry.path().extension() == update::kConfigurationExtension)
        found.push_back(entry.path());
  }
  if (found.size() != 1) {
    Fail(whyNot, found.empty() ? "it has no configuration file"
                               : "it has several configuration files and none named after it");
    return std::nullopt;
  }
  const auto file = Inside(found.front(), false);
  if (!file) {
    Fail(whyNot, "its configuration file is not a file inside the root");
    return std::nullopt;
  }
  if (fs::file_size(*file, error) > static_cast<uintmax_t>(update::kMaxTextAnswer)) {
    Fail(whyNot, "its configuration file is larger than a client takes");
    return std::nullopt;
  }
  return file;
}

std::optional<FontService::Font> FontService::Load(const std::string& fontId,
                                                   std::string* whyNot) const {
  if (!IsServableFontId(fontId)) {
    Fail(whyNot,
         "its name cannot travel to a client and back (a file name of at most 200 bytes, "
         "without & + %)");
    return std::nullopt;
  }
  const auto folder = Inside(fileio::PathFromUtf8(root_ + "/" + fontId), true);
  if (!folder) {
    Fail(whyNot, "it is not a folder inside the root");
    return std::nullopt;
  }
  const auto file = ConfigurationFile(*folder, fontId, whyNot);
  if (!file) return std::nullopt;
  fileio::LineReader in(file->string());
  in.SkipByteOrderMark();
  // A font made elsewhere (Windows paths in its code page, names in other
  // capitals than the files) is served under the names of its files here.
  sound::FontLocator beside(fileio::Utf8FromPath(*file));
  Font font{*folder, {}};
  for (std::string read; in.Next(read);) {
    const std::string line = text::LineAsUtf8(read);
    if (!update::NamesSoundFile(line)) {
      font.lines.push_back(line);
      continue;
    }
    const std::string written = fileio::FileNameOf(line);
    const std::string item = beside.NameBeside(written).value_or(written);
    if (!IsServableItem(item)) {
      Fail(whyNot, "its sound file " + Quoted(item) + " has a name that cannot travel to a client");
      return std::nullopt;
    }
    const auto file = Inside(*folder / fileio::PathFromUtf8(item), false);
    if (!file) {
      Fail(whyNot, "its sound file " + Quoted(item) + " is not a file inside the root");
      return std::nullopt;
    }
    std::error_code error;
    if (fs::file_size(*file, error) > static_cast<uintmax_t>(update::kMaxItemBytes)) {
      Fail(whyNot, "its sound file " + Quoted(item) + " is larger than a client takes");
      return std::nullopt;
    }
    font.lines.push_back(item);
  }
  if (in.Failed()) {
    Fail(whyNot, "its configuration file cannot be read: " + in.Error());
    return std::nullopt;
  }
  while (!font.lines.empty() && font.lines.back().empty()) font.lines.pop_back();
  return font;
}

std::vector<std::string> FontService::FolderNames() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fileio::PathFromUtf8(root_), error))
    if (entry.is_directory(error)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FontService::Catalogue() const {
  std::vector<std::string> fonts;
  for (const std::string& name : FolderNames())
    if (Load(name, nullptr)) fonts.push_back(name);
  return fonts;
}

std::vector<SkippedFont> FontService::Skipped() const {
  std::vector<SkippedFont> skipped;
  for (const std::string& name : FolderNames()) {
    std::string reason;
    if (!Load(name, &reason)) skipped.push_back({name, reason});
  }
  return skipped;
}

std::optional<std::vector<std::string>> FontService::Configuration(
    const std::string& fontId) const {
  auto font = Load(fontId, nullptr);
  if (!font) return std::nullopt;
  return std::move(font->lines);
}

ServiceAnswer FontService::Answer(std::string_view path, std::string_view body) const {
  const auto form = ParseForm(body);
  const auto field = [&form](const char* key) {
    const auto it = form.find(key);
    return it == form.end() ? std::string() : it->second;
  };
  const std::string service = field("svc");
  if (path == "/" && service == "gct") return {200, TextAnswer(Catalogue()), {}};
  if (path == "/" && service == "fqr") {
    const auto lines = Configuration(field("fid"));
    if (!lines) return Refusal("unknown font");
    return {200, TextAnswer(*lines), {}};
  }
  if (path == "/tst/gct/" && service == "dld") {
    const std::string item = field("ffd");
    if (!IsServableItem(item)) return NotFound();
    const auto font = Load(field("fid"), nullptr);
    if (!font) return NotFound();
    const auto file = Inside(font->folder / fileio::PathFromUtf8(item), false);
    if (!file) return NotFound();
    return {200, {}, file->string()};
  }
  return {404, "unknown service", {}};
}

}  // namespace fontserver
