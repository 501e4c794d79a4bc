// The HTTP layer against servers on 127.0.0.1: the real font-server, and a
// scripted one for answers a good server never gives.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "seams/QtEventPump.h"
#include "tests/support/Files.h"
#include "tests/support/TempFiles.h"
#include "tests/update/ScriptedHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/HttpRequest.h"

namespace {

using testing_support::Exists;
using testing_support::HttpAnswer;
using testing_support::ReadBytes;
using testing_support::ScriptedHttpServer;
using testing_support::ScriptedReply;
using update::HttpRequest;

struct Http : ::testing::Test {
  std::string folder = testing_support::UniqueTempPath("http_request");
  seams::QtEventPump events;
  std::vector<int16_t> progress;

  void SetUp() override { std::filesystem::create_directories(folder); }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::unique_ptr<HttpRequest> Client(const std::string& host) {
    auto client = std::make_unique<HttpRequest>(host, events);
    client->SetTimeouts({std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)});
    client->OnProgress = [this](int16_t p) { progress.push_back(p); };
    return client;
  }
  bool NothingButFolder() { return std::filesystem::is_empty(folder); }
};

TEST_F(Http, SendsTheServiceHeadersAndBodyUnchanged) {
  ScriptedHttpServer server({HttpAnswer("status:OK\r\nclientv:1\r\nF1")});
  auto client = Client(server.Host());
  EXPECT_EQ(client->RequestHeaders(),
            "Host:" + server.Host() +
                "\r\nUser-Agent:QornUpdateModule\r\nConnection:keep-alive\r\n"
                "Content-Type:application/x-www-form-urlencoded");
  EXPECT_EQ(client->requestText("svc=gct&did=0A1B2C3D"), "status:OK\r\nclientv:1\r\nF1");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& r = requests[0];
  EXPECT_EQ(r.rfind("POST / HTTP/1.1\r\n", 0), 0u) << r;
  for (const std::string& header :
       {"Host: " + server.Host(), std::string("User-Agent: QornUpdateModule"),
        std::string("Connection: keep-alive"),
        std::string("Content-Type: application/x-www-form-urlencoded"),
        std::string("Accept-Encoding: identity")})
    EXPECT_NE(r.find("\r\n" + header + "\r\n"), std::string::npos) << header << " in " << r;
  EXPECT_TRUE(r.ends_with("\r\n\r\nsvc=gct&did=0A1B2C3D")) << r;
}

TEST_F(Http, EmptyTextAnswerIsNoFailure) {
  ScriptedHttpServer server({HttpAnswer("")});
  auto client = Client(server.Host());
  EXPECT_EQ(client->requestText("svc=gct&did=1"), "");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
}

TEST_F(Http, DownloadStreamsIntoTheFolderAndReportsProgress) {
  const std::string root = folder + "/root";
  testing_support::MakeServedFont(root, "F1", {"Big.lsu"}, 100000);
  const std::string target = folder + "/got";
  std::filesystem::create_directories(target);
  testing_support::FontServer server(root);
  auto client = Client(server.Host());
  EXPECT_EQ(client->requestData("svc=dld&did=1&fid=F1&ffd=Big.lsu", target, "Big.lsu"), "");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
  EXPECT_EQ(ReadBytes(target + "/Big.lsu"), std::string(100000, 'a'));
  EXPECT_FALSE(Exists(target + "/tmp"));
  ASSERT_GE(progress.size(), 100000u / update::kChunkSize);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(server.Downloads(),
            std::vector<std::string>{"svc=dld&did=1&fid=F1&ffd=Big.lsu -> 200"});
}

// The download goes into a file of its own: a link planted at the name
// "tmp" (where it once went) and a file of that name stay as they were.
TEST_F(Http, DownloadNeverWritesThroughAPlantedName) {
  const std::string root = folder + "/root";
  testing_support::MakeServedFont(root, "F1", {"A.lsu"}, 5000);
  const std::string target = folder + "/got", victim = folder + "/victim";
  std::filesystem::create_directories(target);
  std::ofstream(victim) << "victim";
  std::filesystem::create_symlink(victim, target + "/tmp");
  testing_support::FontServer server(root);
  auto client = Client(server.Host());
  client->requestData("svc=dld&did=1&fid=F1&ffd=A.lsu", target, "A.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
  EXPECT_EQ(ReadBytes(target + "/A.lsu"), std::string(5000, 'a'));
  EXPECT_FALSE(std::filesystem::is_symlink(target + "/A.lsu"));
  EXPECT_EQ(ReadBytes(victim), "victim");
  EXPECT_TRUE(std::filesystem::is_symlink(target + "/tmp"));
}

TEST_F(Http, DownloadReadsOnlyABoundedWayAheadOfTheFile) {
  // While the program is busy (a slow disk, a window event), the server
  // gets rid of no more than the sockets' and the reply's small buffers
  // hold: the rest of the item waits on its side, not in our memory.
  constexpr size_t kItem = 64u << 20;
  ScriptedHttpServer server({HttpAnswer(std::string(kItem, 'z'))});
  auto client = Client(server.Host());
  std::optional<size_t> sentWhileBusy;
  client->OnProgress = [&](int16_t) {
    if (sentWhileBusy) return;
    for (size_t last = SIZE_MAX; server.BytesSent() != last;) {
      last = server.BytesSent();
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    sentWhileBusy = server.BytesSent();
  };
  client->requestData("svc=dld", folder, "big.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
  EXPECT_EQ(std::filesystem::file_size(folder + "/big.lsu"), kItem);
  ASSERT_TRUE(sentWhileBusy);
  EXPECT_LT(*sentWhileBusy, kItem / 4);
}

TEST_F(Http, ConnectionDroppedHalfWayLeavesNoFile) {
  const std::string half(60000, 'x');
  ScriptedHttpServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 120000\r\n\r\n" + half, false}});
  auto client = Client(server.Host());
  client->requestData("svc=dld&did=1&fid=F&ffd=a.lsu", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kConnectionClosed);
  EXPECT_TRUE(NothingButFolder());
  EXPECT_EQ(server.Requests().at(0).rfind("POST /tst/gct/ HTTP/1.1\r\n", 0), 0u);
}

TEST_F(Http, DownloadWithoutLengthOrWithBadLengthGivesNoFile) {
  ScriptedHttpServer noLength({{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nsome bytes", false}});
  auto client = Client(noLength.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kConnectionClosed);
  EXPECT_TRUE(NothingButFolder());

  ScriptedHttpServer zero({HttpAnswer("")});
  client = Client(zero.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kConnectionClosed);

  ScriptedHttpServer bad(
      {{"HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\nConnection: close\r\n\r\nx", false}});
  client = Client(bad.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_NE(client->requestState(), update::kRequestOk);
  EXPECT_TRUE(NothingButFolder());
}

// A chunked answer's framing wins over its Content-Length in Qt: a body
// that runs on past the announced length is refused at once, not written
// to the disk without end.
TEST_F(Http, ChunkedBodyLongerThanItsLengthIsRefused) {
  std::string chunk = "10000\r\n" + std::string(0x10000, 'c') + "\r\n";
  ScriptedReply endless(
      "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nTransfer-Encoding: chunked\r\n\r\n");
  endless.Then(chunk, 1024 * chunk.size());
  ScriptedHttpServer server({endless});
  auto client = Client(server.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestFailure);
  EXPECT_TRUE(client->AnswerUnusable());
  EXPECT_TRUE(NothingButFolder());
  for (const int16_t p : progress) EXPECT_LE(p, 100);
  server.Stop();
  // What the loopback's socket buffers took in before the client left
  // counts as sent too: several megabytes, far below the 67 MB offered.
  EXPECT_LT(server.BytesSent(), 16u << 20);
}

TEST_F(Http, DownloadFarLongerThanAnyBoardHoldsIsRefusedUnread) {
  ScriptedHttpServer server(
      {ScriptedReply("HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\n")
           .Then(std::string(1 << 16, 'b'), 256u << 20)});
  auto client = Client(server.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestFailure);
  EXPECT_TRUE(client->AnswerUnusable());
  EXPECT_TRUE(NothingButFolder());
  server.Stop();
  EXPECT_LT(server.BytesSent(), 16u << 20);
}

TEST_F(Http, HttpErrorStatusIsATransportError) {
  ScriptedHttpServer server({HttpAnswer("not here", 404)});
  auto client = Client(server.Host());
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kTransportError);
  EXPECT_TRUE(NothingButFolder());
  EXPECT_EQ(client->requestText("svc=gct"), "");
  EXPECT_EQ(client->requestState(), update::kTransportError);
}

TEST_F(Http, StalledOrAbsentServerIsATransportError) {
  ScriptedHttpServer silent({{"", true}});
  auto client = Client(silent.Host());
  client->SetTimeouts({std::chrono::milliseconds(300), std::chrono::milliseconds(300)});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client->requestText("svc=gct"), "");
  EXPECT_EQ(client->requestState(), update::kTransportError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

  // Stops half-way and says nothing more: the idle time-out ends it.
  ScriptedHttpServer stalls(
      {{"HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\n" + std::string(20000, 'y'), true}});
  client = Client(stalls.Host());
  client->SetTimeouts({std::chrono::milliseconds(2000), std::chrono::milliseconds(300)});
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kTransportError);
  EXPECT_TRUE(NothingButFolder());

  int port = 0;
  { port = ScriptedHttpServer({HttpAnswer("")}).Port(); }  // closed again: nobody listens
  client = Client("127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(client->requestText("svc=gct"), "");
  EXPECT_EQ(client->requestState(), update::kTransportError);
}

TEST_F(Http, TricklingServerIsATransportError) {
  // One byte every 20 ms never lets the idle time-out fire; in 1 s of
  // waiting it brings 50 bytes, less than the 1 KB asked for. Without the
  // rate check the server gives up by itself after 12 s and the answer
  // looks merely cut off.
  const auto trickle = [](const std::string& head) {
    return ScriptedReply(head).Then("y", 600, std::chrono::milliseconds(20));
  };
  const update::HttpTimeouts slowest{std::chrono::milliseconds(5000),
                                     std::chrono::milliseconds(5000),
                                     std::chrono::milliseconds(1000), 1024};
  ScriptedHttpServer data({trickle("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")});
  auto client = Client(data.Host());
  client->SetTimeouts(slowest);
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kTransportError);
  EXPECT_TRUE(NothingButFolder());

  ScriptedHttpServer text({trickle("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")});
  client = Client(text.Host());
  client->SetTimeouts(slowest);
  client->requestText("svc=gct");
  EXPECT_EQ(client->requestState(), update::kTransportError);

  // A server that sends in bursts with pauses, but fast enough on the
  // whole, is no trickle.
  ScriptedHttpServer bursts(
      {ScriptedReply("HTTP/1.1 200 OK\r\nContent-Length: 12000\r\n\r\n")
           .Then(std::string(2000, 'b'), 12000, std::chrono::milliseconds(400))});
  client = Client(bursts.Host());
  client->SetTimeouts(slowest);
  client->requestData("svc=dld", folder, "b.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestOk);
  EXPECT_EQ(ReadBytes(folder + "/b.lsu"), std::string(12000, 'b'));
}

TEST_F(Http, TextAnswersAreCappedAtOneMegabyte) {
  constexpr size_t kCap = 1u << 20;
  ScriptedHttpServer justFits({HttpAnswer(std::string(kCap, 'a'))});
  auto client = Client(justFits.Host());
  EXPECT_EQ(client->requestText("svc=gct").size(), kCap);
  EXPECT_EQ(client->requestState(), update::kRequestOk);

  // Announced too long: refused before the body is read.
  ScriptedHttpServer announced(
      {ScriptedReply("HTTP/1.1 200 OK\r\nContent-Length: 300000000\r\n\r\n")
           .Then(std::string(1 << 16, 'b'), 300000000)});
  client = Client(announced.Host());
  client->requestText("svc=gct");
  EXPECT_EQ(client->requestState(), update::kTransportError);

  // An endless chunked answer: the client stops taking it in soon after
  // the cap, long before the server runs out.
  std::string chunk = std::string(1 << 16, 'c');
  chunk = "10000\r\n" + chunk + "\r\n";
  ScriptedHttpServer endless({ScriptedReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
                                  .Then(chunk, 128u << 20)});
  client = Client(endless.Host());
  client->requestText("svc=gct");
  EXPECT_EQ(client->requestState(), update::kTransportError);
  EXPECT_LT(endless.BytesSent(), 32u << 20);
}

TEST_F(Http, FileThatCannotBeWrittenIsAFailureInsideTheRoutine) {
  ScriptedHttpServer server({HttpAnswer("0123456789")});
  auto client = Client(server.Host());
  client->requestData("svc=dld", folder + "/missing-folder", "a.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestFailure);
  // The target name is taken by a folder: the rename fails, tmp goes.
  std::filesystem::create_directories(folder + "/a.lsu/inside");
  client->requestData("svc=dld", folder, "a.lsu");
  EXPECT_EQ(client->requestState(), update::kRequestFailure);
  EXPECT_FALSE(client->AnswerUnusable());
  EXPECT_FALSE(Exists(folder + "/tmp"));
}

}  // namespace
