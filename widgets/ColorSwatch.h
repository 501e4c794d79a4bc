#pragma once
// A small patch of colour: the colour a level gives on the blade, beside
// the button that sets that level. Painted by hand; it has nothing to plot.

#include <QColor>
#include <QFrame>

namespace widgets {

class ColorSwatch : public QFrame {
 public:
  explicit ColorSwatch(const QString& name, QWidget* parent = nullptr);

  void SetColor(const QColor& color);
  QColor Color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_ = Qt::black;
};

}  // namespace widgets
