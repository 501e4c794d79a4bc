#include "widgets/PulsePreview.h"

namespace widgets {

PulsePreview::PulsePreview(const QString& name, std::function<QColor(double)> source,
                           std::function<bool()> moving, QWidget* parent)
    : ColorSwatch(name, parent), source_(std::move(source)), moving_(std::move(moving)) {
  timer_.setObjectName(name + "Timer");
  timer_.setInterval(kFrameMs);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Frame(); });
  clock_.start();
}

void PulsePreview::Restart() {
  clock_.restart();
  Frame();
  if (isVisible() && moving_())
    timer_.start();
  else
    timer_.stop();
}

void PulsePreview::Frame() {
  SetColor(source_(double(clock_.elapsed())));
}

void PulsePreview::showEvent(QShowEvent* event) {
  ColorSwatch::showEvent(event);
  Restart();
}

void PulsePreview::hideEvent(QHideEvent* event) {
  timer_.stop();
  ColorSwatch::hideEvent(event);
}

}  // namespace widgets
