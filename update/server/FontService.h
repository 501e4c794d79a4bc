#pragma once
// What font-server answers: a folder of fonts (one folder per font id, each
// with its configuration file and its LSU files) offered over the update
// service's three requests.
//   POST /          svc=gct&did=SERIAL            -> the font ids
//   POST /          svc=fqr&did=SERIAL&fid=FONT   -> the font's configuration
//   POST /tst/gct/  svc=dld&...&fid=FONT&ffd=ITEM -> the sound file's bytes
// Text answers start with "status:OK" and "clientv:1", lines end with CR LF.
// A request the service cannot serve gets "status:ERR" and the reason; a
// download of a file it does not have gets 404. Every board gets every font.
//
// Only fonts a client can fetch whole are offered: their id and every sound
// file their configuration names travel unchanged in a form body, and
// every file they need is a regular file inside the root (a link that
// leads out of it is not followed). Nothing outside the root is ever read.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fontserver {

struct ServiceAnswer {
  int httpStatus = 200;
  std::string text;      // a text answer, or
  std::string filePath;  // the file to send
};

// A form body's pairs: split at "&", each at its first "=", values as they
// are (the update service's clients do not percent-encode).
std::map<std::string, std::string> ParseForm(std::string_view body);

// A name that a client sends back unchanged in a form body and can store:
// a plain file name (a font id: of at most 200 bytes) without "&", which
// separates the pairs, or "+" and "%", which form readers decode.
bool IsServableFontId(std::string_view name);
bool IsServableItem(std::string_view name);

// A font folder that is not offered, and why.
struct SkippedFont {
  std::string folder;
  std::string reason;
};

class FontService {
 public:
  explicit FontService(std::string root);

  ServiceAnswer Answer(std::string_view path, std::string_view body) const;

  // The fonts offered, sorted.
  std::vector<std::string> Catalogue() const;
  // The folders of the root that are not offered, sorted, with the reason.
  std::vector<SkippedFont> Skipped() const;
  // The font's configuration lines with sound file paths reduced to bare
  // file names; nothing when the font is not offered.
  std::optional<std::vector<std::string>> Configuration(const std::string& fontId) const;

 private:
  struct Font {
    std::filesystem::path folder;
    std::vector<std::string> lines;
  };
  // The font as it is offered, or why it is not.
  std::optional<Font> Load(const std::string& fontId, std::string* whyNot) const;
  std::optional<std::filesystem::path> ConfigurationFile(const std::filesystem::path& folder,
                                                         const std::string& fontId,
                                                         std::string* whyNot) const;
  // The path with every link resolved, when it is a regular file (or a
  // folder) inside the root.
  std::optional<std::filesystem::path> Inside(const std::filesystem::path& path, bool folder) const;
  std::vector<std::string> FolderNames() const;

  std::string root_;
  std::filesystem::path realRoot_;
};

}  // namespace fontserver
