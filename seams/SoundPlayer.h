#pragma once
// Playing a WAV file without holding up the window: Play starts the sound
// and returns at once; the player tells whether it still plays and how far
// it got (a play head follows that), and calls its listeners when the sound
// ended, by itself or by Stop. The window plays through widgets::WavPlayer
// (Qt Multimedia); tests give a player that keeps the time without a sound.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace seams {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;

  // Whether there is a sound output to play on now.
  virtual bool OutputAvailable() const = 0;
  // Starts playing the WAV file, which lasts that many seconds; a sound
  // that still plays is stopped first. False when nothing could start.
  virtual bool Play(const std::string& wav, double seconds) = 0;
  // Stops the sound; nothing happens when none plays.
  virtual void Stop() = 0;
  virtual bool Playing() const = 0;
  // Seconds since the sound began, at most its length; 0 when none plays.
  virtual double ElapsedSeconds() const = 0;

  // Called after every sound that ended, by itself or stopped. The number
  // returned lets a listener that goes away first say so with Forget.
  int WhenFinished(std::function<void()> listener) {
    listeners_.emplace_back(++lastListener_, std::move(listener));
    return lastListener_;
  }
  void Forget(int listener) {
    std::erase_if(listeners_, [listener](const auto& l) { return l.first == listener; });
  }

 protected:
  void TellFinished() {
    const auto listeners = listeners_;  // a listener may start the next sound
    for (const auto& [id, listener] : listeners) listener();
  }

 private:
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int lastListener_ = 0;
};

}  // namespace seams
