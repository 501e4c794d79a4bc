#pragma once
// The window tests' sound output: the real player without a sound (it
// keeps each sound's time with its timer), noting every WAV file it was
// given and how long it said it was.

#include <string>
#include <vector>

#include "widgets/WavPlayer.h"

namespace testing_support {

class SilentPlayer : public widgets::WavPlayer {
 public:
  SilentPlayer() : WavPlayer(Output::Silent) {}
  bool Play(const std::string& wav, double seconds) override {
    played.push_back(wav);
    lengths.push_back(seconds);
    return WavPlayer::Play(wav, seconds);
  }
  // As on a computer without an audio output.
  bool OutputAvailable() const override { return withOutput && WavPlayer::OutputAvailable(); }

  std::vector<std::string> played;
  std::vector<double> lengths;
  bool withOutput = true;
};

}  // namespace testing_support
