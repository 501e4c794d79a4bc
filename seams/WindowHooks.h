#pragma once
// What long-running logic (coding, download, update, panels) needs of the
// window it runs under: progress texts, the cancel flag and a way to let
// pending window events run. The window implements it with its labels, the
// command line with stderr, tests with a recorder.

#include <chrono>
#include <string>

namespace seams {

class WindowHooks {
 public:
  virtual ~WindowHooks() = default;
  virtual void SetInfoLabel(const std::string& text) = 0;
  virtual void SetPercentLabel(const std::string& text) = 0;
  virtual void SetPercentComplete(double percent) = 0;
  virtual bool CancelDownload() const = 0;
  // Lets pending window events run (clicks on a cancel button among them).
  virtual void DoEvents() = 0;
};

// Lets window events run about every 15 ms of work rather than at every
// step, so the window stays responsive and tight loops run at full speed.
class EventPump {
 public:
  explicit EventPump(WindowHooks& hooks,
                     std::chrono::milliseconds every = std::chrono::milliseconds(15))
      : hooks_(hooks), every_(every), last_(std::chrono::steady_clock::now()) {}
  void Tick() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < every_) return;
    last_ = now;
    hooks_.DoEvents();
  }
  void Now() {
    last_ = std::chrono::steady_clock::now();
    hooks_.DoEvents();
  }

 private:
  WindowHooks& hooks_;
  std::chrono::milliseconds every_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace seams
