#include "app/Hints.h"

#include <QEnterEvent>
#include <QMouseEvent>

namespace app {

void Hints::Add(QWidget* control, const QString& hint) {
  hints_.insert(control, hint);
  control->setMouseTracking(true);
  control->installEventFilter(this);
}

bool Hints::eventFilter(QObject* watched, QEvent* event) {
  QPointF pos;
  if (event->type() == QEvent::MouseMove)
    pos = static_cast<QMouseEvent*>(event)->position();
  else if (event->type() == QEvent::Enter)
    pos = static_cast<QEnterEvent*>(event)->position();
  else
    return false;
  auto* widget = static_cast<QWidget*>(watched);
  // A move over a child reaches its parent too: only the control directly
  // under the mouse gives the hint.
  if (widget->childAt(pos.toPoint())) return false;
  label_->setText(hints_.value(watched));
  return false;
}

}  // namespace app
