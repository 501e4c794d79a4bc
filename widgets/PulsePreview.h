#pragma once
// A colour swatch that follows a light pulse in real time: a timer asks
// for the colour of the moment about 25 times a second while the swatch is
// shown, and stops while it is hidden. A pulse that takes no time is one
// still colour: it is shown once, and no timer runs for it.

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "widgets/ColorSwatch.h"

namespace widgets {

class PulsePreview : public ColorSwatch {
 public:
  static constexpr int kFrameMs = 40;

  // source: the colour ms after the pulse started; moving: whether the
  // pulse takes any time.
  PulsePreview(const QString& name, std::function<QColor(double ms)> source,
               std::function<bool()> moving, QWidget* parent = nullptr);

  const QTimer& Timer() const { return timer_; }
  // Starts the pulse again from its beginning (its times or levels
  // changed).
  void Restart();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Frame();

  std::function<QColor(double)> source_;
  std::function<bool()> moving_;
  QTimer timer_;
  QElapsedTimer clock_;
};

}  // namespace widgets
