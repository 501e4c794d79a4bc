#pragma once
// Every control the system names is a Qt widget whose objectName is that
// name, so the hint line, the tests and the style sheets find it. Named
// builds one: widgets::Named<QLabel>("InfoLabel"), or with the control's
// own constructor arguments after the name:
// widgets::Named<QPushButton>("FrameButton", "Cancel").

#include <QString>
#include <utility>

namespace widgets {

template <typename W, typename... Args>
W* Named(const QString& name, Args&&... args) {
  auto* w = new W(std::forward<Args>(args)...);
  w->setObjectName(name);
  return w;
}

}  // namespace widgets
