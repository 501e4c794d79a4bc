#pragma once
// Finding a window's controls by their control names (objectName), as the
// window tests drive them, moving the mouse over one, and choosing from a
// context menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QObject>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <optional>

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

// A right-click on the window at `at` (in its coordinates), through the
// window system, opens a context menu; the action of that control name is
// clicked in it when it is enabled, else the menu is closed with Escape.
// Whether the action was there and enabled; nothing when no menu came.
// text, when given, gets the action's text.
inline std::optional<bool> RightClickAndPick(QWidget* window, QPoint at, const char* action,
                                             QString* text = nullptr) {
  std::optional<bool> enabled;
  QTimer poll;
  int tries = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      if (++tries > 500) poll.stop();
      return;
    }
    poll.stop();
    QAction* a = menu->findChild<QAction*>(action);
    enabled = a && a->isEnabled();
    if (a && text) *text = a->text();
    if (*enabled)
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    else
      QTest::keyClick(menu, Qt::Key_Escape);
  });
  poll.start(10);
  QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, at);
  return enabled;
}

}  // namespace testing_support
