#pragma once
// Finding a window's controls by their control names (objectName), as the
// window tests drive them, and moving the mouse over one.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QString>
#include <QWidget>

namespace testing_support {

// The control of that name inside parent; null, and a test failure, when
// there is none.
template <typename W = QWidget>
W* Control(const QObject& parent, const QString& name) {
  W* w = parent.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name.toStdString();
  return w;
}

// The mouse moves over w, to `at` in its coordinates.
inline void MoveMouseOver(QWidget* w, QPoint at = QPoint(2, 2)) {
  QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

}  // namespace testing_support
