#pragma once
// "Let pending window events run": the one call that long work makes so
// that the window stays painted and its buttons (a cancel among them) can
// be clicked while the work goes on. The coding, the download, loading a
// configuration and the update's transfers take an EventPump; morvane,
// brelka and morvane-cli's update pass QtEventPump, morvane-cli's download
// passes a pump that lets Ctrl+C in, tests pass a recorder.

#include <chrono>
#include <functional>

namespace seams {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void LetEventsRun() = 0;
};

// Where no events wait: headless loads and coding on the command line.
class NoEventPump final : public EventPump {
 public:
  void LetEventsRun() override {}
};

// Lets events run by elapsed time, about every 15 ms of work, rather than
// at every step: the window stays as responsive, and tight loops (coding
// runs per block of samples) keep their speed.
class EventPacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kEvery{15};

  // now: the clock the pacer reads (tests give one they set).
  explicit EventPacer(EventPump& pump, std::chrono::milliseconds every = kEvery,
                      std::function<Clock::time_point()> now = Clock::now)
      : pump_(pump), every_(every), now_(std::move(now)), last_(now_()) {}

  // Lets events run when `every` has passed since they last ran (or since
  // the pacer was made).
  void Tick() {
    if (now_() - last_ >= every_) Now();
  }
  // Lets events run now; the next Tick counts from here.
  void Now() {
    last_ = now_();
    pump_.LetEventsRun();
  }

 private:
  EventPump& pump_;
  std::chrono::milliseconds every_;
  std::function<Clock::time_point()> now_;
  Clock::time_point last_;
};

}  // namespace seams
