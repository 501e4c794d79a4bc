#include "app/Hints.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>

namespace app {

Hints::Hints(QLabel* helpLabel, QWidget* window)
    : QObject(helpLabel), label_(helpLabel), window_(window) {
  // The application's filter sees every mouse move, also over a control
  // that does not track the mouse itself.
  QCoreApplication::instance()->installEventFilter(this);
}

void Hints::Add(const QString& controlName, const QString& hint) {
  hints_.insert(controlName, hint);
}

bool Hints::eventFilter(QObject* watched, QEvent* event) {
  QPointF pos;
  if (event->type() == QEvent::MouseMove)
    pos = static_cast<QMouseEvent*>(event)->position();
  else if (event->type() == QEvent::Enter)
    pos = static_cast<QEnterEvent*>(event)->position();
  else
    return false;
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  const auto hint = hints_.constFind(widget->objectName());
  if (hint == hints_.constEnd() || widget->window() != window_) return false;
  // A move over a child reaches its parent too: only the control directly
  // under the mouse gives the hint.
  if (widget->childAt(pos.toPoint())) return false;
  label_->setText(*hint);
  return false;
}

}  // namespace app
