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

class FontService {
 public:
  explicit FontService(std::string root) : root_(std::move(root)) {}

  ServiceAnswer Answer(std::string_view path, std::string_view body) const;

  // The fonts offered, sorted: folders with a configuration file whose names
  // can travel in a form body.
  std::vector<std::string> Catalogue() const;
  // The font's configuration lines with sound file paths reduced to bare
  // file names; nothing when there is no such font.
  std::optional<std::vector<std::string>> Configuration(const std::string& fontId) const;

 private:
  std::optional<std::string> ConfigurationFile(const std::string& fontId) const;

  std::string root_;
};

}  // namespace fontserver
