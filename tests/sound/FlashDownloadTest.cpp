// The flash download on the virtual board: what lands in its flash, the
// commands that carry it (read back from the HID log), every way the board
// can make it fail, the cancel question and the progress texts.

#include "sound/FlashDownload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <regex>

#include "devlink/DeviceLinks.h"
#include "devlink/ReportAgent.h"
#include "sound/FlashImage.h"
#include "tests/sound/SoundTestFiles.h"
#include "tests/support/BoardAgent.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/VirtualBoardBus.h"

namespace {

using sound::FlashDownload;
using Outcome = FlashDownload::Outcome;

// A command report as the HID log shows it: block writes and checksum reads
// carry an address and a length.
struct Command {
  int code;
  uint32_t address = 0;
  uint32_t length = 0;
  bool operator==(const Command&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Command& c) {
  return out << "{" << c.code << " @" << c.address << " #" << c.length << "}";
}

uint32_t Get24(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) << 16 | uint32_t(b[at + 1]) << 8 | b[at + 2];
}

// The virtual board's bus with a hook on every answer it gives, told the
// code of the command written last: for answers its fault switches cannot
// produce.
using Tamper = std::function<void(int lastCode, std::vector<uint8_t>& answer)>;

class TamperingPort : public devlink::HidPort {
 public:
  TamperingPort(std::unique_ptr<devlink::HidPort> inner, const Tamper& tamper)
      : inner_(std::move(inner)), tamper_(tamper) {}
  std::vector<uint8_t> ReportDescriptor() override { return inner_->ReportDescriptor(); }
  bool WriteOutput(uint8_t id, const std::vector<uint8_t>& data) override {
    if (!data.empty()) last_ = data[0];
    return inner_->WriteOutput(id, data);
  }
  devlink::ReadResult ReadInput(std::vector<uint8_t>& report, size_t maxLen,
                                int timeoutMs) override {
    const auto result = inner_->ReadInput(report, maxLen, timeoutMs);
    if (result == devlink::ReadResult::Ok && tamper_) tamper_(last_, report);
    return result;
  }
  bool GetFeature(uint8_t id, std::vector<uint8_t>& data) override {
    return inner_->GetFeature(id, data);
  }
  bool SetFeature(uint8_t id, const std::vector<uint8_t>& data) override {
    return inner_->SetFeature(id, data);
  }

 private:
  std::unique_ptr<devlink::HidPort> inner_;
  const Tamper& tamper_;
  int last_ = -1;
};

class TamperingBus : public devlink::HidBus {
 public:
  TamperingBus(std::shared_ptr<virtualboard::BoardFirmware> firmware, const Tamper& tamper)
      : inner_(std::move(firmware)), tamper_(tamper) {}
  std::vector<devlink::HidDeviceInfo> Enumerate() override { return inner_.Enumerate(); }
  std::unique_ptr<devlink::HidPort> Open(const devlink::HidDeviceInfo& info) override {
    auto port = inner_.Open(info);
    return port ? std::make_unique<TamperingPort>(std::move(port), tamper_) : nullptr;
  }

 private:
  virtualboard::VirtualBoardBus inner_;
  const Tamper& tamper_;
};

// A virtual board, its link and the HID log of everything said to it.
struct Board {
  explicit Board(const std::string& spec, int timeoutMs = 100)
      : firmware(std::make_shared<virtualboard::BoardFirmware>(virtualboard::ParseBoardSpec(spec))),
        agent(std::make_unique<devlink::ReportAgent>(
            std::make_unique<TamperingBus>(firmware, tamper))) {
    testing_support::MatchTheBoard(*agent);
    testing_support::BindOpenedInterfaces(*agent, links);
    agent->TimeOut = timeoutMs;
    agent->LogFile = log;
    agent->Logging = true;
    agent->Start();
    EXPECT_TRUE(agent->FindDevices());
    EXPECT_EQ(firmware->CommandsReceived(), 0) << "fault numbers count from the download";
  }
  ~Board() { std::remove(log.c_str()); }
  devlink::TLS& Link() { return *links.First(); }

  std::vector<std::string> LogLines() const { return testing_support::HidLogLines(log); }
  std::vector<Command> Commands() const {
    std::vector<Command> commands;
    for (const auto& b : testing_support::HidWrittenReports(log)) {
      EXPECT_EQ(b.size(), size_t(devlink::kCommandSize)) << "no report ID byte";
      Command c{b[0]};
      if (c.code == devlink::cmdWrite1k) c = {b[0], Get24(b, 1), uint32_t(devlink::kBlockSize)};
      if (c.code == devlink::cmdWriteLess || c.code == devlink::cmdCheckCRC)
        c = {b[0], Get24(b, 1), Get24(b, 4)};
      commands.push_back(c);
    }
    return commands;
  }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const Command& c : Commands()) codes.push_back(c.code);
    return codes;
  }
  bool Sent(int code) const {
    const auto codes = Codes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }

  Tamper tamper;
  std::shared_ptr<virtualboard::BoardFirmware> firmware;
  std::unique_ptr<devlink::ReportAgent> agent;
  devlink::DeviceLinks links;
  std::string log = testing_support::UniqueTempPath("flash_download") + ".log";
};

// The download frame as texts and states, and as the event pump a hook for
// clicks made while window events run.
class RecordingView : public sound::DownloadView, public seams::EventPump {
 public:
  void SetInfoLabel(const std::string& text) override { info.push_back(text); }
  void SetPercentLabel(const std::string& text) override {
    percent.push_back(text);
    if (!info.empty() && info.back() == sound::kDownloading) transfer.push_back(text);
  }
  void SetPercentComplete(double p) override { percentComplete = p; }
  void LetEventsRun() override {
    if (onEvents) onEvents();
  }
  void ShowDownloadFrame(bool visible) override { frameShown.push_back(visible); }
  void SetFrameButton(const std::string& caption) override { button.push_back(caption); }
  void StartHideFrameTimer(int ms) override { hideTimerMs = ms; }
  void LockControls(bool locked) override { locks.push_back(locked); }
  void ShowBoardState(const std::string& text) override { boardState = text; }

  std::vector<std::string> info, percent, button;
  std::string boardState = "(never set)";
  std::vector<std::string> transfer;  // percent labels while the files go
  std::vector<bool> frameShown, locks;
  double percentComplete = 0;
  int hideTimerMs = 0;
  std::function<void()> onEvents;
};

bool IsBlockWrite(const Command& c) {
  return c.code == devlink::cmdWrite1k || c.code == devlink::cmdWriteLess;
}

class Download : public ::testing::Test {
 protected:
  // The coded size of n samples, found by coding them.
  int32_t CodedSize(size_t n) {
    sound_test::WriteLsu(dir.Path("probe.lsu"), sound_test::Samples(n));
    sound::LSU_SoundFile file;
    EXPECT_TRUE(file.ReadFile(dir.Path("probe.lsu")));
    EXPECT_TRUE(file.Code());
    return file.NrOfBytes;
  }
  // A sample count whose coded form takes exactly `bytes` bytes, found by
  // bisecting over coded candidates (coded sizes grow with the count).
  size_t SamplesFor(int32_t bytes) {
    size_t lo = sound::LSU_SoundFile::kMinSamples, hi = size_t(bytes) * 4;
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (CodedSize(mid) < bytes)
        lo = mid + 1;
      else
        hi = mid;
    }
    EXPECT_EQ(CodedSize(lo), bytes) << "no sample count codes to " << bytes << " bytes";
    return lo;
  }
  void Add(int type, size_t samples) {
    const std::string path = dir.Path("f" + std::to_string(++files) + ".lsu");
    sound_test::WriteLsu(path, sound_test::Samples(samples, 15000, unsigned(files)));
    ASSERT_TRUE(config.AddFile(path, type)) << path;
  }
  // Boot, power-on, power-off and idle, 3 motion, 2 impact and 1 lock-up
  // file (the 66-byte table); the second motion file has `motionSamples`.
  void Fill(size_t motionSamples = 1200) {
    for (auto [type, n] : {std::pair{sound::kBoot, 1000},
                           {sound::kPwrOn, 777},
                           {sound::kPwrOff, 2049},
                           {sound::kIdle, 4000}})
      Add(type, size_t(n));
    Add(sound::kMotion, 60);
    Add(sound::kMotion, motionSamples);
    Add(sound::kMotion, 500);
    Add(sound::kImpact, 333);
    Add(sound::kImpact, 49);
    Add(sound::kLockup, 1024);
  }
  Outcome Run(Board& board) {
    FlashDownload download(config, board.Link(), view, view, dialogs, motion);
    running = &download;
    const Outcome outcome = download.Run();
    running = nullptr;
    return outcome;
  }
  // A click on the frame's cancel button the first time window events run
  // in the phase with this info text.
  void CancelDuring(const std::string& phase) {
    view.onEvents = [this, phase, clicked = false]() mutable {
      if (clicked || view.info.empty() || view.info.back() != phase) return;
      clicked = true;
      running->FrameButtonClick("Cancel");
    };
  }
  void ExpectFailure(Board& board, Outcome outcome, const std::string& text) {
    EXPECT_EQ(Run(board), outcome);
    ASSERT_FALSE(view.info.empty());
    ASSERT_FALSE(view.button.empty());
    EXPECT_EQ(view.info.back(), text);
    EXPECT_EQ(view.button.back(), "Close");
    EXPECT_EQ(view.hideTimerMs, 0);
    EXPECT_EQ(view.locks, (std::vector<bool>{true, false})) << "unlocked however it ends";
    EXPECT_FALSE(board.Sent(devlink::cmdReset)) << "only a verified download restarts the board";
  }

  testing_support::TempFolder dir;
  int files = 0;
  sound::LSU_Configuration config;
  RecordingView view;
  testing_support::ScriptedDialogs dialogs;
  devlink::AccParams motion;
  FlashDownload* running = nullptr;
};

TEST_F(Download, LeavesTheCodedImageAndKeepsTheMotionValues) {
  Board board("sound,erase-ms=0");
  const devlink::AccParams kept{7, 9, 21, 33, 44, 55};
  ASSERT_TRUE(board.Link().SetAccParam(kept));
  std::fill(board.firmware->Flash().begin() + 6, board.firmware->Flash().end(), 0x5A);
  Fill();

  ASSERT_EQ(Run(board), Outcome::Success);
  const auto image = sound::FlashImage(config);
  const auto& flash = board.firmware->Flash();
  EXPECT_EQ(std::vector<uint8_t>(flash.begin(), flash.begin() + 6),
            (std::vector<uint8_t>{7, 9, 21, 33, 44, 55}));
  EXPECT_EQ(motion.MotionTh, kept.MotionTh);
  EXPECT_EQ(motion.FOCTime, kept.FOCTime);
  EXPECT_TRUE(std::equal(image.begin() + 6, image.end(), flash.begin() + 6))
      << "files and table where the image has them, 0xFF in the gaps";
  EXPECT_TRUE(std::all_of(flash.begin() + long(image.size()), flash.end(), [](uint8_t b) {
    return b == sound::kErasedByte;
  })) << "erased beyond the last file";

  // The motion values are read before the erase and written back before
  // anything else; the table comes last, then the restart.
  const auto codes = board.Codes();
  ASSERT_GE(codes.size(), 5u);
  EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 4),
            (std::vector<int>{devlink::cmdSetAccParam, devlink::cmdGetAccParam,
                              devlink::cmdClearFlash, devlink::cmdSetAccParam}));
  const auto commands = board.Commands();
  const size_t n = commands.size();
  EXPECT_EQ(commands[n - 3], (Command{devlink::cmdWriteLess, 12, 66}));
  EXPECT_EQ(commands[n - 2], (Command{devlink::cmdCheckCRC, 12, 64}));
  EXPECT_EQ(commands[n - 1].code, devlink::cmdReset);

  EXPECT_EQ(view.info, (std::vector<std::string>{sound::kErasing, sound::kCoding,
                                                 sound::kDownloading, sound::kSuccess}));
  EXPECT_EQ(view.button, (std::vector<std::string>{"Cancel"}));
  EXPECT_EQ(view.hideTimerMs, 2000);
  EXPECT_EQ(view.percent.back(), "");
  EXPECT_EQ(view.locks, (std::vector<bool>{true, false}));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(view.boardState, "");
}

// Each file goes in 1024-byte Write1k blocks and a shorter rest; a rest the
// WriteLess command cannot carry in one piece is split, never cut short.
TEST_F(Download, SendsBlocksAndRestsAtTheirAddresses) {
  struct Case {
    int32_t coded;
    std::vector<Command> expected;  // relative addresses; empty: only checked for cover
  };
  const std::vector<Case> cases = {
      {3072, {{20, 0, 1024}, {20, 1024, 1024}, {20, 2048, 1024}}},
      {1500, {{20, 0, 1024}, {21, 1024, 476}}},
      {600, {{21, 0, 600}}},
      {2046, {}},  // a rest of 1022
      {1023, {}},  // a rest of 1023
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.coded);
    config = {};
    Fill(SamplesFor(c.coded));
    Board board("sound,erase-ms=0");
    ASSERT_EQ(Run(board), Outcome::Success);
    const sound::LSU_SoundFile& file = config.GetMtFile(2);
    ASSERT_EQ(file.NrOfBytes, c.coded);
    const uint32_t at = uint32_t(file.Address);

    std::vector<Command> writes;  // the file's, relative to its address
    for (Command w : board.Commands())
      if (IsBlockWrite(w) && w.address >= at && w.address < at + uint32_t(c.coded)) {
        w.address -= at;
        writes.push_back(w);
      }
    if (!c.expected.empty()) {
      EXPECT_EQ(writes, c.expected);
    }
    uint32_t next = 0;
    for (const Command& w : writes) {
      EXPECT_EQ(w.address, next) << "pieces follow each other";
      EXPECT_LE(w.length, w.code == devlink::cmdWrite1k ? 1024u : 1021u);
      next = w.address + w.length;
    }
    EXPECT_EQ(next, uint32_t(c.coded));

    std::vector<uint8_t> coded;
    ASSERT_TRUE(file.GetBytes(coded, 0, file.NrOfBytes));
    const auto& flash = board.firmware->Flash();
    EXPECT_TRUE(std::equal(coded.begin(), coded.end(), flash.begin() + at));
    EXPECT_EQ(flash[at + uint32_t(c.coded)], sound::kErasedByte) << "the skipped byte";
  }
}

TEST_F(Download, MissingCategoryIsToldAndNothingIsSent) {
  Board board("sound,erase-ms=0");
  Fill();
  config.RemoveFile(0, sound::kLockup);
  EXPECT_EQ(Run(board), Outcome::Missing);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "At least one locku-up file is required");
  EXPECT_EQ(dialogs.messages[0].buttons, seams::DialogButtons::Ok);
  EXPECT_TRUE(board.Codes().empty());
  EXPECT_TRUE(view.frameShown.empty()) << "the frame is not shown";
  EXPECT_TRUE(view.locks.empty());

  config.RemoveFile(0, sound::kBoot);
  dialogs.messages.clear();
  EXPECT_EQ(Run(board), Outcome::Missing);
  EXPECT_EQ(dialogs.messages.at(0).text, "Boot file is missing") << "the first in flash order";
}

TEST_F(Download, CancelDuringTheEraseCodesAndSendsNothing) {
  Board board("sound,erase-ms=300", 3000);
  Fill();
  dialogs.answers = {seams::DialogResult::Cancel};
  CancelDuring(sound::kErasing);
  EXPECT_EQ(Run(board), Outcome::Canceled);

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, sound::kCancelQuestion);
  EXPECT_EQ(dialogs.messages[0].buttons, seams::DialogButtons::OkCancel);
  EXPECT_EQ(view.info.back(), "Canceled");
  EXPECT_EQ(view.percent.back(), "");
  EXPECT_EQ(view.button.back(), "Close");
  EXPECT_EQ(config.BootFile().NrOfBytes, 0) << "no coding started";
  for (int code :
       {devlink::cmdWrite1k, devlink::cmdWriteLess, devlink::cmdCheckCRC, devlink::cmdReset})
    EXPECT_FALSE(board.Sent(code)) << code;
  EXPECT_EQ(view.locks, (std::vector<bool>{true, false}));
  // The erase the board had begun ran to its end; the motion values are back.
  const auto& flash = board.firmware->Flash();
  EXPECT_EQ(std::vector<uint8_t>(flash.begin(), flash.begin() + 6),
            std::vector<uint8_t>(virtualboard::kFactoryMotion.begin(),
                                 virtualboard::kFactoryMotion.end()));
  EXPECT_EQ(flash[6], 0xFF) << "erased";
}

TEST_F(Download, CancelQuestionAnsweredOkGoesOn) {
  Board board("sound,erase-ms=0");
  Fill();
  dialogs.answers = {seams::DialogResult::Ok};
  CancelDuring(sound::kDownloading);
  EXPECT_EQ(Run(board), Outcome::Success);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(view.info.back(), sound::kSuccess);
}

TEST_F(Download, CancelDuringTheTransferStopsBeforeTheTable) {
  Board board("sound,erase-ms=0");
  Fill();
  dialogs.answers = {seams::DialogResult::Cancel};
  CancelDuring(sound::kDownloading);
  EXPECT_EQ(Run(board), Outcome::Canceled);
  EXPECT_EQ(view.info.back(), "Canceled");
  EXPECT_EQ(view.percent.back(), "");
  EXPECT_EQ(view.button.back(), "Close");
  const auto codes = board.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), devlink::cmdWrite1k), 1)
      << "events run after each block";
  EXPECT_FALSE(board.Sent(devlink::cmdCheckCRC));
  EXPECT_FALSE(board.Sent(devlink::cmdReset));
}

// Command numbers count from the download's first command: 1 GetAccParam,
// 2 ClearFlash, 3 SetAccParam, then the blocks: 4 Write1k and 5 WriteLess
// carry the boot file.
TEST_F(Download, BoardFaultsEndInConnectionLost) {
  struct Case {
    std::string spec;
    size_t blocks;  // block writes sent, the failing one included
  };
  const std::vector<Case> cases = {
      {"refuse-erase", 0}, {"drop=3", 0},  // motion values not written back
      {"bad-echo=4", 1},   {"drop=5", 2}, {"unplug=5", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    config = {};
    files = 0;
    view = {};
    Fill();
    Board board("sound,erase-ms=0," + c.spec, 20);
    ExpectFailure(board, Outcome::ConnectionLost, sound::kConnectionLost);
    EXPECT_TRUE(board.Sent(devlink::cmdClearFlash));
    EXPECT_EQ(view.boardState, sound::kBoardNotReady);
    const auto commands = board.Commands();
    EXPECT_EQ(size_t(std::count_if(commands.begin(), commands.end(), IsBlockWrite)), c.blocks)
        << "stopped at the failing command";
    EXPECT_FALSE(board.Sent(devlink::cmdCheckCRC));
  }
}

TEST_F(Download, EraseIsPolledTwentyTimesAtMost) {
  Fill();
  Board board("sound,erase-never", 10);
  ExpectFailure(board, Outcome::ConnectionLost, sound::kConnectionLost);
  const auto lines = board.LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "R timeout"), 20);
  EXPECT_EQ(view.percent.front(), "0 %");
  EXPECT_FALSE(board.Sent(devlink::cmdSetAccParam));
}

TEST_F(Download, UnreadMotionValuesStopBeforeTheErase) {
  Fill();
  Board board("sound,erase-ms=0,drop=1");
  board.firmware->Flash()[700] = 0x42;
  ExpectFailure(board, Outcome::ConnectionLost, sound::kConnectionLost);
  EXPECT_EQ(board.Codes(), (std::vector<int>{devlink::cmdGetAccParam}));
  EXPECT_EQ(board.firmware->Flash()[700], 0x42) << "the flash was not erased";
  EXPECT_EQ(view.boardState, "") << "the board holds what it held";
  EXPECT_EQ(board.firmware->Flash()[0], 180) << "the factory motion values are still there";
}

// The table is the one thing read back: a table the board did not take, a
// checksum it did not give and one that differs are memory check errors.
TEST_F(Download, TableFaultsAreMemoryCheckErrors) {
  Fill();
  int tableWrite = 0;
  {
    Board clean("sound,erase-ms=0");
    ASSERT_EQ(Run(clean), Outcome::Success);
    const auto commands = clean.Commands();
    const auto table = std::find(commands.begin(), commands.end(), Command{21, 12, 66});
    ASSERT_NE(table, commands.end());
    tableWrite = int(table - commands.begin()) + 1;
  }
  const std::string write = std::to_string(tableWrite), check = std::to_string(tableWrite + 1);
  const std::vector<std::pair<std::string, int>> faults = {
      {"bad-echo=" + write, tableWrite},  // the table is not confirmed: no check
      {"drop=" + write, tableWrite},
      {"drop=" + check, tableWrite + 1},  // no checksum comes back
      {"", tableWrite + 1},               // a checksum that differs (below)
  };
  for (const auto& [fault, sent] : faults) {
    SCOPED_TRACE(fault);
    view = {};
    Board board("sound,erase-ms=0" + (fault.empty() ? "" : "," + fault), 20);
    if (fault.empty())
      board.tamper = [](int code, std::vector<uint8_t>& answer) {
        if (code == devlink::cmdCheckCRC) answer[1] ^= 1;
      };
    ExpectFailure(board, Outcome::MemoryCheckError, sound::kMemoryCheckError);
    EXPECT_EQ(board.Commands().size(), size_t(sent));
    EXPECT_EQ(view.boardState, sound::kBoardNotReady);
  }
}

TEST_F(Download, ProgressRunsFromZeroToAHundred) {
  Fill(20000);
  Board board("sound,erase-ms=0");
  ASSERT_EQ(Run(board), Outcome::Success);
  EXPECT_EQ(view.percent.front(), "0 %");
  // The transfer's labels: at most one decimal, rising, ending at the whole.
  ASSERT_GT(view.transfer.size(), 20u);
  std::vector<double> values;
  for (const std::string& p : view.transfer) {
    EXPECT_TRUE(std::regex_match(p, std::regex(R"(\d+(\.\d)? %)"))) << p;
    values.push_back(std::stod(p));
  }
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_NEAR(values.back(), 100, 0.5);
  EXPECT_NEAR(view.percentComplete, 100, 0.5);
}

TEST(DownloadTexts, PercentAndChecksum) {
  EXPECT_EQ(sound::TenthPercent(37.5), "37.5 %");
  EXPECT_EQ(sound::TenthPercent(40), "40 %");
  EXPECT_EQ(sound::TenthPercent(39.96), "40 %");
  EXPECT_EQ(sound::TenthPercent(0.25), "0.2 %") << "halves to even";
  EXPECT_EQ(sound::TenthPercent(0), "0 %");
  EXPECT_EQ(sound::WholePercent(2.5), "2 %");
  EXPECT_EQ(sound::WholePercent(3.5), "4 %");
  EXPECT_EQ(sound::WholePercent(100), "100 %");

  EXPECT_EQ(sound::CRC_16b(std::vector<uint8_t>(1024, 255)), 64512u);
  EXPECT_EQ(sound::CRC_16b(std::vector<uint8_t>(257, 255)), (257u * 255) % 65536);
  EXPECT_EQ(sound::CRC_16b({}), 0u);
}

}  // namespace
