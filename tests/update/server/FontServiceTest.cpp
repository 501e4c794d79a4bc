// font-server's answers, from a root laid out with every kind of font
// folder an operator (or someone who can drop links into the root) may
// leave there, and requests that try to leave the root.

#include "update/server/FontService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempFiles.h"

namespace {

namespace fs = std::filesystem;
using fontserver::FontService;
using Names = std::vector<std::string>;

struct Service : ::testing::Test {
  std::string base = testing_support::UniqueTempPath("font_service");
  std::string root = base + "/root";
  std::string outside = base + "/outside";

  void SetUp() override {
    // Outside the root: a font and a secret that links may point at.
    Font(outside, "Secret", {"secret.lsu"});
    // Offered: paths in the configuration are cut to file names, and a link
    // to a file elsewhere inside the root is fine.
    Font(root, "Good", {"g1.lsu", "g2.LSU"});
    Font(root, "InnerLink", {});
    Configure(root + "/InnerLink/InnerLink.lscfg", {"shared.lsu"});
    fs::create_symlink("../Good/g1.lsu", root + "/InnerLink/shared.lsu");
    // Not offered.
    for (const char* id : {"Amp&Font", "Plus+Font", "Pct%41"}) Font(root, id, {"a.lsu"});
    Font(root, std::string(201, 'L'), {"a.lsu"});
    Font(root, "ItemAmp", {"a&b.lsu"});
    Font(root, "Missing", {});
    Configure(root + "/Missing/Missing.lscfg", {"gone.lsu"});
    fs::create_directories(root + "/NoConfig");
    Write(root + "/NoConfig/a.lsu", "x");
    fs::create_directory_symlink(fs::absolute(outside + "/Secret"), root + "/Linked");
    Font(root, "LeakyItem", {});
    Configure(root + "/LeakyItem/LeakyItem.lscfg", {"leak.lsu"});
    fs::create_symlink(fs::absolute(outside + "/Secret/secret.lsu"), root + "/LeakyItem/leak.lsu");
    fs::create_directories(root + "/Endless");
    fs::create_symlink("/dev/zero", root + "/Endless/Endless.lscfg");
    Font(root, "Huge", {"h.lsu"});
    fs::resize_file(root + "/Huge/h.lsu", (64u << 20) + 1);
  }
  void TearDown() override { fs::remove_all(base); }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static void Configure(const std::string& file, const Names& items) {
    std::string text = "BOOT\r\n";
    for (const std::string& item : items) text += "C:\\Maker\\" + item + "\r\n 100 \r\n";
    Write(file, text);
  }
  static void Font(const std::string& at, const std::string& id, const Names& items) {
    fs::create_directories(at + "/" + id);
    Configure(at + "/" + id + "/" + id + ".lscfg", items);
    for (const std::string& item : items) Write(at + "/" + id + "/" + item, "sound " + item);
  }
  std::string Real(const std::string& path) { return fs::canonical(path).string(); }
};

TEST_F(Service, OffersOnlyFontsAClientCanFetchWhole) {
  const FontService service(root);
  EXPECT_EQ(service.Catalogue(), (Names{"Good", "InnerLink"}));
  Names skipped;
  for (const auto& s : service.Skipped()) {
    skipped.push_back(s.folder);
    EXPECT_FALSE(s.reason.empty()) << s.folder;
  }
  EXPECT_EQ(skipped, (Names{"Amp&Font", "Endless", "Huge", "ItemAmp", std::string(201, 'L'),
                            "LeakyItem", "Linked", "Missing", "NoConfig", "Pct%41", "Plus+Font"}));
  EXPECT_EQ(service.Answer("/", "svc=gct&did=1").text,
            "status:OK\r\nclientv:1\r\nGood\r\nInnerLink");
  EXPECT_EQ(service.Answer("/", "svc=fqr&did=1&fid=Good").text,
            "status:OK\r\nclientv:1\r\nBOOT\r\ng1.lsu\r\n 100 \r\ng2.LSU\r\n 100 ");
  EXPECT_EQ(service.Answer("/", "svc=fqr&did=1&fid=ItemAmp").text.rfind("status:ERR", 0), 0u);
  EXPECT_EQ(service.Answer("/tst/gct/", "svc=dld&did=1&fid=Good&ffd=g2.LSU").filePath,
            Real(root + "/Good/g2.LSU"));
  EXPECT_EQ(service.Answer("/tst/gct/", "svc=dld&did=1&fid=InnerLink&ffd=shared.lsu").filePath,
            Real(root + "/Good/g1.lsu"));
}

TEST_F(Service, NothingOutsideTheRootIsServed) {
  const FontService service(root);
  const std::string secret = fs::absolute(outside + "/Secret").string();
  const std::vector<std::pair<std::string, std::string>> attempts = {
      {"..", "outside/Secret/secret.lsu"},
      {"../outside/Secret", "secret.lsu"},
      {secret, "secret.lsu"},
      {"Good", "../../outside/Secret/secret.lsu"},
      {"Good", secret + "/secret.lsu"},
      {"Good", "..%2f..%2foutside%2fSecret%2fsecret.lsu"},
      {"%2e%2e", "outside%2fSecret%2fsecret.lsu"},
      {"Good", "..\\..\\outside\\Secret\\secret.lsu"},
      {".", "Good/g1.lsu"},
      {"Good", std::string("g1.lsu\0/../../x", 15)},
      {"Linked", "secret.lsu"},
      {"LeakyItem", "leak.lsu"},
      {"Endless", "Endless.lscfg"},
      {"Good", "Good.lscfg"},
  };
  for (const auto& [font, item] : attempts) {
    const auto answer = service.Answer("/tst/gct/", "svc=dld&did=1&fid=" + font + "&ffd=" + item);
    EXPECT_EQ(answer.httpStatus, 404) << font << " " << item;
    EXPECT_EQ(answer.filePath, "") << font << " " << item;
  }
  for (const std::string& font : Names{"..", "../outside/Secret", secret, "Linked", "%2e%2e"})
    EXPECT_EQ(service.Answer("/", "svc=fqr&did=1&fid=" + font).text.rfind("status:ERR", 0), 0u)
        << font;
  EXPECT_EQ(service.Answer("/tst/gct/../", "svc=dld&did=1&fid=Good&ffd=g1.lsu").filePath, "");
}

}  // namespace
