// The motion, impact and lock-up parameters: what the sliders show for the
// board's values, what a send transmits, the firmware-293 rule for the
// flash period, and the read / send / restart / read-back exchange on the
// virtual board; and the live sensor's polling.

#include "motion/MotionSettings.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "devlink/DeviceLinks.h"
#include "motion/LiveSensor.h"
#include "tests/support/BoardAgent.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"
#include "virtualboard/VirtualBoardBus.h"

namespace {

using motion::Sliders;

struct Board {
  explicit Board(const std::string& spec)
      : board(virtualboard::MakeVirtualBoard(virtualboard::ParseBoardSpec(spec))) {
    auto& a = *board.agent;
    testing_support::MatchTheBoard(a);
    testing_support::BindOpenedInterfaces(a, links);
    a.TimeOut = 20;
    a.LogFile = log;
    a.Logging = true;
    a.Start();
    EXPECT_TRUE(a.FindDevices());
  }
  ~Board() { std::remove(log.c_str()); }
  devlink::TLS& Link() { return *links.First(); }
  // Every command report written, as its bytes.
  std::vector<std::vector<uint8_t>> Written() const {
    return testing_support::HidWrittenReports(log);
  }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& r : Written()) codes.push_back(r.at(0));
    return codes;
  }

  virtualboard::VirtualBoard board;
  devlink::DeviceLinks links;
  std::string log = testing_support::UniqueTempPath("motion") + ".log";
};

std::array<int, 6> Array(const Sliders& s) {
  return {s.MotionThreshold,  s.MotionDebouncing, s.ImpactThreshold,
          s.ImpactDebouncing, s.ImpactTime,       s.FOCTime};
}

TEST(MotionSettings, FlashPeriodSnapsToMultiplesOfFourHalvesToEven) {
  const std::vector<std::pair<int, int>> cases = {{22, 24}, {26, 24},     {21, 20},
                                                  {23, 24}, {30, 32},     {34, 32},
                                                  {20, 20}, {1000, 1000}, {998, 1000}};
  for (auto [ms, snapped] : cases) EXPECT_EQ(motion::SnapFlashPeriod(ms), snapped) << ms;
}

TEST(MotionSettings, SlidersShowBoardValuesAndTheFlashPeriodInMs) {
  const devlink::AccParams board{200, 7, 12, 60, 90, 30};
  EXPECT_EQ(Array(motion::SlidersFor(board, 293)), (std::array<int, 6>{200, 7, 12, 60, 90, 120}));
  EXPECT_EQ(Array(motion::SlidersFor(board, 292)), (std::array<int, 6>{200, 7, 12, 60, 90, 52}))
      << "below firmware 293 the flash period is fixed";
  const devlink::AccParams odd{0, 0, 40, 0, 0, 0};  // outside the sliders: passed through
  EXPECT_EQ(Array(motion::SlidersFor(odd, 300)), (std::array<int, 6>{0, 0, 40, 0, 0, 0}));

  EXPECT_EQ(motion::AsArray(motion::BoardValuesFor({1, 25, 31, 255, 1, 1000})),
            (std::array<int, 6>{1, 25, 31, 255, 1, 250}));
  EXPECT_EQ(motion::BoardValuesFor(motion::kFactorySliders).FOCTime, 13);
  EXPECT_EQ(motion::BoardValuesFor({1, 2, 3, 4, 5, 22}).FOCTime, 6) << "snapped to 24 first";
  EXPECT_EQ(motion::BoardValuesFor({1, 2, 3, 4, 5, 26}).FOCTime, 6);
}

TEST(MotionSettings, BoardValuesAreHeldToTheSliderRanges) {
  const std::vector<std::tuple<size_t, int, int>> cases = {
      {0, 0, 1}, {0, 256, 255}, {0, 180, 180}, {1, 1, 2}, {1, 26, 25},   {2, -1, 0},  {2, 32, 31},
      {3, 0, 1}, {3, 300, 255}, {4, 0, 1},     {5, 4, 5}, {5, 251, 250}, {5, 30, 30},
  };
  for (auto [index, value, held] : cases)
    EXPECT_EQ(motion::HoldBoardValue(index, value, 293), held) << index << " " << value;
  for (int value : {5, 30, 250}) EXPECT_EQ(motion::HoldBoardValue(5, value, 292), 13);
  EXPECT_EQ(motion::HoldBoardValue(0, 300, 292), 255) << "only the flash period depends on it";
}

TEST(MotionSettings, ReadAccDataKeepsTheValuesWhenTheBoardDoesNotAnswer) {
  Board good("usb2,fw=293");
  ASSERT_TRUE(good.Link().SetAccParam({200, 7, 12, 60, 90, 30}));
  devlink::AccParams values;
  EXPECT_EQ(Array(motion::ReadAccData(good.Link(), values, 293)),
            (std::array<int, 6>{200, 7, 12, 60, 90, 120}));
  EXPECT_EQ(values.FOCTime, 30);

  Board silent("usb2,fw=293,drop=1");
  values = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(Array(motion::ReadAccData(silent.Link(), values, 293)),
            (std::array<int, 6>{1, 2, 3, 4, 5, 24}));
  EXPECT_EQ(motion::AsArray(values), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
}

TEST(MotionSettings, SendRestartsTheBoardAndReadsBack) {
  Board board("usb2,fw=293");
  devlink::AccParams values;
  ASSERT_TRUE(motion::SendAccData(board.Link(), {100, 3, 9, 40, 80, 1000}, values));
  EXPECT_EQ(board.Codes(), (std::vector<int>{devlink::cmdSetAccParam, devlink::cmdReset,
                                             devlink::cmdGetAccParam}));
  const auto sent = board.Written().at(0);
  EXPECT_EQ(std::vector<int>(sent.begin() + 1, sent.begin() + 7),
            (std::vector<int>{100, 3, 9, 40, 80, 250}));
  EXPECT_EQ(motion::AsArray(values), (std::array<int, 6>{100, 3, 9, 40, 80, 250}));
  EXPECT_EQ(board.board.firmware->Flash()[5], 250);
}

TEST(MotionSettings, OldFirmwareSendsTheFixedFlashPeriod) {
  Board board("usb2,fw=292");
  devlink::AccParams values{180, 2, 10, 50, 125, 40};
  const Sliders shown = motion::SlidersFor(values, 292);
  EXPECT_EQ(shown.FOCTime, 52);
  ASSERT_TRUE(motion::SendAccData(board.Link(), shown, values));
  EXPECT_EQ(board.Written().at(0).at(6), 13);
  EXPECT_EQ(values.FOCTime, 13);
}

TEST(MotionSettings, UnconfirmedSendDoesNothingMore) {
  Board board("usb2,fw=293,drop=1");
  devlink::AccParams values{1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(motion::SendAccData(board.Link(), motion::kFactorySliders, values));
  EXPECT_EQ(board.Codes(), (std::vector<int>{devlink::cmdSetAccParam}));
  EXPECT_EQ(motion::AsArray(values), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
}

// The window's side of the live sensor, recorded.
struct LiveView : motion::LiveSensorView {
  devlink::TLS* FirstLink() override {
    if (failing) throw std::runtime_error("An unknown error has occurred!");
    return link;
  }
  bool BoardBusy() const override { return busy; }
  bool StillOnline() override { return online; }
  void StartTimer(int ms) override { timerMs = ms; }
  void StopTimer() override { timerMs = 0; }
  void SetLiveChecked(bool on) override { checked = on; }
  void ShowReadings(const motion::LiveHistory& history) override {
    shown = history.Readings().size();
  }

  devlink::TLS* link = nullptr;
  bool busy = false, online = true, failing = false;
  int timerMs = 0;
  bool checked = false;
  size_t shown = 0;
};

// The live sensor on a virtual board, with the window's side recorded.
struct Live {
  explicit Live(const std::string& spec) : board(spec), live(view, dialogs) {
    view.link = &board.Link();
  }
  Board board;
  LiveView view;
  testing_support::ScriptedDialogs dialogs;
  motion::LiveSensor live;
};

// Ticks every 1/16 s for 12 s: one GetACC each, the plot keeps the last
// 10 s; a tick while the board is busy sends nothing.
TEST(LiveSensor, OneReadingPerTickAndTenSecondsKept) {
  Live l("sound");
  auto& [board, view, dialogs, live] = l;
  live.SetLive(true, 50);
  EXPECT_TRUE(view.checked);
  EXPECT_EQ(view.timerMs, motion::kLiveIntervalMs);
  for (int i = 0; i <= 192; ++i) live.Tick(50 + i / 16.0);
  const auto& readings = live.History().Readings();
  ASSERT_EQ(readings.size(), 161u) << "2 s to 12 s";
  EXPECT_EQ(readings.front().seconds, 2);
  EXPECT_EQ(readings.back().seconds, 12);
  EXPECT_EQ(view.shown, 161u);
  EXPECT_EQ(board.Codes().size(), 193u);

  view.busy = true;
  live.Tick(62.5);
  EXPECT_EQ(board.Codes().size(), 193u) << "a busy board is not asked";
  EXPECT_TRUE(live.Running());
  view.busy = false;
  live.Tick(62.5625);
  EXPECT_EQ(board.Codes().size(), 194u);

  live.SetLive(false, 63);
  EXPECT_FALSE(view.checked);
  EXPECT_EQ(view.timerMs, 0);
  live.Tick(63.0625);
  EXPECT_EQ(board.Codes().size(), 194u) << "stopped";
  live.SetLive(true, 70);
  EXPECT_TRUE(live.History().Readings().empty()) << "a new start plots afresh";
}

TEST(LiveSensor, AReadingThatFailsEndsPolling) {
  Live l("sound,no-acc");
  auto& [board, view, dialogs, live] = l;
  live.SetLive(true, 0);
  live.Tick(0.05);
  EXPECT_FALSE(live.Running());
  EXPECT_FALSE(view.checked);
  EXPECT_EQ(view.timerMs, 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, motion::kNoLiveValues);
  EXPECT_EQ(dialogs.messages[0].icon, seams::DialogIcon::Exclamation);

  // The board went: the window found it offline, so no message.
  view.online = false;
  live.SetLive(true, 1);
  live.Tick(1.05);
  EXPECT_FALSE(live.Running());
  EXPECT_EQ(dialogs.messages.size(), 1u);

  // A board that answered and then stops is not one without live values.
  Live dropping("sound,drop=3");
  dropping.live.SetLive(true, 0);
  for (double t : {0.05, 0.1, 0.15}) dropping.live.Tick(t);
  EXPECT_FALSE(dropping.live.Running());
  EXPECT_EQ(dropping.live.History().Readings().size(), 2u) << "the plot keeps what it shows";
  ASSERT_EQ(dropping.dialogs.messages.size(), 1u);
  EXPECT_EQ(dropping.dialogs.messages[0].text, motion::kLiveValuesStopped);

  // An error of the HID layer goes on to the window, once: polling ends.
  view.failing = true;
  live.SetLive(true, 2);
  EXPECT_THROW(live.Tick(2.05), std::runtime_error);
  EXPECT_FALSE(live.Running());
  EXPECT_EQ(view.timerMs, 0);
}

}  // namespace
