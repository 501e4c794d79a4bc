#pragma once
// The local font store: application folder + "/fonts", one folder per font
// id holding the font's "descriptor", its ready-to-load ".lscfg" file, its
// LSU files and the empty marker "fnt" once the font is complete ("tmp" is
// the name earlier versions downloaded into; one left behind is removed).
// Also takes the service's text answers apart.
//
// Font ids and item names come from the network: every operation that
// builds a path from them refuses anything that is not a plain file name,
// so nothing is ever read or written outside the fonts folder. Operations
// that change the disk answer whether they succeeded.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/Association.h"

namespace update {

inline constexpr const char* kFontsFolderName = "fonts";
inline constexpr const char* kDescriptorName = "descriptor";
inline constexpr const char* kCompleteMarkerName = "fnt";
inline constexpr const char* kDownloadName = "tmp";
inline constexpr const char* kConfigurationExtension = ".lscfg";
// A text answer (a catalogue, a font's configuration) longer than this is
// refused: no real answer comes near it, and an endless one would fill the
// memory.
inline constexpr int64_t kMaxTextAnswer = 1 << 20;
// The longest sound file an update downloads: several times the LSU file
// that fills the largest board's whole memory (5589300 samples, 11 MB). A
// longer announced length is refused before a byte is written, so a hostile
// service cannot fill the disk; font-server does not offer such a font.
inline constexpr int64_t kMaxItemBytes = int64_t{64} << 20;

// Splits text at every CR LF. Empty text gives no lines; text without CR LF
// one line; a final CR LF one empty line after it.
std::vector<std::string> SliceText(std::string_view text);

// Splits a line at its first ":". Key is the text before it, value the text
// after it; a line without ":" or starting with it gives both empty.
Association ExtractPair(std::string_view line);

// The longest file name the file systems in use take, in bytes.
inline constexpr size_t kMaxFileNameBytes = 255;
// The longest font id: the font's configuration file is named after it
// (id + ".lscfg"), and is written beside a temporary file of a longer name.
inline constexpr size_t kMaxFontIdBytes = 200;

// A name that can only name an entry directly inside a folder: not empty,
// not "." or "..", no "/" or "\", no control characters, no longer than
// kMaxFileNameBytes.
bool IsPlainFileName(std::string_view name);
// A plain file name of at most kMaxFontIdBytes.
bool IsFontId(std::string_view name);

// True when the line names a sound file: it contains ".lsu" in any case.
bool NamesSoundFile(std::string_view line);

// What is wrong with the two header lines of a text answer ("status:OK",
// "clientv:1"), as the warning to show; nothing when the answer may be used.
std::optional<std::string> AnswerHeaderProblem(const std::vector<std::string>& lines);

inline constexpr const char* kNoAnswer = "Update failed! Connection error. Please try again later.";
inline constexpr const char* kNotAccepted =
    "Update failed! The update service did not accept the request. Please try again later.";
inline constexpr const char* kHeaderOnly = "Error : 0001 Update failed! Please try again later.";
inline constexpr const char* kNoClientVersion =
    "Error : 0002 Update failed! Please try again later.";
inline constexpr const char* kNewVersionNeeded =
    "Update stopped. Please install a new version of this app.";

class UpdateUtils {
 public:
  // Creates the fonts folder under appFolder when it is missing.
  explicit UpdateUtils(std::string appFolder);

  // Named by the system's interface: the constructor sets everything up.
  void Initialize() {}

  const std::string& FontsFolder() const { return fontsFolder_; }
  // fonts folder + "/" + font id; nothing when the id is not a font id.
  std::optional<std::string> FontFolder(std::string_view fontId) const;

  // A sound file name of the font: a plain file name that is none of the
  // store's own files ("descriptor", "fnt", "tmp", the ".lscfg" file).
  bool IsItemName(std::string_view fontId, std::string_view name) const;

  bool FontExists(std::string_view fontId) const;
  bool FontExistsAndCompleted(std::string_view fontId) const;
  bool FontItemExists(std::string_view fontId, std::string_view itemName) const;

  // The font folder exists afterwards (the fonts folder is made again when
  // it went missing).
  bool CreateFont(std::string_view fontId) const;
  // Writes the marker "fnt" unless the font is complete already.
  bool CompleteFont(std::string_view fontId) const;
  // Writes "descriptor" (lines 2 on, as sent) and font id + ".lscfg" (the
  // same lines, those naming a sound file prefixed with the font folder),
  // each replaced as a whole. Empty lines at the end are left out.
  bool WriteDescriptor(std::string_view fontId, const std::vector<std::string>& lines) const;
  // Deletes the item if it is there; true when it is gone.
  bool DeleteFontItem(std::string_view fontId, std::string_view itemName) const;

 private:
  std::optional<std::string> ItemPath(std::string_view fontId, std::string_view itemName) const;

  std::string fontsFolder_;
};

}  // namespace update
