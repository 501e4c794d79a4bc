#include "widgets/ColorSwatch.h"

#include <QPainter>

namespace widgets {

ColorSwatch::ColorSwatch(const QString& name, QWidget* parent) : QFrame(parent) {
  setObjectName(name);
  setFrameShape(QFrame::Box);
  setMinimumSize(32, 20);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  SetColor(color_);
}

void ColorSwatch::SetColor(const QColor& color) {
  if (color == color_ && !toolTip().isEmpty()) return;
  color_ = color;
  setToolTip(QString("Colour on the blade: red %1, green %2, blue %3")
                 .arg(color.red())
                 .arg(color.green())
                 .arg(color.blue()));
  update();
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(contentsRect(), color_);
  painter.end();
  QFrame::paintEvent(event);
}

}  // namespace widgets
