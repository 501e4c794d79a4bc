#include "update/UpdateUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "fileio/AtomicFile.h"
#include "fileio/Utf8Path.h"

namespace update {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(fileio::PathFromUtf8(path), error);
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(fileio::PathFromUtf8(path), error);
}

bool MakeDirectory(const std::string& path) {
  std::error_code error;
  fs::create_directories(fileio::PathFromUtf8(path), error);
  return IsDirectory(path);
}

}  // namespace

std::vector<std::string> SliceText(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  for (;;) {
    const size_t end = text.find(kLineEnd);
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + kLineEnd.size());
  }
}

Association ExtractPair(std::string_view line) {
  Association pair;
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return pair;
  pair.key = line.substr(0, colon);
  pair.value = line.substr(colon + 1);
  return pair;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFileNameBytes || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
  });
}

bool IsFontId(std::string_view name) {
  return name.size() <= kMaxFontIdBytes && IsPlainFileName(name);
}

bool NamesSoundFile(std::string_view line) {
  constexpr std::string_view kExtension = ".lsu";
  const auto found =
      std::search(line.begin(), line.end(), kExtension.begin(), kExtension.end(),
                  [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  return found != line.end();
}

std::optional<std::string> AnswerHeaderProblem(const std::vector<std::string>& lines) {
  if (lines.empty()) return kNoAnswer;
  const Association status = ExtractPair(lines[0]);
  if (status.key != "status" || status.value != "OK") return kNotAccepted;
  if (lines.size() < 2) return kHeaderOnly;
  const Association client = ExtractPair(lines[1]);
  if (client.key != "clientv") return kNoClientVersion;
  if (client.value != "1") return kNewVersionNeeded;
  return std::nullopt;
}

UpdateUtils::UpdateUtils(std::string appFolder)
    : fontsFolder_(std::move(appFolder) + "/" + kFontsFolderName) {
  MakeDirectory(fontsFolder_);
}

std::optional<std::string> UpdateUtils::FontFolder(std::string_view fontId) const {
  if (!IsFontId(fontId)) return std::nullopt;
  return fontsFolder_ + "/" + std::string(fontId);
}

std::optional<std::string> UpdateUtils::ItemPath(std::string_view fontId,
                                                 std::string_view itemName) const {
  const auto folder = FontFolder(fontId);
  if (!folder || !IsPlainFileName(itemName)) return std::nullopt;
  return *folder + "/" + std::string(itemName);
}

bool UpdateUtils::IsItemName(std::string_view fontId, std::string_view name) const {
  return IsFontId(fontId) && IsPlainFileName(name) && name != kDescriptorName &&
         name != kCompleteMarkerName && name != kDownloadName &&
         name != std::string(fontId) + kConfigurationExtension;
}

bool UpdateUtils::FontExists(std::string_view fontId) const {
  const auto folder = FontFolder(fontId);
  return folder && IsDirectory(*folder);
}

bool UpdateUtils::FontExistsAndCompleted(std::string_view fontId) const {
  return FontExists(fontId) && FontItemExists(fontId, kCompleteMarkerName);
}

bool UpdateUtils::FontItemExists(std::string_view fontId, std::string_view itemName) const {
  const auto path = ItemPath(fontId, itemName);
  return path && IsFile(*path);
}

bool UpdateUtils::CreateFont(std::string_view fontId) const {
  const auto folder = FontFolder(fontId);
  return folder && MakeDirectory(*folder);
}

bool UpdateUtils::CompleteFont(std::string_view fontId) const {
  if (FontExistsAndCompleted(fontId)) return true;
  const auto marker = ItemPath(fontId, kCompleteMarkerName);
  return marker && FontExists(fontId) && fileio::WriteFileAtomically(*marker, "");
}

bool UpdateUtils::WriteDescriptor(std::string_view fontId,
                                  const std::vector<std::string>& lines) const {
  const auto folder = FontFolder(fontId);
  if (!folder) return false;
  const std::string soundPrefix = *folder + "/";
  // Empty lines inside stand for empty categories and are kept; those at
  // the end (a final CR LF) are not lines of the configuration.
  size_t end = lines.size();
  while (end > 2 && lines[end - 1].empty()) --end;
  std::string descriptor, configuration;
  for (size_t i = 2; i < end; ++i) {
    descriptor.append(lines[i]).append(kLineEnd);
    if (NamesSoundFile(lines[i])) configuration.append(soundPrefix);
    configuration.append(lines[i]).append(kLineEnd);
  }
  return fileio::WriteFileAtomically(*folder + "/" + kDescriptorName, descriptor) &&
         fileio::WriteFileAtomically(*folder + "/" + std::string(fontId) + kConfigurationExtension,
                                     configuration);
}

bool UpdateUtils::DeleteFontItem(std::string_view fontId, std::string_view itemName) const {
  const auto path = ItemPath(fontId, itemName);
  if (!path) return false;
  std::error_code error;
  fs::remove(fileio::PathFromUtf8(*path), error);
  return !error;
}

}  // namespace update
