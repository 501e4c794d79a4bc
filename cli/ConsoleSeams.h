#pragma once
// The window seams on a terminal: message boxes printed on stderr (every
// box the command line meets is a refusal, a failure or a question), the
// phase texts and a progress bar of long work, and Ctrl+C as the cancel
// button.

#include <atomic>
#include <string>
#include <thread>

#include "seams/EventPump.h"
#include "seams/UserDialogs.h"
#include "sound/FlashDownload.h"

namespace frontend {

// The window's CR LF line ends (messages are written for message boxes)
// as the plain LF a terminal wants.
std::string ForTerminal(const std::string& text);

class StderrDialogs : public seams::UserDialogs {
 public:
  // Questions are answered with Cancel: from the command line that is the
  // answer that stops work.
  seams::DialogResult Message(const std::string& text, seams::DialogIcon icon,
                              seams::DialogButtons buttons) override;
  std::optional<std::string> OpenFile(const seams::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const seams::FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return {};
  }
  std::optional<int32_t> PickColor(int32_t) override { return {}; }
};

// Ctrl+C, caught on a thread of its own so that no transfer is interrupted.
class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  bool Interrupted() const { return interrupted_; }

 private:
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> stop_{false};
  std::thread watcher_;
};

// The terminal's one event, Ctrl+C, as the event pump of long work: when
// events run after Ctrl+C was pressed, onInterrupt is called, once.
class InterruptEvents : public seams::EventPump {
 public:
  explicit InterruptEvents(const InterruptWatch& interrupt) : interrupt_(interrupt) {}
  std::function<void()> onInterrupt;
  void LetEventsRun() override;

 private:
  const InterruptWatch& interrupt_;
  bool seen_ = false;
};

// Phase texts as lines, and on a terminal a progress bar under them.
class ConsoleProgress : public sound::DownloadView {
 public:
  void SetInfoLabel(const std::string& text) override;
  void SetPercentLabel(const std::string& text) override;
  void SetPercentComplete(double percent) override;
  void ShowDownloadFrame(bool) override {}
  void SetFrameButton(const std::string&) override {}
  void StartHideFrameTimer(int) override {}
  void LockControls(bool) override {}
  void ShowBoardState(const std::string& text) override;
  // Ends the bar's line.
  void Done();

 private:
  void Draw();
  // A line of its own, below the bar.
  void Line(const std::string& text);

  bool barShown_ = false;
  std::string info_, percentText_;
  double percent_ = 0;
};

}  // namespace frontend
