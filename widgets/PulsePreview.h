#pragma once
// A colour swatch that follows a light pulse in real time: a timer asks
// for the colour of the moment about 25 times a second while the swatch is
// shown, and stops while it is hidden.

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "widgets/ColorSwatch.h"

namespace widgets {

class PulsePreview : public ColorSwatch {
 public:
  static constexpr int kFrameMs = 40;

  // source: the colour ms after the pulse started.
  PulsePreview(const QString& name, std::function<QColor(double ms)> source,
               QWidget* parent = nullptr);

  const QTimer& Timer() const { return timer_; }
  // Starts the pulse again from its beginning (its times changed).
  void Restart();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Frame();

  std::function<QColor(double)> source_;
  QTimer timer_;
  QElapsedTimer clock_;
};

}  // namespace widgets
