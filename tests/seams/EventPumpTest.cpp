// The event pump seam: the pacer lets events run by elapsed time, never
// per step, and the Qt pump really runs the events that wait.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "seams/EventPump.h"
#include "seams/QtEventPump.h"

namespace {

using namespace std::chrono_literals;
using Clock = seams::EventPacer::Clock;

struct CountingPump : seams::EventPump {
  void LetEventsRun() override { ++runs; }
  int runs = 0;
};

// A clock the test moves: how often events run depends on the time that
// passed, never on how many steps the work took.
TEST(EventPacer, LetsEventsRunByElapsedTimeNotPerStep) {
  Clock::time_point now{};
  CountingPump pump;
  seams::EventPacer pacer(pump, 15ms, [&now] { return now; });
  // One step of work `later` after the last: how often events ran in all.
  const auto step = [&](Clock::duration later) {
    now += later;
    pacer.Tick();
    return pump.runs;
  };
  for (int i = 0; i < 100000; ++i) step(0ms);
  EXPECT_EQ(pump.runs, 0) << "many steps within the same moment";
  EXPECT_EQ(step(14ms), 0) << "14 ms after the start";
  EXPECT_EQ(step(1ms), 1) << "once 15 ms have passed";
  EXPECT_EQ(step(0ms), 1) << "and not again at the next step";
  EXPECT_EQ(step(14ms), 1) << "the next 15 ms count from the last run";
  pacer.Now();
  EXPECT_EQ(pump.runs, 2) << "Now runs them at once";
  EXPECT_EQ(step(14ms), 2) << "and the count starts again from Now";
  EXPECT_EQ(step(1h), 3) << "a long step lets events run once, not once per 15 ms missed";
}

TEST(QtEventPump, RunsTheEventsThatWait) {
  seams::QtEventPump pump;
  pump.LetEventsRun();  // no application object: nothing to run, no harm
  int argc = 1;
  char name[] = "seams_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  bool ran = false;
  QTimer::singleShot(0, &application, [&ran] { ran = true; });
  EXPECT_FALSE(ran);
  pump.LetEventsRun();
  EXPECT_TRUE(ran) << "a posted event ran inside LetEventsRun";
}

}  // namespace
