// The whole update procedure end to end: the real font-server on 127.0.0.1
// for the good cases, a scripted server for the faults.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"
#include "tests/update/ScriptedHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateManager.h"

namespace {

using testing_support::Exists;
using testing_support::HttpAnswer;
using testing_support::MakeLocalFont;
using testing_support::MakeServedFont;
using testing_support::ReadBytes;
using testing_support::RecordingView;
using testing_support::ScriptedHttpServer;
using testing_support::ScriptedReply;
using update::UpdateOutcome;

constexpr const char* kSerial = "0A1B2C3D";
const std::string kHeader = "status:OK\r\nclientv:1\r\n";

struct Procedure : ::testing::Test {
  std::string app = testing_support::UniqueTempPath("update_app");
  std::string root = testing_support::UniqueTempPath("update_root");
  RecordingView view;

  void SetUp() override {
    std::filesystem::create_directories(app);
    std::filesystem::create_directories(root);
  }
  void TearDown() override {
    std::filesystem::remove_all(app);
    std::filesystem::remove_all(root);
  }
  UpdateOutcome Run(const std::string& host) {
    update::UpdateManager manager(host, app, view);
    manager.requestManager.SetTimeouts({std::chrono::seconds(5), std::chrono::seconds(5)});
    manager.Initialize(view);
    manager.deviceId = kSerial;
    manager.startUpdate();
    installed.clear();
    for (const auto& font : manager.InstalledFonts())
      installed.push_back(font.id + " " + font.folder + " " + font.configuration);
    return manager.LastOutcome();
  }
  // The fonts the run installed: id, folder, configuration file.
  std::vector<std::string> installed;
  std::string Installed(const std::string& id) {
    return id + " " + app + "/fonts/" + id + " " + Font(id) + id + ".lscfg";
  }
  std::string Font(const std::string& id) { return app + "/fonts/" + id + "/"; }
  bool Complete(const std::string& id) { return Exists(Font(id) + "fnt"); }
};

TEST_F(Procedure, UpdatesOnlyTheFontNotCompleteOnDisk) {
  MakeServedFont(root, "Alpha", {"A_boot.lsu", "A_swing.lsu"});
  MakeServedFont(root, "Beta", {"B_boot.lsu", "B_swing1.LSU", "B_swing2.lsu"});
  MakeLocalFont(app, "Alpha", {"A_boot.lsu", "A_swing.lsu"}, true);
  testing_support::FontServer server(root);

  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Updated);
  EXPECT_EQ(view.resets, 1);
  EXPECT_EQ(view.shown, 1);
  EXPECT_EQ(view.warnings, std::vector<std::string>{});
  EXPECT_EQ(view.messages,
            std::vector<std::string>{update::FinalMessage(update::kUpdated, app + "/fonts")});
  EXPECT_EQ(server.Log(),
            (std::vector<std::string>{
                "POST / svc=gct&did=0A1B2C3D -> 200", "POST / svc=fqr&did=0A1B2C3D&fid=Beta -> 200",
                "POST /tst/gct/ svc=dld&did=0A1B2C3D&fid=Beta&ffd=B_boot.lsu -> 200",
                "POST /tst/gct/ svc=dld&did=0A1B2C3D&fid=Beta&ffd=B_swing1.LSU -> 200",
                "POST /tst/gct/ svc=dld&did=0A1B2C3D&fid=Beta&ffd=B_swing2.lsu -> 200"}));
  EXPECT_EQ(ReadBytes(Font("Beta") + "B_swing2.lsu"), std::string(3000, 'c'));
  EXPECT_TRUE(Complete("Beta"));
  EXPECT_FALSE(Exists(Font("Beta") + "tmp"));
  EXPECT_EQ(ReadBytes(Font("Beta") + "Beta.lscfg"),
            "BOOT\r\n" + Font("Beta") + "B_boot.lsu\r\n 100 \r\nMOTION-2\r\n" + Font("Beta") +
                "B_swing1.LSU\r\n 80 \r\n" + Font("Beta") + "B_swing2.lsu\r\n 80 \r\n");
  EXPECT_EQ(ReadBytes(Font("Alpha") + "A_boot.lsu"), "local");
  EXPECT_EQ(view.steps, (std::vector<std::string>{update::kStepChecking, update::kStepValidating,
                                                  "(3/3) Updating item: Beta"}));
  EXPECT_EQ(view.elements,
            (std::vector<std::string>{
                "Retrieving item catalogue", "Checking item: ", "Checking item: Alpha",
                "Checking item: Beta", "Downloading: ", "Downloading: B_boot.lsu",
                "Downloading: B_swing1.LSU", "Downloading: B_swing2.lsu"}));
  EXPECT_EQ(view.barA, (std::vector<int>{0, 10, 30, 100}));
  EXPECT_GT(view.events, 5);
}

TEST_F(Procedure, OverallBarReads65Then100ForTwoFonts) {
  MakeServedFont(root, "Alpha", {"A.lsu"});
  MakeServedFont(root, "Beta", {"B.lsu"});
  testing_support::FontServer server(root);
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Updated);
  EXPECT_EQ(view.barA, (std::vector<int>{0, 10, 30, 65, 100}));
  EXPECT_TRUE(Complete("Alpha"));
  EXPECT_TRUE(Complete("Beta"));
  EXPECT_EQ(installed, (std::vector<std::string>{Installed("Alpha"), Installed("Beta")}));
  ASSERT_EQ(view.installedShown.size(), 2u) << "the dialog lists them";
  EXPECT_EQ(view.installedShown[0].id, "Alpha");
  EXPECT_TRUE(Exists(view.installedShown[1].configuration));
  // Catalogue check 0 then 100; each item 0, download progress, 100.
  EXPECT_EQ(std::vector<int>(view.barB.begin(), view.barB.begin() + 5),
            (std::vector<int>{0, 0, 100, 0, 0}));
  EXPECT_EQ(view.barB.back(), 100);
}

TEST_F(Procedure, AllCompleteMeansNothingToDo) {
  MakeServedFont(root, "Alpha", {"A.lsu"});
  MakeLocalFont(app, "Alpha", {}, true);
  testing_support::FontServer server(root);
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::NothingToUpdate);
  EXPECT_EQ(view.messages,
            std::vector<std::string>{update::FinalMessage(update::kNoUpdates, app + "/fonts")});
  EXPECT_EQ(server.Log().size(), 1u);
  EXPECT_TRUE(installed.empty()) << "a font complete before is not new";
  EXPECT_TRUE(view.installedShown.empty());
  // An empty catalogue too.
  std::filesystem::remove_all(root + "/Alpha");
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::NothingToUpdate);
}

TEST_F(Procedure, ResumesAnInterruptedFontWithOneDownload) {
  MakeServedFont(root, "Gamma", {"G1.lsu", "G2.lsu"});
  MakeLocalFont(app, "Gamma", {"G1.lsu", "tmp"}, false);  // a stale tmp from before
  testing_support::FontServer server(root);
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Updated);
  EXPECT_EQ(server.Downloads(),
            std::vector<std::string>{"svc=dld&did=0A1B2C3D&fid=Gamma&ffd=G2.lsu -> 200"});
  EXPECT_EQ(ReadBytes(Font("Gamma") + "G1.lsu"), "local");
  EXPECT_FALSE(Exists(Font("Gamma") + "tmp"));
  EXPECT_TRUE(Complete("Gamma"));
}

TEST_F(Procedure, NewClientVersionStopsBeforeAnyFont) {
  ScriptedHttpServer server({HttpAnswer("status:OK\r\nclientv:2\r\nAlpha")});
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings,
            std::vector<std::string>{"Update stopped. Please install a new version of this app."});
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_FALSE(Exists(Font("Alpha")));
  EXPECT_EQ(view.steps, std::vector<std::string>{update::kStepChecking});
}

TEST_F(Procedure, EmptyLinesNameNoFontAndOneFontIsACatalogue) {
  ScriptedHttpServer server({HttpAnswer(kHeader + "Solo\r\n\r\n"),
                             HttpAnswer(kHeader + "BOOT\r\nS.lsu\r\n 100 \r\n\r\n"),
                             HttpAnswer("sound")});
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Updated);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[1].ends_with("svc=fqr&did=0A1B2C3D&fid=Solo"));
  EXPECT_TRUE(requests[2].ends_with("svc=dld&did=0A1B2C3D&fid=Solo&ffd=S.lsu"));
  EXPECT_EQ(ReadBytes(Font("Solo") + "S.lsu"), "sound");
  EXPECT_EQ(ReadBytes(Font("Solo") + "descriptor"), "BOOT\r\nS.lsu\r\n 100 \r\n");
  EXPECT_TRUE(Complete("Solo"));
  EXPECT_FALSE(Exists(app + "/fonts/fnt"));
}

TEST_F(Procedure, HugeCatalogueIsCutAtTenThousandFonts) {
  // 10000 fonts complete on disk, then 30000 more and repeats of the
  // first: only the first 10000 distinct ids are looked at, none of the
  // rest is asked for or gets a folder, and the update says so.
  constexpr int kCap = 10000;
  const auto id = [](int i) { return "F" + std::to_string(100000 + i); };
  std::string catalogue = kHeader;
  for (int i = 0; i < kCap; ++i) {
    catalogue += id(i) + "\r\n";
    std::filesystem::create_directories(Font(id(i)));
    std::ofstream(Font(id(i)) + "fnt");
  }
  for (int i = 0; i < 100; ++i) catalogue += id(i) + "\r\n";
  for (int i = kCap; i < 4 * kCap; ++i) catalogue += id(i) + "\r\n";
  ScriptedHttpServer server({HttpAnswer(catalogue), HttpAnswer("nothing here", 500)});

  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::kFontsCapped});
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(std::count_if(view.elements.begin(), view.elements.end(),
                          [](const std::string& e) { return e.starts_with("Checking item: F"); }),
            kCap);
  EXPECT_FALSE(Exists(Font(id(kCap))));
  EXPECT_FALSE(Exists(Font(id(4 * kCap - 1))));
}

TEST_F(Procedure, HostileNamesAreRefusedBeforeAnythingIsWritten) {
  ScriptedHttpServer badFont({HttpAnswer(kHeader + "Good\r\n../x")});
  EXPECT_EQ(Run(badFont.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::RefusedNameWarning("../x")});
  EXPECT_EQ(badFont.Requests().size(), 1u);

  ScriptedHttpServer badItem({HttpAnswer(kHeader + "Good"),
                              HttpAnswer(kHeader + "BOOT\r\nok.lsu\r\n 1 \r\n../../evil.lsu")});
  EXPECT_EQ(Run(badItem.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::RefusedNameWarning("../../evil.lsu")});
  EXPECT_EQ(badItem.Requests().size(), 2u);
  EXPECT_FALSE(Exists(Font("Good")));
  EXPECT_FALSE(Exists(app + "/evil.lsu"));
  EXPECT_FALSE(Exists(app + "/fonts/x"));
}

// Each names the service and what went wrong, below the warning itself.
TEST_F(Procedure, EveryConnectionFailureHasItsWarning) {
  using update::ConnectionWarning;
  // No server at all.
  int port = 0;
  { port = ScriptedHttpServer({HttpAnswer("")}).Port(); }
  const std::string nobody = "127.0.0.1:" + std::to_string(port);
  EXPECT_EQ(Run(nobody), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{ConnectionWarning(
                               update::kCatalogueFailed, nobody, "Connection refused")});

  ScriptedHttpServer query({HttpAnswer(kHeader + "F"), HttpAnswer("oops", 500)});
  Run(query.Host());
  EXPECT_EQ(view.warnings,
            std::vector<std::string>{ConnectionWarning(update::kFontQueryFailed, query.Host(),
                                                       "the server answered HTTP 500 X")});

  ScriptedHttpServer headerOnly({HttpAnswer("status:OK")});
  Run(headerOnly.Host());
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::kHeaderOnly});

  ScriptedHttpServer empty({HttpAnswer("")});
  Run(empty.Host());
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::kNoAnswer});

  // The second sound file is cut off: the first stays, the font stays
  // incomplete.
  ScriptedHttpServer cut(
      {HttpAnswer(kHeader + "F"),
       HttpAnswer(kHeader + "BOOT\r\none.lsu\r\n 1 \r\nMOTION-1\r\ntwo.lsu"),
       HttpAnswer("first"),
       {"HTTP/1.1 200 OK\r\nContent-Length: 9000\r\n\r\n" + std::string(10, 'z'), false}});
  EXPECT_EQ(Run(cut.Host()), UpdateOutcome::Warning);
  ASSERT_EQ(view.warnings.size(), 1u);
  // How the close is told depends on when it was seen: with the bytes that
  // had come, or as the connection closed before the answer.
  const std::string& warning = view.warnings[0];
  std::string cutOff = ConnectionWarning(update::kDownloadFailed, cut.Host(), "#");
  cutOff.pop_back();  // the warning up to its reason
  EXPECT_TRUE((warning.starts_with(cutOff + "the connection ended after ") &&
               warning.ends_with(" of 9000 bytes")) ||
              warning == cutOff + "Connection closed")
      << warning;
  EXPECT_EQ(ReadBytes(Font("F") + "one.lsu"), "first");
  EXPECT_FALSE(Exists(Font("F") + "two.lsu"));
  EXPECT_FALSE(Exists(Font("F") + "tmp"));
  EXPECT_FALSE(Complete("F"));
}

TEST_F(Procedure, FontServerSkipsFontsAClientCannotFetch) {
  // Names with "&" (or "+" and "%", which form readers decode) cannot
  // travel in a form body: font-server says so when it starts and does not
  // offer those fonts, so the update fetches the good font instead of
  // failing on a file it cannot ask for.
  MakeServedFont(root, "Good", {"g.lsu"});
  MakeServedFont(root, "Plus+Font", {"p.lsu"});
  MakeServedFont(root, "Tricky", {"t1.lsu", "t&2.lsu"});
  testing_support::FontServer server(root);
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Updated);
  EXPECT_TRUE(Complete("Good"));
  EXPECT_FALSE(Exists(Font("Tricky")));
  const auto log = server.Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0].rfind("skipping font folder \"Plus+Font\": ", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("skipping font folder \"Tricky\": ", 0), 0u) << log[1];
  EXPECT_NE(log[1].find("t&2.lsu"), std::string::npos) << log[1];
  EXPECT_EQ(log[2], "POST / svc=gct&did=0A1B2C3D -> 200");
}

TEST_F(Procedure, FontServerLogShowsWhatClientsSendWithoutControls) {
  testing_support::FontServer server(root);
  const std::string body = "svc=gct&did=\x1b[2J\r\nPOST / forged -> 200";
  const std::string answer = testing_support::Exchange(
      server.Host(), "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
  const auto log = server.Log();
  EXPECT_EQ(log, std::vector<std::string>{
                     "POST / svc=gct&did=\\x1b[2J\\x0d\\x0aPOST / forged -> 200 -> 200"});
}

TEST_F(Procedure, ServerFaultsAreNotTakenForDiskFaults) {
  const auto download = [](const std::string& lengthHeaders) {
    return ScriptedReply("HTTP/1.1 200 OK\r\n" + lengthHeaders +
                         "Connection: close\r\n\r\n0123456789");
  };
  for (const char* lengths :
       {"Content-Length: 10\r\nContent-Length: 10\r\n",
        "Content-Length: 10\r\nContent-Length: 12\r\n", "Content-Length: 1O\r\n",
        "Content-Length: 99999999999999999999\r\n"}) {
    ScriptedHttpServer server(
        {HttpAnswer(kHeader + "F"), HttpAnswer(kHeader + "BOOT\r\na.lsu"), download(lengths)});
    EXPECT_EQ(Run(server.Host()), UpdateOutcome::Warning);
    EXPECT_EQ(view.warnings, std::vector<std::string>{update::kBadDownload}) << lengths;
    EXPECT_FALSE(Exists(Font("F") + "a.lsu"));
    EXPECT_FALSE(Exists(Font("F") + "tmp"));
  }

  // Names longer than a file name may be are refused as names, before
  // anything is written: a font id leaves room for its configuration
  // file's name and the temporary name beside it.
  const std::string longId(240, 'i'), longItem(252, 'n');
  ScriptedHttpServer longFont({HttpAnswer(kHeader + longId)});
  EXPECT_EQ(Run(longFont.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::RefusedNameWarning(longId)});
  EXPECT_EQ(longFont.Requests().size(), 1u);

  ScriptedHttpServer longSound(
      {HttpAnswer(kHeader + "G"), HttpAnswer(kHeader + "BOOT\r\n" + longItem + ".lsu")});
  EXPECT_EQ(Run(longSound.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::RefusedNameWarning(longItem + ".lsu")});
  EXPECT_FALSE(Exists(Font("G")));
}

TEST_F(Procedure, FontsFolderThatCannotBeWrittenEndsWithAWarning) {
  MakeServedFont(root, "Alpha", {"A.lsu"});
  testing_support::FontServer server(root);
  std::filesystem::remove_all(app);
  { std::ofstream(app) << "a file where the application folder should be"; }
  EXPECT_EQ(Run(server.Host()), UpdateOutcome::Warning);
  EXPECT_EQ(view.warnings, std::vector<std::string>{update::FontStoreWarning(app + "/fonts")});
  EXPECT_TRUE(server.Downloads().empty());
  std::filesystem::remove(app);
}

}  // namespace
