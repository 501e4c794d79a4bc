// The whole device link against the virtual board: the agent, the links and
// the commands together, with the board's fault switches.

#include <gtest/gtest.h>

#include "devlink/DeviceLinks.h"
#include "devlink/TLS.h"
#include "tests/support/BoardAgent.h"
#include "virtualboard/VirtualBoardBus.h"

namespace {

struct Session {
  explicit Session(const std::string& spec)
      : board(virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec(spec))) {
    auto& a = *board.agent;
    testing_support::MatchTheBoard(a);
    testing_support::BindOpenedInterfaces(a, links);
    a.InterfaceClosed = [this](int still, const std::string& name, int handle) {
      events.push_back("closed");
      links.InterfaceClosed(*board.agent, still, name, handle);
    };
    a.DeviceRemoved = [this](int, const std::string&) { events.push_back("removed"); };
    a.Start();
  }
  devlink::TLS& Link() { return *links.First(); }

  virtualboard::VirtualBoard board;
  devlink::DeviceLinks links;
  std::vector<std::string> events;
};

TEST(VirtualBoardLink, IdentifiesItself) {
  Session s("usb2,fw=292,sn=0A1B2C3D");
  ASSERT_TRUE(s.board.agent->FindDevices());
  ASSERT_EQ(s.links.Count(), 1u);
  EXPECT_EQ(s.Link().GetID(), 4388);
  EXPECT_EQ(s.Link().GetSN(), "0A1B2C3D");
}

TEST(VirtualBoardLink, BlocksLandInFlashAndSumBack) {
  Session s("sound,erase-ms=10");
  s.board.agent->FindDevices();
  auto& link = s.Link();
  ASSERT_TRUE(link.ClearFlash());
  int polls = 0;
  while (!link.CheckCompletion() && ++polls < 20) {
  }
  ASSERT_LT(polls, 20);
  std::vector<uint8_t> block(1024);
  for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 13);
  ASSERT_TRUE(link.Write1k(2048, block));
  ASSERT_TRUE(link.WriteLess(3072, 3, std::vector<uint8_t>{1, 2, 3}));
  const auto& flash = s.board.firmware->Flash();
  EXPECT_TRUE(std::equal(block.begin(), block.end(), flash.begin() + 2048));
  EXPECT_EQ(flash[3074], 3);
  EXPECT_EQ(flash[3075], 0xFF);
  ASSERT_TRUE(link.CheckCRC(2048, 1027));
  uint32_t sum = 6;
  for (uint8_t b : block) sum += b;
  EXPECT_EQ(link.ResponseWord(), int(sum % 65536));
}

TEST(VirtualBoardLink, MotionValuesLiveInFlash) {
  Session s("sound");
  s.board.agent->FindDevices();
  devlink::AccParams p;
  ASSERT_TRUE(s.Link().GetAccParam(p));
  EXPECT_EQ(p.MotionTh, 180);
  EXPECT_EQ(p.FOCTime, 13);
  ASSERT_TRUE(s.Link().SetAccParam({1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(s.Link().GetAccParam(p));
  EXPECT_EQ(p.ImpactTm, 5);
}

TEST(VirtualBoardLink, SplitBoardGivesOneCompleteLink) {
  Session s("sound64,split");
  ASSERT_TRUE(s.board.agent->FindDevices());
  EXPECT_EQ(s.board.agent->InterfaceCount(), 2);
  ASSERT_EQ(s.links.Count(), 1u);
  EXPECT_EQ(s.Link().UnboundVarCount(), 0);
  EXPECT_EQ(s.Link().GetID(), 64);
}

TEST(VirtualBoardLink, UnpluggedBoardFailsAndIsDropped) {
  Session s("sound,unplug=2");
  s.board.agent->FindDevices();
  EXPECT_EQ(s.Link().GetID(), 0);                 // command 1 answers
  EXPECT_EQ(s.Link().GetSN(), "NoSerialNumber");  // command 2: the board goes
  EXPECT_FALSE(s.Link().Reset());
  s.board.agent->ProcessEvents();
  EXPECT_EQ(s.events, (std::vector<std::string>{"closed", "removed"}));
  EXPECT_TRUE(s.links.Empty());
  EXPECT_FALSE(s.board.agent->FindDevices());
}

TEST(VirtualBoardLink, FaultSwitchesReachTheLink) {
  Session s("led,no-sn=1,drop=3,bad-echo=4");
  s.board.agent->FindDevices();
  auto& link = s.Link();
  EXPECT_EQ(link.GetSN(), "NoSerialNumber");  // command 1
  EXPECT_EQ(link.GetSN(), "4B530001");        // command 2
  EXPECT_EQ(link.GetID(), 0);                 // command 3 dropped
  EXPECT_EQ(link.GetID(), 256);
  int code = 0, od = 0;
  double volts = 0;
  ASSERT_TRUE(link.GetLEDConfig(code, volts, od));
  EXPECT_EQ(code, 1);
  EXPECT_DOUBLE_EQ(volts, 6.0);
  EXPECT_EQ(od, 100);
}

TEST(VirtualBoardLink, BadEchoFailsTheBlock) {
  Session s("sound,bad-echo=1");
  s.board.agent->FindDevices();
  EXPECT_FALSE(s.Link().Write1k(0, std::vector<uint8_t>(1024, 1)));
  EXPECT_TRUE(s.Link().Write1k(0, std::vector<uint8_t>(1024, 1)));
}

}  // namespace
