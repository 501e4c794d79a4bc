#pragma once
// WAV playback that never holds up the window: a QSoundEffect plays the
// file while the window goes on, and the player keeps the time itself. A
// sound output that never reports the end (one without a device stays
// "playing" for ever) is stopped kEndMarginMs after the sound's length, so
// a playback always ends. Before playing, callers ask OutputAvailable():
// without an audio output nothing can be played.
//
// A silent player keeps the time of every sound without playing it: tests,
// and the pictures of the window, play through it.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "seams/SoundPlayer.h"

class QSoundEffect;

namespace widgets {

class WavPlayer : public QObject, public seams::SoundPlayer {
 public:
  enum class Output { Device, Silent };
  static constexpr int kEndMarginMs = 500;

  explicit WavPlayer(Output output = Output::Device, QObject* parent = nullptr);
  ~WavPlayer() override;

  bool OutputAvailable() const override;
  bool Play(const std::string& wav, double seconds) override;
  void Stop() override;
  bool Playing() const override { return playing_; }
  double ElapsedSeconds() const override;

 private:
  // The sound ended: by itself, stopped, or its time ran out.
  void End();
  void ReleaseEffect(bool later);

  Output output_;
  std::unique_ptr<QSoundEffect> effect_;
  QTimer end_;
  QElapsedTimer clock_;
  double seconds_ = 0;
  bool playing_ = false;
  int plays_ = 0;
};

// Plays a WAV file and returns when it has ended, never later than its
// length plus kEndMarginMs; at once without an audio output. User input
// waits meanwhile; the windows still repaint. (The converter's window
// plays this way.)
void PlayWavAndWait(const QString& path, double seconds);

}  // namespace widgets
