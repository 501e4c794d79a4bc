// The command protocol byte for byte: a TLS bound to a scripted board
// interface, whose port records every command report and answers from a
// script.

#include <gtest/gtest.h>

#include <sstream>

#include "devlink/TLS.h"
#include "tests/support/HidLog.h"
#include "tests/support/ScriptedBus.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/BoardDescriptor.h"

using devlink::TLS;
using testing_support::ScriptedDevice;

namespace {

class ProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto made = testing_support::MakeScriptedAgent();
    agent = std::move(made.agent);
    dev = &made.bus->Add("board", devlink::kBoardVID, devlink::kBoardPID,
                         virtualboard::BoardReportDescriptor());
    ASSERT_TRUE(agent->FindDevices());
    ASSERT_EQ(link.BindVars(agent.get()), 0);
  }
  void Answer(uint8_t r0, uint8_t r1) { dev->answers.push_back({r0, r1}); }
  const std::vector<uint8_t>& Last() { return dev->written.back().second; }

  std::unique_ptr<devlink::ReportAgent> agent;
  ScriptedDevice* dev = nullptr;
  TLS link;
};

TEST_F(ProtocolTest, CommandsWithoutResponseSucceedWhenWritten) {
  EXPECT_TRUE(link.Reset());
  EXPECT_TRUE(link.Bye());
  EXPECT_TRUE(link.ClearFlash());
  ASSERT_EQ(dev->written.size(), 3u);
  EXPECT_EQ(dev->written[0].second[0], 0);
  EXPECT_EQ(dev->written[1].second[0], 7);
  EXPECT_EQ(dev->written[2].second[0], 10);
  for (const auto& [id, data] : dev->written) {
    EXPECT_EQ(id, 0);  // the board's reports are not numbered
    EXPECT_EQ(data.size(), 1028u);
  }
  EXPECT_EQ(dev->reads, 0);
}

// An answer that came after its command stopped waiting (here a late ACK)
// is read off before the next command goes out, never taken as its answer.
TEST_F(ProtocolTest, AResponseWaitingBeforeACommandIsNotItsAnswer) {
  dev->waiting = {{10, 10}, {0xFF, 0xFF}};
  Answer(0x11, 0x24);
  EXPECT_EQ(link.GetID(), 0x1124);
  EXPECT_TRUE(dev->waiting.empty());
  EXPECT_EQ(dev->reads, 1);
}

TEST_F(ProtocolTest, GetIDAndGetMemorySizeShareTheirCode) {
  Answer(0x11, 0x24);
  EXPECT_EQ(link.GetID(), 0x1124);
  Answer(0x11, 0x24);
  EXPECT_EQ(link.GetMemorySize(), 0x11);
  EXPECT_EQ(dev->written[0].second[0], 3);
  EXPECT_EQ(dev->written[1].second[0], 3);
  EXPECT_EQ(link.GetID(), 0);  // no answer
}

TEST_F(ProtocolTest, SerialNumberTakesTwoReads) {
  Answer(0x0A, 0x1B);
  Answer(0x2C, 0xD3);
  EXPECT_EQ(link.GetSN(), "0A1B2CD3");
  Answer(0x00, 0xF0);
  EXPECT_EQ(link.GetSN(), "00F0");
  EXPECT_EQ(link.GetSN(), "NoSerialNumber");
}

TEST_F(ProtocolTest, Write1kEchoIsTheSixteenBitByteSum) {
  const std::vector<uint8_t> block(1024, 255);  // sums to 261120
  Answer(252, 0);
  EXPECT_TRUE(link.Write1k(0x123456, block));
  const auto& w = Last();
  EXPECT_EQ(w[0], 20);
  EXPECT_EQ(w[1], 0x12);
  EXPECT_EQ(w[2], 0x34);
  EXPECT_EQ(w[3], 0x56);
  EXPECT_EQ(w[4], 255);
  EXPECT_EQ(w[1027], 255);
  for (auto [r0, r1] : {std::pair{252, 1}, {0, 0}, {253, 0}}) {
    Answer(uint8_t(r0), uint8_t(r1));
    EXPECT_FALSE(link.Write1k(0, block)) << r0 << "," << r1;
  }
  EXPECT_FALSE(link.Write1k(0, block));  // no echo at all
  const std::vector<uint8_t> shortBlock(1000, 1);
  const size_t before = dev->written.size();
  EXPECT_FALSE(link.Write1k(0, shortBlock));
  EXPECT_EQ(dev->written.size(), before);
}

TEST_F(ProtocolTest, WriteLessKeepsTheBufferBeyondItsData) {
  std::vector<uint8_t> full(1021);
  for (size_t i = 0; i < full.size(); ++i) full[i] = uint8_t(i * 7 + 1);
  uint32_t sum = 0;
  for (uint8_t b : full) sum += b;
  Answer(uint8_t((sum >> 8) & 255), uint8_t(sum & 255));
  EXPECT_TRUE(link.WriteLess(0x010203, 1021, full));
  EXPECT_EQ(Last()[0], 21);
  EXPECT_EQ(Last()[4], 0);  // length 1021 = 0x0003FD
  EXPECT_EQ(Last()[5], 0x03);
  EXPECT_EQ(Last()[6], 0xFD);
  EXPECT_EQ(Last()[1027], full[1020]);

  const std::vector<uint8_t> three = {1, 2, 3};
  Answer(0, 6);
  EXPECT_TRUE(link.WriteLess(0, 3, three));
  EXPECT_EQ(Last()[7], 1);
  EXPECT_EQ(Last()[9], 3);
  EXPECT_EQ(Last()[10], full[3]);  // left as the previous command had it
  EXPECT_EQ(Last()[1027], full[1020]);
}

TEST_F(ProtocolTest, WriteLessRefusesWhatDoesNotFitTheReport) {
  const std::vector<uint8_t> big(1022, 1);
  EXPECT_FALSE(link.WriteLess(0, 1022, big));
  EXPECT_FALSE(link.WriteLess(0, 10, std::vector<uint8_t>(5, 1)));  // less data than length
  EXPECT_FALSE(link.WriteLess(0, -1, big));
  EXPECT_TRUE(dev->written.empty());
}

TEST_F(ProtocolTest, CheckCRCLeavesTheSumInTheResponse) {
  Answer(0xAB, 0xCD);
  EXPECT_TRUE(link.CheckCRC(0x000400, 0x0FFFFF));
  EXPECT_EQ(link.ResponseWord(), 0xABCD);
  EXPECT_EQ(link.Get_LS_Response(0), 0xAB);
  const auto& w = Last();
  EXPECT_EQ(std::vector<int>(w.begin(), w.begin() + 7),
            (std::vector<int>{30, 0, 4, 0, 0x0F, 0xFF, 0xFF}));
  EXPECT_FALSE(link.CheckCRC(0, 1));
}

TEST_F(ProtocolTest, AccelerationAxesAreSignAndMagnitude) {
  int x = 99, y = 99, z = 99, tilt = 99;
  Answer(32, 40);
  Answer(31, 63);
  EXPECT_TRUE(link.GetACC(x, y, z, tilt));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, -8);
  EXPECT_EQ(z, 31);
  EXPECT_EQ(tilt, 63);  // taken unchanged
  Answer(33, 0);
  z = tilt = 77;
  EXPECT_TRUE(link.GetACC(x, y, z, tilt));  // true once the first read came
  EXPECT_EQ(x, -1);
  EXPECT_EQ(z, 77);
}

TEST_F(ProtocolTest, MotionParametersStopAtTheFirstFailedRead) {
  devlink::AccParams p;
  p.ImpactTm = p.FOCTime = 99;
  Answer(180, 2);
  Answer(10, 50);
  EXPECT_FALSE(link.GetAccParam(p));
  EXPECT_EQ(p.MotionTh, 180);
  EXPECT_EQ(p.ImpactDeb, 50);
  EXPECT_EQ(p.ImpactTm, 99);
  EXPECT_EQ(Last()[0], 41);

  Answer(10, 10);
  EXPECT_TRUE(link.SetAccParam({1, 2, 3, 4, 5, 300}));
  // A value beyond one byte is held at 255, not wrapped to 44.
  EXPECT_EQ(std::vector<int>(Last().begin(), Last().begin() + 7),
            (std::vector<int>{42, 1, 2, 3, 4, 5, 255}));
  Answer(10, 10);
  EXPECT_TRUE(link.SetAccParam({-1, 256, 0, 255, 65536 + 7, 1000}));
  EXPECT_EQ(std::vector<int>(Last().begin() + 1, Last().begin() + 7),
            (std::vector<int>{0, 255, 0, 255, 255, 255}));
  Answer(10, 11);
  EXPECT_FALSE(link.SetAccParam({}));
}

TEST_F(ProtocolTest, LedConfigurationEncodings) {
  Answer(10, 10);
  EXPECT_TRUE(link.SetLEDConfig(0x0102, 3.65, 150));
  EXPECT_EQ(std::vector<int>(Last().begin(), Last().begin() + 7),
            (std::vector<int>{61, 1, 2, 0, 36, 0, 150}));
  Answer(10, 10);
  EXPECT_TRUE(link.SetLEDConfig(1, 4.1, 100));
  EXPECT_EQ(Last()[4], 41);

  Answer(0, 3);
  Answer(0, 65);
  Answer(0, 120);
  int code = 0, od = 0;
  double volts = 0;
  EXPECT_TRUE(link.GetLEDConfig(code, volts, od));
  EXPECT_EQ(code, 3);
  EXPECT_DOUBLE_EQ(volts, 6.5);
  EXPECT_EQ(od, 120);
  EXPECT_EQ(Last()[0], 60);
}

TEST_F(ProtocolTest, LedPulseLayout) {
  devlink::LEDPulseWire p;
  p.Trise = 10;
  p.Ton = 1220;
  p.Tfall = 300;
  p.Toff = 65535;
  p.NRep = 3;
  for (uint8_t k = 1; k <= 4; ++k) {
    p.channels[k - 1].Low = k;
    p.channels[k - 1].High = uint8_t(200 + k);
    p.channels[k - 1].Ton_High = uint16_t(1000 + k);
  }
  Answer(10, 10);
  EXPECT_TRUE(link.SetLEDPulses(1, p));
  const auto& w = Last();
  EXPECT_EQ(w[0], 53);
  EXPECT_EQ(w[1], 1);
  EXPECT_EQ(w[2], 1);                  // channel 1 low
  EXPECT_EQ(w[3], 201);                // channel 1 high
  EXPECT_EQ(w[8] * 256 + w[9], 1001);  // channel 1's on tick of the high level
  EXPECT_EQ(w[32], 4);                 // channel 4 low at 10 x 3 + 2
  EXPECT_EQ(w[33], 204);
  EXPECT_EQ(w[38] * 256 + w[39], 1004);
  EXPECT_EQ(w[42] * 256 + w[43], 10);
  EXPECT_EQ(w[44] * 256 + w[45], 1220);
  EXPECT_EQ(w[46] * 256 + w[47], 300);
  EXPECT_EQ(w[48] * 256 + w[49], 65535);
  EXPECT_EQ(w[50] * 256 + w[51], 3);

  for (int k = 1; k <= 4; ++k) Answer(uint8_t(100 + k), uint8_t(k));
  for (int v : {5, 1000, 6, 2000, 2}) Answer(uint8_t(v >> 8), uint8_t(v & 255));
  devlink::LEDPulseWire q;
  EXPECT_TRUE(link.GetLEDPulses(0, q));
  EXPECT_EQ(Last()[0], 52);
  EXPECT_EQ(Last()[1], 0);
  EXPECT_EQ(q.channels[3].High, 104);
  EXPECT_EQ(q.channels[3].Low, 4);
  EXPECT_EQ(q.Trise, 5);
  EXPECT_EQ(q.Ton, 1000);
  EXPECT_EQ(q.Tfall, 6);
  EXPECT_EQ(q.Toff, 2000);
  EXPECT_EQ(q.NRep, 2);

  Answer(10, 10);
  EXPECT_TRUE(link.StartPulse(1));
  EXPECT_EQ(Last()[0], 54);
}

TEST_F(ProtocolTest, LedParametersAreSixteenBitEach) {
  devlink::LEDParams p = {1000, 1, 2, 3, 4, 5, 6, 7, 0xFFFF};
  Answer(10, 10);
  EXPECT_TRUE(link.SetLEDParam(p));
  EXPECT_EQ(Last()[1] * 256 + Last()[2], 1000);
  EXPECT_EQ(Last()[17] * 256 + Last()[18], 0xFFFF);
  for (uint16_t v : p) Answer(uint8_t(v >> 8), uint8_t(v & 255));
  devlink::LEDParams back{};
  EXPECT_TRUE(link.GetLEDParam(back));
  EXPECT_EQ(back, p);
}

TEST_F(ProtocolTest, CheckCompletionOnlyReads) {
  Answer(10, 10);
  EXPECT_TRUE(link.CheckCompletion());
  Answer(10, 0);
  EXPECT_FALSE(link.CheckCompletion());
  EXPECT_FALSE(link.CheckCompletion());
  EXPECT_TRUE(dev->written.empty());
}

TEST_F(ProtocolTest, HidLogShowsEveryReport) {
  const std::string path = testing_support::UniqueTempPath("hidlog");
  agent->LogFile = path;
  agent->Logging = true;
  Answer(0x10, 0x25);
  link.GetID();
  link.GetID();  // unanswered
  agent->Stop();
  const std::vector<std::string> lines = testing_support::HidLogLines(path);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "W 03" + std::string(2 * 1027, '0'));
  EXPECT_EQ(lines[1], "R 1025");
  EXPECT_EQ(lines[3], "R timeout");
}

TEST(ProtocolBuffers, BufferIndicesAreChecked) {
  TLS link;
  EXPECT_THROW(link.Set_LS_Command(1028, 1), std::out_of_range);
  EXPECT_THROW(link.Get_LS_Response(2), std::out_of_range);
  link.Set_LS_Command(1027, 9);
  EXPECT_EQ(link.Get_LS_Command(1027), 9);
  EXPECT_EQ(TLS::ExtractByte(0x11223344, 3), 0x11);
  EXPECT_EQ(TLS::ExtractByte(0x11223344, 0), 0x44);
  EXPECT_EQ(TLS::ExtractByte(0x11223344, 4), 0);
}

}  // namespace
