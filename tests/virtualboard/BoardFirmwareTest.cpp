#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "virtualboard/BoardDescriptor.h"
#include "virtualboard/BoardFirmware.h"

namespace virtualboard {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;
using Response = std::array<uint8_t, 2>;
using Responses = std::vector<Response>;

constexpr size_t kMiB = size_t{1} << 20;
constexpr Response kAckResponse = {kAck, kAck};

Bytes Command(uint8_t code, std::initializer_list<uint8_t> args = {}) {
  Bytes report(kCommandSize, 0);
  report[0] = code;
  std::copy(args.begin(), args.end(), report.begin() + 1);
  return report;
}

void Put24(Bytes& report, size_t at, uint32_t v) {
  report[at] = uint8_t(v >> 16);
  report[at + 1] = uint8_t(v >> 8);
  report[at + 2] = uint8_t(v);
}

void Put16(Bytes& report, size_t at, uint16_t v) {
  report[at] = uint8_t(v >> 8);
  report[at + 1] = uint8_t(v);
}

Bytes Write1k(uint32_t address, const Bytes& data) {
  Bytes report = Command(20);
  Put24(report, 1, address);
  std::copy(data.begin(), data.end(), report.begin() + 4);
  return report;
}

Bytes WriteLess(uint32_t address, const Bytes& data, std::optional<uint32_t> length = {}) {
  Bytes report = Command(21);
  Put24(report, 1, address);
  Put24(report, 4, length.value_or(uint32_t(data.size())));
  std::copy(data.begin(), data.end(), report.begin() + 7);
  return report;
}

Bytes CheckCrc(uint32_t address, uint32_t length) {
  Bytes report = Command(30);
  Put24(report, 1, address);
  Put24(report, 4, length);
  return report;
}

Response Word(uint16_t v) {
  return {uint8_t(v >> 8), uint8_t(v)};
}

// Everything the board has queued, without waiting.
Responses Drain(BoardFirmware& board) {
  Responses out;
  Response r{};
  while (board.Answer(r, 0) == AnswerResult::Ok) out.push_back(r);
  return out;
}

Responses Exchange(BoardFirmware& board, const Bytes& report) {
  board.Receive(report);
  return Drain(board);
}

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// ---------------------------------------------------------------- identity

TEST(BoardFirmware, AnswersIdAndSerialHighBytesFirst) {
  BoardFirmware board(ParseBoardSpec("usb2,fw=292,sn=0A1B2C3D"));
  EXPECT_EQ(Exchange(board, Command(3)), Responses{Word(4096 + 292)});
  EXPECT_EQ(Exchange(board, Command(1)), (Responses{{0x0A, 0x1B}, {0x2C, 0x3D}}));
  EXPECT_EQ(Exchange(board, Command(0)), Responses{});  // Reset
  EXPECT_EQ(Exchange(board, Command(7)), Responses{});  // Bye
  EXPECT_EQ(board.CommandsReceived(), 4);
}

TEST(BoardFirmware, ShortReportReadsAsZeroPadded) {
  BoardFirmware board(ParseBoardSpec("usb2new"));
  EXPECT_EQ(Exchange(board, Bytes{3}), Responses{Word(65535)});
  Bytes longer = Command(3);
  longer.resize(2000, 0xAB);
  EXPECT_EQ(Exchange(board, longer), Responses{Word(65535)});
}

TEST(BoardFirmware, ResetDropsResponsesNotYetRead) {
  BoardFirmware board(ParseBoardSpec("sound32"));
  board.Receive(Command(1));
  Response r{};
  ASSERT_EQ(board.Answer(r, 0), AnswerResult::Ok);
  board.Receive(Command(0));
  EXPECT_EQ(Exchange(board, Command(3)), Responses{Word(32)});
}

TEST(BoardFirmware, NothingPendingTimesOutWithoutWaiting) {
  BoardFirmware board(ParseBoardSpec("sound"));
  Response r{};
  const auto start = Clock::now();
  EXPECT_EQ(board.Answer(r, 3000), AnswerResult::Timeout);
  EXPECT_LT(Since(start).count(), 100);
}

// ---------------------------------------------------------------- flash

TEST(BoardFirmware, NewBoardHasFactoryMotionAndErasedFlash) {
  BoardFirmware board(ParseBoardSpec("sound"));
  const Bytes& flash = board.Flash();
  ASSERT_EQ(flash.size(), 4 * kMiB);
  EXPECT_TRUE(std::equal(kFactoryMotion.begin(), kFactoryMotion.end(), flash.begin()));
  EXPECT_TRUE(std::all_of(flash.begin() + 6, flash.end(), [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(BoardFirmware(ParseBoardSpec("sound64")).Flash().size(), 8 * kMiB);
}

TEST(BoardFirmware, Write1kStoresAndEchoesByteSum) {
  BoardFirmware board(ParseBoardSpec("sound"));
  EXPECT_EQ(Exchange(board, Write1k(0x000400, Bytes(1024, 255))), (Responses{{252, 0}}));

  Bytes ramp(1024);
  std::iota(ramp.begin(), ramp.end(), uint8_t{0});  // 4 × (0 + ... + 255) = 130560
  EXPECT_EQ(Exchange(board, Write1k(0x123456, ramp)), Responses{Word(130560 % 65536)});
  EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), board.Flash().begin() + 0x123456));
  EXPECT_EQ(board.Flash()[0x123455], 0xFF);
  EXPECT_EQ(board.Flash()[0x123456 + 1024], 0xFF);
}

TEST(BoardFirmware, WriteLessStoresOnlyItsLength) {
  BoardFirmware board(ParseBoardSpec("sound"));
  Bytes report = WriteLess(0x100, {1, 2, 3});
  report[10] = 99;  // beyond the length: must not be stored
  EXPECT_EQ(Exchange(board, report), Responses{Word(6)});
  EXPECT_EQ(Bytes(board.Flash().begin() + 0x100, board.Flash().begin() + 0x104),
            (Bytes{1, 2, 3, 0xFF}));

  EXPECT_EQ(Exchange(board, WriteLess(0x200, {})), Responses{Word(0)});
  const Bytes full(1021, 7);
  EXPECT_EQ(Exchange(board, WriteLess(0x300, full)), Responses{Word(7 * 1021)});
  EXPECT_EQ(board.Flash()[0x300 + 1020], 7);
  EXPECT_EQ(Exchange(board, WriteLess(0x800, Bytes(1021, 5), 1022)), Responses{});
  EXPECT_EQ(board.Flash()[0x800], 0xFF);
}

TEST(BoardFirmware, CheckCrcSumsTheFlashRange) {
  BoardFirmware board(ParseBoardSpec("sound"));
  Exchange(board, WriteLess(0x1000, {0x10, 0x20, 0x30}));
  EXPECT_EQ(Exchange(board, CheckCrc(0x1000, 3)), Responses{Word(0x60)});
  EXPECT_EQ(Exchange(board, CheckCrc(0x1001, 4)), Responses{Word(0x50 + 0xFF * 2)});
  EXPECT_EQ(Exchange(board, CheckCrc(0, 6)), Responses{Word(180 + 2 + 10 + 50 + 125 + 13)});
  // The whole flash: 6 motion bytes, 3 written bytes, the rest 0xFF.
  const uint32_t whole = 380 + 0x60 + (4 * kMiB - 9) * 0xFF;
  EXPECT_EQ(Exchange(board, CheckCrc(0, 4 * kMiB)), Responses{Word(whole % 65536)});
}

TEST(BoardFirmware, RangesOutsideTheFlashGetNoAnswer) {
  BoardFirmware board(ParseBoardSpec("sound"));
  const uint32_t size = 4 * kMiB;
  EXPECT_EQ(Exchange(board, Write1k(size - 1024, Bytes(1024, 1))).size(), 1u);
  EXPECT_EQ(Exchange(board, Write1k(size - 1023, Bytes(1024, 2))), Responses{});
  EXPECT_EQ(Exchange(board, Write1k(0xFFFFFF, Bytes(1024, 2))), Responses{});
  EXPECT_EQ(Exchange(board, WriteLess(size - 2, {1, 2})).size(), 1u);
  EXPECT_EQ(Exchange(board, WriteLess(size - 1, {3, 3})), Responses{});
  EXPECT_EQ(Exchange(board, CheckCrc(size - 1, 1)).size(), 1u);
  EXPECT_EQ(Exchange(board, CheckCrc(size - 1, 2)), Responses{});
  EXPECT_EQ(Exchange(board, CheckCrc(0xFFFFFF, 0xFFFFFF)), Responses{});
  EXPECT_EQ(board.Flash()[size - 1], 2);  // only the accepted writes landed

  BoardFirmware big(ParseBoardSpec("sound64"));
  EXPECT_EQ(Exchange(big, Write1k(size, Bytes(1024, 1))), Responses{Word(1024)});
}

// ---------------------------------------------------------------- erase

TEST(BoardFirmware, EraseWaitsThenAcksAndWipesEverything) {
  BoardFirmware board(ParseBoardSpec("sound,erase-ms=20"));
  Exchange(board, Write1k(0x2000, Bytes(1024, 0)));
  const auto start = Clock::now();
  EXPECT_EQ(Exchange(board, Command(10)), Responses{});  // ClearFlash does not answer
  Response r{};
  ASSERT_EQ(board.Answer(r, 1000), AnswerResult::Ok);
  EXPECT_GE(Since(start).count(), 20);
  EXPECT_LT(Since(start).count(), 500);
  EXPECT_EQ(r, kAckResponse);
  const Bytes& flash = board.Flash();
  EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(Exchange(board, Command(41)), (Responses{{0xFF, 0xFF}, {0xFF, 0xFF}, {0xFF, 0xFF}}));
  EXPECT_EQ(board.Answer(r, 0), AnswerResult::Timeout);  // one ACK only
}

TEST(BoardFirmware, ErasePollThatGivesUpEarlyTimesOut) {
  BoardFirmware board(ParseBoardSpec("sound,erase-ms=1000"));
  board.Receive(Command(10));
  Response r{};
  const auto start = Clock::now();
  EXPECT_EQ(board.Answer(r, 20), AnswerResult::Timeout);
  EXPECT_GE(Since(start).count(), 20);
  EXPECT_LT(Since(start).count(), 500);
  EXPECT_EQ(board.Flash()[0], kFactoryMotion[0]);  // not erased yet
}

TEST(BoardFirmware, EraseThatEndedUnreadIsAckedOnNextCommand) {
  BoardFirmware board(ParseBoardSpec("sound,erase-ms=5"));
  board.Receive(Command(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  board.Receive(Command(3));
  EXPECT_EQ(board.Flash()[0], 0xFF);
  EXPECT_EQ(Drain(board), (Responses{kAckResponse, Word(0)}));
}

TEST(BoardFirmware, EraseNeverEnds) {
  BoardFirmware board(ParseBoardSpec("sound,erase-ms=0,erase-never"));
  board.Receive(Command(10));
  Response r{};
  const auto start = Clock::now();
  EXPECT_EQ(board.Answer(r, 30), AnswerResult::Timeout);
  EXPECT_GE(Since(start).count(), 30);
  EXPECT_EQ(board.Answer(r, 1), AnswerResult::Timeout);
  EXPECT_EQ(board.Flash()[0], kFactoryMotion[0]);
}

TEST(BoardFirmware, RefusedEraseAnswersNonAckAndKeepsFlash) {
  BoardFirmware board(ParseBoardSpec("sound,erase-ms=0,refuse-erase"));
  board.Receive(Command(10));
  Response r{};
  const auto start = Clock::now();
  ASSERT_EQ(board.Answer(r, 1000), AnswerResult::Ok);
  EXPECT_LT(Since(start).count(), 100);
  EXPECT_NE(r, kAckResponse);
  EXPECT_EQ(board.Answer(r, 0), AnswerResult::Timeout);
  EXPECT_EQ(board.Flash()[0], kFactoryMotion[0]);
}

// ---------------------------------------------------------------- motion

TEST(BoardFirmware, MotionParametersLiveInFlashBytesZeroToFive) {
  BoardFirmware board(ParseBoardSpec("sound"));
  EXPECT_EQ(Exchange(board, Command(41)), (Responses{{180, 2}, {10, 50}, {125, 13}}));
  EXPECT_EQ(Exchange(board, Command(42, {1, 2, 3, 4, 5, 6})), Responses{kAckResponse});
  EXPECT_EQ(Exchange(board, Command(41)), (Responses{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(Bytes(board.Flash().begin(), board.Flash().begin() + 7),
            (Bytes{1, 2, 3, 4, 5, 6, 0xFF}));
  // A block written over address 0 replaces them too.
  Exchange(board, WriteLess(0, {9, 9}));
  EXPECT_EQ(Exchange(board, Command(41)).front(), (Response{9, 9}));
  // The sensor is still at first: held upright, gravity on y.
  EXPECT_EQ(Exchange(board, Command(40)), (Responses{{0, 8}, {0, 0}}));
}

// GetACC follows the scripted motion, 50 ms a reading: still for 1 s, a
// swing for 1 s, then a clash; every 2.5 s again. Negative axes go out as
// sign and magnitude (32 - value).
TEST(BoardFirmware, GetAccPlaysTheScriptedMotion) {
  BoardFirmware board(ParseBoardSpec("sound"));
  std::vector<Responses> readings;
  for (int n = 0; n < 51; ++n) readings.push_back(Exchange(board, Command(40)));
  EXPECT_EQ(readings[19], (Responses{{0, 8}, {0, 0}}));     // still
  EXPECT_EQ(readings[21], (Responses{{1, 8}, {0, 5}}));     // the swing starts
  EXPECT_EQ(readings[29], (Responses{{9, 8}, {3, 45}}));    // its top
  EXPECT_EQ(readings[39], (Responses{{0, 8}, {0, 0}}));     // back
  EXPECT_EQ(readings[40], (Responses{{63, 24}, {12, 0}}));  // the clash: x -31
  EXPECT_EQ(readings[41], (Responses{{47, 16}, {6, 0}}));   // x -15
  EXPECT_EQ(readings[45], (Responses{{0, 8}, {0, 0}}));     // died away
  EXPECT_EQ(readings[50], readings[0]);                     // and again

  // A firmware without live values takes GetACC and never answers it.
  BoardFirmware old(ParseBoardSpec("sound,no-acc"));
  EXPECT_TRUE(Exchange(old, Command(40)).empty());
  EXPECT_EQ(Exchange(old, Command(41)).size(), 3u) << "other commands still answered";
}

// ---------------------------------------------------------------- flash file

class FlashFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vboardXXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    file_ = (dir_ / "flash.bin").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  BoardSpec Spec() const { return ParseBoardSpec("sound,flash=" + file_); }
  Bytes FileBytes() const {
    Bytes bytes(fs::file_size(file_));
    std::ifstream(file_, std::ios::binary)
        .read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
  }
  void WriteFile(const Bytes& bytes) const {
    std::ofstream(file_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  fs::path dir_;
  std::string file_;
};

TEST_F(FlashFileTest, SavedOnResetByeAndDestructionAndReloaded) {
  {
    BoardFirmware board(Spec());
    EXPECT_EQ(board.Flash()[0], kFactoryMotion[0]);  // no file yet: a new board
    EXPECT_FALSE(fs::exists(file_));
    Exchange(board, WriteLess(0x10, {0xAA}));
    board.Receive(Command(7));
    EXPECT_EQ(FileBytes(), board.Flash());
    Exchange(board, Command(42, {6, 5, 4, 3, 2, 1}));
    board.Receive(Command(0));
    EXPECT_EQ(FileBytes()[0], 6);
    Exchange(board, WriteLess(0x20, {0xBB}));
  }
  EXPECT_FALSE(fs::exists(file_ + ".tmp"));
  BoardFirmware reloaded(Spec());
  EXPECT_EQ(reloaded.Flash().size(), 4 * kMiB);
  EXPECT_EQ(reloaded.Flash()[0x10], 0xAA);
  EXPECT_EQ(reloaded.Flash()[0x20], 0xBB);
  EXPECT_EQ(Exchange(reloaded, Command(41)), (Responses{{6, 5}, {4, 3}, {2, 1}}));
}

TEST_F(FlashFileTest, ShortImageIsPaddedWithErasedBytes) {
  WriteFile({1, 2, 3});
  BoardFirmware board(Spec());
  EXPECT_EQ(Bytes(board.Flash().begin(), board.Flash().begin() + 7),
            (Bytes{1, 2, 3, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(board.Flash().size(), 4 * kMiB);
}

TEST_F(FlashFileTest, RefusesImagesItCannotHold) {
  WriteFile(Bytes(4 * kMiB + 1, 0));
  EXPECT_THROW(BoardFirmware{Spec()}, std::runtime_error);
  EXPECT_EQ(fs::file_size(file_), 4 * kMiB + 1);  // left untouched
  EXPECT_NO_THROW(BoardFirmware{ParseBoardSpec("sound64,flash=" + file_)});

  fs::remove(file_);
  fs::create_directory(file_);
  EXPECT_THROW(BoardFirmware{Spec()}, std::runtime_error);
}

TEST_F(FlashFileTest, FailedSaveThrowsAndKeepsTheOldImage) {
  BoardFirmware board(ParseBoardSpec("sound,flash=" + (dir_ / "missing" / "f.bin").string()));
  EXPECT_THROW(board.Persist(), std::runtime_error);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// ---------------------------------------------------------------- faults

TEST(BoardFirmware, DropSilencesOnlyTheNthCommand) {
  BoardFirmware board(ParseBoardSpec("sound,drop=2"));
  EXPECT_EQ(Exchange(board, Command(3)).size(), 1u);
  EXPECT_EQ(Exchange(board, WriteLess(0x40, {5})), Responses{});
  EXPECT_EQ(board.Flash()[0x40], 5);  // processed all the same
  EXPECT_EQ(Exchange(board, Command(1)).size(), 2u);
}

TEST(BoardFirmware, BadEchoIsOffByOneAndStillStores) {
  BoardFirmware board(ParseBoardSpec("sound,bad-echo=2"));
  EXPECT_EQ(Exchange(board, Write1k(0, Bytes(1024, 255))), (Responses{{252, 0}}));
  EXPECT_EQ(Exchange(board, Write1k(1024, Bytes(1024, 255))), (Responses{{252, 1}}));
  EXPECT_EQ(board.Flash()[1024], 255);

  BoardFirmware wraps(ParseBoardSpec("sound,bad-echo=1"));  // 257 × 255 = 65535
  EXPECT_EQ(Exchange(wraps, WriteLess(0, Bytes(257, 255))), Responses{Word(0)});

  // The N-th command is not a block write: no echo is spoilt, not even
  // that of the next block write.
  BoardFirmware other(ParseBoardSpec("sound,bad-echo=1"));
  EXPECT_EQ(Exchange(other, Command(3)), Responses{Word(0)});
  EXPECT_EQ(Exchange(other, Write1k(0, Bytes(1024, 255))), (Responses{{252, 0}}));
}

TEST(BoardFirmware, UnplugLosesQueuedAnswersAndIgnoresLaterCommands) {
  BoardFirmware board(ParseBoardSpec("sound,unplug=2"));
  board.Receive(Command(1));
  EXPECT_TRUE(board.Present());
  board.Receive(Command(3));
  EXPECT_FALSE(board.Present());
  Response r{};
  EXPECT_EQ(board.Answer(r, 0), AnswerResult::Gone);
  board.Receive(Command(3));
  EXPECT_EQ(board.CommandsReceived(), 2);
  EXPECT_EQ(board.Answer(r, 0), AnswerResult::Gone);
  board.Plug();
  EXPECT_EQ(Drain(board), Responses{});
  EXPECT_EQ(Exchange(board, Command(3)), Responses{Word(0)});
}

TEST(BoardFirmware, NoSnSilencesTheFirstSerialRequests) {
  BoardFirmware board(ParseBoardSpec("sound,no-sn=2,sn=12345678"));
  EXPECT_EQ(Exchange(board, Command(1)), Responses{});
  EXPECT_EQ(Exchange(board, Command(3)), Responses{Word(0)});
  EXPECT_EQ(Exchange(board, Command(0)), Responses{});
  EXPECT_EQ(Exchange(board, Command(1)), Responses{});
  EXPECT_EQ(Exchange(board, Command(1)), (Responses{{0x12, 0x34}, {0x56, 0x78}}));
}

// ---------------------------------------------------------------- LED driver

Bytes PulseReport(uint8_t id, uint8_t seed) {
  Bytes report = Command(53, {id});
  for (size_t i = 2; i <= 51; ++i) report[i] = uint8_t(seed + i);
  return report;
}

TEST(BoardFirmware, LedDriverDefaults) {
  BoardFirmware board(ParseBoardSpec("led,ledcode=7"));
  EXPECT_EQ(Exchange(board, Command(3)), Responses{Word(256)});
  EXPECT_EQ(Exchange(board, Command(60)), (Responses{Word(7), Word(60), Word(100)}));
  Responses params;
  for (uint16_t v : kDefaultLedParam) params.push_back(Word(v));
  EXPECT_EQ(Exchange(board, Command(50)), params);
  const Responses pulse = {{0, 0},     {0, 0},  {0, 0},     {0, 0}, Word(0),
                           Word(1000), Word(0), Word(1000), Word(1)};
  EXPECT_EQ(Exchange(board, Command(52, {0})), pulse);
  EXPECT_EQ(Exchange(board, Command(52, {1})), pulse);
}

TEST(BoardFirmware, LedSettingsRoundTrip) {
  BoardFirmware board(ParseBoardSpec("led"));
  EXPECT_EQ(Exchange(board, Command(61, {0x01, 0x02, 0, 36, 0, 150})), Responses{kAckResponse});
  EXPECT_EQ(Exchange(board, Command(60)), (Responses{Word(0x0102), Word(36), Word(150)}));

  Bytes setParam = Command(51);
  for (uint16_t i = 0; i < 9; ++i) Put16(setParam, 1 + 2 * i, uint16_t(300 * i + 1));
  EXPECT_EQ(Exchange(board, setParam), Responses{kAckResponse});
  const Responses params = Exchange(board, Command(50));
  ASSERT_EQ(params.size(), 9u);
  for (uint16_t i = 0; i < 9; ++i) EXPECT_EQ(params[i], Word(uint16_t(300 * i + 1)));

  const Bytes set = PulseReport(1, 100);
  EXPECT_EQ(Exchange(board, set), Responses{kAckResponse});
  Responses expected;
  for (size_t b = 0; b < 40; b += 10) expected.push_back({set[b + 3], set[b + 2]});  // high, low
  for (size_t at = 42; at < 52; at += 2) expected.push_back({set[at], set[at + 1]});
  EXPECT_EQ(Exchange(board, Command(52, {1})), expected);
  EXPECT_EQ(Exchange(board, Command(52, {0}))[5], Word(1000));  // pulse 0 untouched
  EXPECT_EQ(Exchange(board, Command(54, {1})), Responses{kAckResponse});
}

// What an LED driver keeps when it is off: eeprom=FILE holds it from one
// run of the board to the next, and a file it cannot hold is refused.
TEST(BoardFirmware, LedDriverKeepsItsSettingsInItsEeprom) {
  const std::string file =
      (fs::temp_directory_path() / ("eeprom_" + std::to_string(getpid()) + ".bin")).string();
  fs::remove(file);
  const BoardSpec spec = ParseBoardSpec("led,ledcode=7,eeprom=" + file);
  const Bytes set = PulseReport(1, 40);
  {
    BoardFirmware board(spec);
    EXPECT_EQ(Exchange(board, Command(60)), (Responses{Word(7), Word(60), Word(100)}));
    Exchange(board, Command(61, {0xFF, 0xFB, 0, 36, 0, 30}));
    Exchange(board, set);
    board.Receive(Command(7));
    EXPECT_EQ(fs::file_size(file), kEepromSize);
  }
  BoardFirmware reloaded(spec);
  EXPECT_EQ(Exchange(reloaded, Command(60)), (Responses{Word(0xFFFB), Word(36), Word(30)}));
  const Responses pulse = Exchange(reloaded, Command(52, {1}));
  ASSERT_EQ(pulse.size(), 9u);
  EXPECT_EQ(pulse[0], (Response{set[3], set[2]}));
  EXPECT_EQ(pulse[8], (Response{set[50], set[51]}));
  EXPECT_EQ(Exchange(reloaded, Command(52, {0}))[5], Word(1000)) << "pulse 0 as it was";

  std::ofstream(file, std::ios::binary | std::ios::app) << 'x';
  EXPECT_THROW(BoardFirmware{spec}, std::runtime_error);
  fs::resize_file(file, kEepromSize - 1);
  EXPECT_THROW(BoardFirmware{spec}, std::runtime_error);
  fs::remove(file);
}

TEST(BoardFirmware, BadPulseIdGetsNoAnswer) {
  BoardFirmware board(ParseBoardSpec("led"));
  EXPECT_EQ(Exchange(board, Command(52, {2})), Responses{});
  EXPECT_EQ(Exchange(board, PulseReport(2, 0)), Responses{});
  EXPECT_EQ(Exchange(board, Command(54, {255})), Responses{});
}

TEST(BoardFirmware, EachBoardTypeIgnoresTheOthersCommands) {
  BoardFirmware led(ParseBoardSpec("id=300"));
  EXPECT_TRUE(led.Flash().empty());
  for (uint8_t code : {10, 20, 21, 30, 40, 41, 42, 2, 99})
    EXPECT_EQ(Exchange(led, Command(code)), Responses{}) << int(code);
  Response r{};
  EXPECT_EQ(led.Answer(r, 1000), AnswerResult::Timeout);  // no erase was started

  BoardFirmware sound(ParseBoardSpec("sound"));
  for (uint8_t code : {50, 51, 52, 53, 54, 60, 61, 2, 99})
    EXPECT_EQ(Exchange(sound, Command(code)), Responses{}) << int(code);
}

// ---------------------------------------------------------------- descriptor

// Walks the short items of a report descriptor and records the main items.
struct DescriptorSummary {
  uint32_t usagePage = 0;
  int outputBytes = 0, inputBytes = 0;
  int depth = 0;
  bool wellFormed = true;
};

DescriptorSummary Summarize(const Bytes& d) {
  DescriptorSummary s;
  uint32_t size = 0, count = 0;
  for (size_t i = 0; i < d.size();) {
    const uint8_t prefix = d[i];
    const size_t n = (prefix & 3) == 3 ? 4 : prefix & 3;
    if (i + 1 + n > d.size()) return s.wellFormed = false, s;
    uint32_t value = 0;
    for (size_t k = 0; k < n; ++k) value |= uint32_t(d[i + 1 + k]) << (8 * k);
    switch (prefix & 0xFC) {
      case 0x04:
        s.usagePage = value;
        break;
      case 0x74:
        size = value;
        break;
      case 0x94:
        count = value;
        break;
      case 0x90:
        s.outputBytes += int(size * count / 8);
        break;
      case 0x80:
        s.inputBytes += int(size * count / 8);
        break;
      case 0xA0:
        ++s.depth;
        break;
      case 0xC0:
        s.wellFormed = s.wellFormed && s.depth-- > 0;
        break;
    }
    i += 1 + n;
  }
  return s;
}

TEST(BoardDescriptor, VariablesHaveTheReportSizes) {
  const DescriptorSummary both = Summarize(BoardReportDescriptor());
  const DescriptorSummary command = Summarize(CommandOnlyDescriptor());
  const DescriptorSummary response = Summarize(ResponseOnlyDescriptor());
  for (const auto& s : {both, command, response}) {
    EXPECT_TRUE(s.wellFormed);
    EXPECT_EQ(s.depth, 0);
    EXPECT_EQ(s.usagePage, 0xFF00u);
  }
  EXPECT_EQ(both.outputBytes, 1028);
  EXPECT_EQ(both.inputBytes, 2);
  EXPECT_EQ(command.outputBytes, 1028);
  EXPECT_EQ(command.inputBytes, 0);
  EXPECT_EQ(response.outputBytes, 0);
  EXPECT_EQ(response.inputBytes, 2);
}

}  // namespace
}  // namespace virtualboard
