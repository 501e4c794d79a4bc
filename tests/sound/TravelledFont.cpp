#include "tests/sound/TravelledFont.h"

#include "tests/sound/SoundTestFiles.h"
#include "tests/support/Files.h"

namespace sound_test {

TravelledFont WriteTravelledFont(const std::string& folder) {
  struct Entry {
    const char* header;   // before the entry, or nullptr
    const char* written;  // the file name as the configuration holds it, Windows-1252
    const char* onDisk;   // the name of the LSU file beside it (UTF-8)
    int volume;
  };
  const Entry entries[] = {
      {"BOOT", "boot.lsu", "boot.lsu", 100},
      {"PWRON", "\xC9p\xE9\x65 on.lsu", "\u00C9p\u00E9\x65 on.lsu", 90},
      {"PWROFF", "off.lsu", "off.lsu", 80},
      {"IDLE", "hum.lsu", "HUM.LSU", 70},
      {"MOTION-2", "swing1.lsu", "swing1.lsu", 60},
      {nullptr, "swing2.lsu", "swing2.lsu", 50},
      {"IMPACT-1", "clash1.lsu", "clash1.lsu", 40},
      {"LOCKUP-1", "lockup\x96\x31.lsu", "lockup\u2013\x31.lsu", 30},
  };
  TravelledFont font;
  font.configuration = folder + "/ember.lscfg";
  std::string text;
  unsigned seed = 40;
  for (const Entry& e : entries) {
    WriteLsu(folder + "/" + e.onDisk, Samples(100 + 10 * seed, 9000, seed));
    ++seed;
    font.names.push_back(e.onDisk);
    font.volumes.push_back(e.volume);
    font.headers.push_back(e.header ? e.header : "");
    if (e.header) text += std::string(e.header) + "\r\n";
    text += std::string("C:\\Fonts\\Ember\\") + e.written + "\r\n " + std::to_string(e.volume) +
            " \r\n";
  }
  testing_support::WriteBytes(font.configuration, text);
  return font;
}

std::string PlainConfiguration(const TravelledFont& font, const std::string& folder) {
  std::string text;
  for (size_t i = 0; i < font.names.size(); ++i) {
    if (!font.headers[i].empty()) text += font.headers[i] + "\r\n";
    text += folder + "/" + font.names[i] + "\r\n " + std::to_string(font.volumes[i]) + " \r\n";
  }
  return text;
}

}  // namespace sound_test
