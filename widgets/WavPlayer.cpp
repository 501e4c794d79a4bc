#include "widgets/WavPlayer.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace widgets {

void PlayWavAndWait(const QString& path, double seconds) {
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  QSoundEffect effect;
  QEventLoop loop;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
    if (effect.status() == QSoundEffect::Ready) effect.play();
    if (effect.status() == QSoundEffect::Error) loop.quit();
  });
  QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
    if (!effect.isPlaying() && effect.status() == QSoundEffect::Ready) loop.quit();
  });
  effect.setSource(QUrl::fromLocalFile(path));
  guard.start(int(std::max(0.0, seconds) * 1000) + 1000);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  effect.stop();
}

}  // namespace widgets
