#include "widgets/WavPlayer.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>

namespace widgets {

WavPlayer::WavPlayer(Output output, QObject* parent) : QObject(parent), output_(output) {
  end_.setSingleShot(true);
  connect(&end_, &QTimer::timeout, this, [this] { End(); });
}

WavPlayer::~WavPlayer() {
  // Listeners may be gone already: the sound just stops.
  end_.stop();
  effect_.reset();
}

bool WavPlayer::OutputAvailable() const {
  return output_ == Output::Silent || !QMediaDevices::audioOutputs().isEmpty();
}

bool WavPlayer::Play(const std::string& wav, double seconds) {
  Stop();
  if (!OutputAvailable()) return false;
  seconds_ = std::max(0.0, seconds);
  playing_ = true;
  clock_.start();
  end_.start(int(seconds_ * 1000) + (output_ == Output::Device ? kEndMarginMs : 0));
  if (output_ == Output::Device) {
    effect_ = std::make_unique<QSoundEffect>();
    QSoundEffect* effect = effect_.get();
    connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
      if (effect->status() == QSoundEffect::Ready) effect->play();
      if (effect->status() == QSoundEffect::Error) End();
    });
    connect(effect, &QSoundEffect::playingChanged, this, [this, effect] {
      if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready) End();
    });
    // The sample cache keeps a sound by its address while an effect holds
    // it, and the scratch file is rewritten for every playback: an address
    // of its own makes each playback read the file anew.
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(wav));
    url.setQuery(QString("play=%1").arg(++plays_));
    effect->setSource(url);
  }
  return playing_;  // a file the output refused at once has ended already
}

void WavPlayer::Stop() {
  if (!playing_) return;
  // Called by the user, never from the effect's own signals: it can go now,
  // and the next playback finds the scratch file's sound released.
  ReleaseEffect(false);
  End();
}

void WavPlayer::End() {
  if (!playing_) return;
  playing_ = false;
  end_.stop();
  ReleaseEffect(true);
  TellFinished();
}

// From inside one of its signals the effect is deleted once they returned.
void WavPlayer::ReleaseEffect(bool later) {
  if (!effect_) return;
  effect_->disconnect(this);
  effect_->stop();
  if (later)
    effect_.release()->deleteLater();
  else
    effect_.reset();
}

double WavPlayer::ElapsedSeconds() const {
  return playing_ ? std::min(seconds_, clock_.elapsed() / 1000.0) : 0.0;
}

void PlayWavAndWait(const QString& path, double seconds) {
  WavPlayer player;
  if (!player.OutputAvailable()) return;
  QEventLoop loop;
  player.WhenFinished([&loop] { loop.quit(); });
  if (!player.Play(path.toStdString(), seconds)) return;
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace widgets
