// font-server serves a font made on Windows as it was unpacked: the
// configuration's Windows-1252 paths and names in other capitals stand for
// the files beside it, which are offered under their own names.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/sound/SoundTestFiles.h"
#include "tests/sound/TravelledFont.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"
#include "update/server/FontService.h"

namespace {

namespace fs = std::filesystem;

TEST(FontServiceTravel, ServesAWindowsFontUnderTheNamesOfItsFiles) {
  testing_support::TempFolder root;
  fs::create_directories(root.dir() / "Ember");
  const auto font = sound_test::WriteTravelledFont(root.Path("Ember"));
  // An editor on Windows put a byte-order mark in front.
  testing_support::WriteBytes(font.configuration,
                              "\xEF\xBB\xBF" + testing_support::ReadBytes(font.configuration));

  const fontserver::FontService service(root.dir().string());
  EXPECT_EQ(service.Catalogue(), std::vector<std::string>{"Ember"});
  std::string expected = "status:OK\r\nclientv:1";
  for (size_t i = 0; i < font.names.size(); ++i) {
    if (!font.headers[i].empty()) expected += "\r\n" + font.headers[i];
    expected += "\r\n" + font.names[i] + "\r\n " + std::to_string(font.volumes[i]) + " ";
  }
  EXPECT_EQ(service.Answer("/", "svc=fqr&did=1&fid=Ember").text, expected);
  for (const char* item : {"HUM.LSU", "\u00C9p\u00E9\x65 on.lsu"})
    EXPECT_EQ(
        service.Answer("/tst/gct/", std::string("svc=dld&did=1&fid=Ember&ffd=") + item).filePath,
        fs::canonical(root.dir() / "Ember" / item).string())
        << item;
}

}  // namespace
