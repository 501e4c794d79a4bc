#include "update/server/FontService.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "fileio/LineReader.h"
#include "fileio/Utf8Path.h"
#include "update/UpdateUtils.h"

namespace fontserver {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "status:OK\r\nclientv:1\r\n";

// A name a client can send back unchanged in a form body.
bool IsServableName(const std::string& name) {
  return update::IsPlainFileName(name) && name.find('&') == std::string::npos;
}

std::string TextAnswer(const std::vector<std::string>& lines) {
  std::string text = kHeader;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return text;
}

ServiceAnswer Refusal(const std::string& reason) {
  return {200, "status:ERR\r\nclientv:1\r\n" + reason, {}};
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
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

std::vector<std::string> FontService::Catalogue() const {
  std::vector<std::string> fonts;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fileio::PathFromUtf8(root_), error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory(error) && IsServableName(name) && ConfigurationFile(name))
      fonts.push_back(name);
  }
  std::sort(fonts.begin(), fonts.end());
  return fonts;
}

// The font folder's font id + ".lscfg", else its only ".lscfg" file.
std::optional<std::string> FontService::ConfigurationFile(const std::string& fontId) const {
  if (!IsServableName(fontId)) return std::nullopt;
  const fs::path folder = fileio::PathFromUtf8(root_ + "/" + fontId);
  const fs::path named = folder / fileio::PathFromUtf8(fontId + update::kConfigurationExtension);
  if (IsFile(named)) return named.string();
  std::vector<fs::path> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == update::kConfigurationExtension && IsFile(entry.path()))
      found.push_back(entry.path());
  if (found.size() != 1) return std::nullopt;
  return found.front().string();
}

std::optional<std::vector<std::string>> FontService::Configuration(
    const std::string& fontId) const {
  const auto file = ConfigurationFile(fontId);
  if (!file) return std::nullopt;
  fileio::LineReader in(*file);
  std::vector<std::string> lines;
  for (std::string line; in.Next(line);) {
    lines.push_back(update::NamesSoundFile(line) ? fileio::FileNameOf(line) : line);
  }
  if (in.Failed()) return std::nullopt;
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
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
    const std::string font = field("fid"), item = field("ffd");
    if (!ConfigurationFile(font) || !IsServableName(item) || !update::NamesSoundFile(item))
      return {404, "no such file", {}};
    const std::string file = root_ + "/" + font + "/" + item;
    if (!IsFile(fileio::PathFromUtf8(file))) return {404, "no such file", {}};
    return {200, {}, file};
  }
  return {404, "unknown service", {}};
}

}  // namespace fontserver
