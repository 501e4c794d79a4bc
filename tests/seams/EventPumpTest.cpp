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
  for (int step = 0; step < 100000; ++step) pacer.Tick();
  EXPECT_EQ(pump.runs, 0) << "many steps within the same moment";
  now += 14ms;
  pacer.Tick();
  EXPECT_EQ(pump.runs, 0) << "14 ms after the start";
  now += 1ms;
  pacer.Tick();
  pacer.Tick();
  EXPECT_EQ(pump.runs, 1) << "once 15 ms have passed, and not again at the next step";
  now += 14ms;
  pacer.Tick();
  EXPECT_EQ(pump.runs, 1) << "the next 15 ms count from the last run";
  pacer.Now();
  EXPECT_EQ(pump.runs, 2) << "Now runs them at once";
  now += 14ms;
  pacer.Tick();
  EXPECT_EQ(pump.runs, 2) << "and the count starts again from Now";
  now += 1h;
  pacer.Tick();
  EXPECT_EQ(pump.runs, 3) << "a long step lets events run once, not once per 15 ms missed";
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
