// font-server against hostile clients: bodies far too long, and many
// connections that send their requests a byte at a time.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/TempFiles.h"
#include "tests/update/UpdateTestSupport.h"

namespace {

using testing_support::ConnectTo;
using testing_support::Exchange;

struct FontServerLimits : ::testing::Test {
  std::string root = testing_support::UniqueTempPath("server_limits");
  void SetUp() override { testing_support::MakeServedFont(root, "Alpha", {"A.lsu"}); }
  void TearDown() override { std::filesystem::remove_all(root); }

  static std::string Post(const std::string& body) {
    return "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  }
  static bool Catalogue(const std::string& answer) {
    return answer.rfind("HTTP/1.1 200", 0) == 0 &&
           answer.find("\r\n\r\nstatus:OK\r\nclientv:1\r\nAlpha") != std::string::npos;
  }
};

TEST_F(FontServerLimits, LongBodiesAreRefusedUnread) {
  testing_support::FontServer server(root);
  // Announced: the refusal comes without a byte of the body.
  EXPECT_EQ(
      Exchange(server.Host(), "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 400000000\r\n\r\n")
          .rfind("HTTP/1.1 413", 0),
      0u);

  // Sent: the server stops taking it in long before its end.
  constexpr size_t kBody = 64u << 20;
  const int fd = ConnectTo(server.Host());
  ASSERT_GE(fd, 0);
  const timeval limit{60, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  const std::string head =
      "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(kBody) + "\r\n\r\n";
  ASSERT_EQ(send(fd, head.data(), head.size(), MSG_NOSIGNAL), static_cast<ssize_t>(head.size()));
  const std::string piece(1 << 16, 'b');
  size_t taken = 0;
  for (ssize_t n = 1; n > 0 && taken<kBody; taken += n> 0 ? static_cast<size_t>(n) : 0)
    n = send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
  close(fd);
  EXPECT_LT(taken, 16u << 20);

  // 64 KB is still a body it takes.
  EXPECT_TRUE(
      Catalogue(Exchange(server.Host(), Post("svc=gct&did=1&pad=" + std::string(60000, 'p')))));
  std::vector<std::string> refused;
  for (const std::string& line : server.Log())
    if (line.ends_with("-> 413")) refused.push_back(line);
  EXPECT_EQ(refused, (std::vector<std::string>{"POST / -> 413", "POST / -> 413"}));
}

TEST_F(FontServerLimits, SlowClientsKeepNobodyWaiting) {
  testing_support::FontServer server(root);
  // More connections than it serves at once, each sending the head of its
  // request a byte at a time, never finishing it.
  std::vector<int> slow;
  for (int i = 0; i < 300; ++i) {
    const int fd = ConnectTo(server.Host());
    ASSERT_GE(fd, 0);
    send(fd, "POST / HTTP/1.1\r\nHost: x\r\nX-Slow: ", 34, MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    while (!done) {
      for (const int fd : slow) send(fd, "s", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });

  // An ordinary request still gets its answer (Exchange gives up after a
  // minute of silence, so a server that never answers fails the test).
  EXPECT_TRUE(Catalogue(Exchange(server.Host(), Post("svc=gct&did=1"))));

  // And each slow connection is cut off in the end; a minute in all is far
  // more than the time a request may take.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  int cutOff = 0;
  for (const int fd : slow) {
    char byte;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          giveUp - std::chrono::steady_clock::now());
      pollfd p{fd, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      if (recv(fd, &byte, 1, MSG_DONTWAIT) <= 0) {
        ++cutOff;
        break;
      }
    }
  }
  done = true;
  trickle.join();
  for (const int fd : slow) close(fd);
  EXPECT_EQ(cutOff, 300);
}

TEST_F(FontServerLimits, ClientsThatReadNoAnswerKeepNobodyWaiting) {
  constexpr size_t kItem = 32u << 20;  // far more than the sockets' buffers hold
  testing_support::MakeServedFont(root, "Big", {"B.lsu"}, kItem);
  testing_support::FontServer server(root);
  // Many more downloads than it has workers at the start, none of them
  // read by its client for now.
  const std::string body = "svc=dld&did=1&fid=Big&ffd=B.lsu";
  const std::string request =
      "POST /tst/gct/ HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
      "Content-Length: " +
      std::to_string(body.size()) + "\r\n\r\n" + body;
  std::vector<int> stuck;
  for (int i = 0; i < 12; ++i) {
    const int fd = ConnectTo(server.Host());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    stuck.push_back(fd);
  }
  // An ordinary request is answered while they wait...
  EXPECT_TRUE(Catalogue(Exchange(server.Host(), Post("svc=gct&did=1"))));
  // ...and none of them was cut off to make room: each gets its whole file.
  for (const int fd : stuck) {
    const timeval limit{60, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::vector<char> buffer(1 << 16);
    size_t got = 0;
    for (ssize_t n; (n = recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
      got += static_cast<size_t>(n);
    close(fd);
    EXPECT_GT(got, kItem);  // the head and the whole file
  }
}

}  // namespace
