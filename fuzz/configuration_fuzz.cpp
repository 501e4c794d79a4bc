// Feeds arbitrary text to the configuration file loader. Whatever it reads,
// the configuration must stay consistent (lists of at most 12 files without
// gaps, the sample total equal to the loaded files, volumes within 0..100),
// a file that is not valid must say so, paths it reports are UTF-8, and what
// was loaded must save and load back to the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "sound/ConfigurationFile.h"
#include "sound/LSU_Configuration.h"
#include "tests/support/Recorders.h"
#include "text/Encoding.h"

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "configuration invariant broken: %s\n", what);
  std::abort();
}

void CheckConsistent(const sound::LSU_Configuration& config) {
  int64_t total = 0;
  for (const auto& category : sound::kCategoriesInFlashOrder) {
    const int32_t count = config.Count(category.code);
    Require(count >= 0 && count <= (category.isList ? 12 : 1), "count within its limit");
    for (int k = category.isList ? 1 : 0; k <= (category.isList ? count : 0); ++k) {
      const auto& file = config.GetFile(category.code, k);
      Require(file.Volume >= 0 && file.Volume <= 100, "volume within 0..100");
      Require(!category.isList || file.NrOfSamples >= 49, "no gap in a list");
      total += file.NrOfSamples;
    }
  }
  Require(total == config.TotalNrOfSamples(), "sample total");
}

}  // namespace

// A few LSU files in the working folder, so that inputs naming "fz1.lsu" or
// "fz2.lsu" reach the paths that add files.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* name : {"fz1.lsu", "fz2.lsu"}) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f) continue;
    for (int i = 0; i < 2 + 2 * 60; ++i) std::fputc(i * 37 % 251, f);
    std::fclose(f);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  sound::LSU_Configuration config;
  sound::NoCategoryDisplays displays;
  seams::NoEventPump noEvents;
  testing_support::ScriptedDialogs dialogs;
  std::istringstream in(text);
  const auto outcome = sound::LoadConfiguration(in, config, displays, noEvents, dialogs);
  CheckConsistent(config);
  // Paths reach the user's messages as UTF-8, whatever bytes the file held.
  for (const std::string& path : outcome.notFound)
    Require(text::IsValidUtf8(path), "paths read as UTF-8 or Windows-1252");
  Require(dialogs.messages.size() == (outcome.result == sound::LoadResult::Loaded ? 0u : 1u),
          "one message when something went wrong");
  if (outcome.result == sound::LoadResult::NotValid) {
    Require(dialogs.messages[0].text == sound::kNotValidConfiguration, "not valid message");
    return 0;
  }

  const auto saved = sound::ConfigurationText(config);
  if (!saved) return 0;  // a loaded path with a line break cannot be saved
  sound::LSU_Configuration again;
  std::istringstream back(*saved);
  Require(sound::LoadConfiguration(back, again, displays, noEvents, dialogs).result ==
              sound::LoadResult::Loaded,
          "a saved configuration loads");
  Require(sound::ConfigurationText(again) == saved, "save and load round trip");
  return 0;
}
