#pragma once
// Test sides of the window seams: hooks that record every text they are
// given and count the times events were let run, dialogs that answer from
// a script and record what was asked, and a sound output that notes what
// it was to play and ends a sound when the test says.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "seams/EventPump.h"
#include "seams/SoundPlayer.h"
#include "seams/UserDialogs.h"
#include "seams/WindowHooks.h"

namespace testing_support {

// The progress texts, and as the event pump a counter of the times events
// ran; Cancelled() is the work's cancel predicate, answering `cancel`.
class RecordingHooks : public seams::WindowHooks, public seams::EventPump {
 public:
  void SetInfoLabel(const std::string& text) override { info.push_back(text); }
  void SetPercentLabel(const std::string& text) override { percent.push_back(text); }
  void SetPercentComplete(double p) override { percentComplete = p; }
  void LetEventsRun() override {
    ++events;
    if (onEvents) onEvents();
  }
  std::function<bool()> Cancelled() const {
    return [this] { return cancel; };
  }

  std::vector<std::string> info, percent;
  double percentComplete = 0;
  bool cancel = false;
  int events = 0;
  std::function<void()> onEvents;  // e.g. a click on cancel during the work
};

struct AskedMessage {
  std::string text;
  seams::DialogIcon icon;
  seams::DialogButtons buttons;
  bool cancelByDefault = false;  // asked with AskCautiously
};

class ScriptedDialogs : public seams::UserDialogs {
 public:
  seams::DialogResult Message(const std::string& text, seams::DialogIcon icon,
                              seams::DialogButtons buttons) override {
    messages.push_back({text, icon, buttons});
    if (answers.empty())
      return buttons == seams::DialogButtons::Ok ? seams::DialogResult::Ok
                                                 : seams::DialogResult::Cancel;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  seams::DialogResult AskCautiously(const std::string& text, seams::DialogIcon icon,
                                    seams::DialogButtons buttons) override {
    const seams::DialogResult answer = Message(text, icon, buttons);
    messages.back().cancelByDefault = true;
    return answer;
  }
  std::optional<std::string> OpenFile(const seams::FileDialogRequest& r) override {
    fileRequests.push_back(r);
    if (whileOpenAsks) whileOpenAsks();
    return Next(openPaths);
  }
  std::optional<std::string> SaveFile(const seams::FileDialogRequest& r) override {
    fileRequests.push_back(r);
    return Next(savePaths);
  }
  std::optional<std::string> ChooseFolder(const std::string& initialFolder,
                                          const std::string& title) override {
    folderRequests.push_back({"", initialFolder, "", title, ""});
    return Next(folderPaths);
  }
  std::optional<int32_t> PickColor(int32_t initial) override {
    colorRequests.push_back(initial);
    if (colors.empty()) return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
  }

  std::vector<AskedMessage> messages;
  std::deque<seams::DialogResult> answers;  // for Message; none left: Ok / Cancel
  std::deque<std::optional<std::string>> openPaths, savePaths,
      folderPaths;  // none left: cancelled
  std::deque<std::optional<int32_t>> colors;
  std::vector<seams::FileDialogRequest> fileRequests;
  std::vector<seams::FileDialogRequest> folderRequests;  // initial folder and title
  std::vector<int32_t> colorRequests;
  std::function<void()> whileOpenAsks;  // runs while the open dialog would be up

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto p = q.front();
    q.pop_front();
    return p;
  }
};

// Plays nothing: notes each WAV file and its length; a sound "plays" until
// Stop or the test's End.
class ScriptedPlayer : public seams::SoundPlayer {
 public:
  struct Played {
    std::string wav;
    double seconds;
  };
  bool OutputAvailable() const override { return withOutput; }
  bool Play(const std::string& wav, double seconds) override {
    Stop();
    if (!withOutput) return false;
    played.push_back({wav, seconds});
    playing = true;
    return true;
  }
  void Stop() override { End(); }
  bool Playing() const override { return playing; }
  double ElapsedSeconds() const override { return 0; }
  // The sound ends by itself.
  void End() {
    if (!playing) return;
    playing = false;
    TellFinished();
  }

  std::vector<Played> played;
  bool playing = false;
  bool withOutput = true;
};

}  // namespace testing_support
