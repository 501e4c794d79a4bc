#pragma once
// The frames shown over the middle of the main window while they are in use
// (the LED, motion and download panels and the conversion note): named, on
// the window's own ground so nothing shows through, hidden until shown.

#include <QGroupBox>

#include "widgets/Named.h"

namespace app {

inline QGroupBox* OverlayFrame(const char* name, const char* caption) {
  auto* frame = widgets::Named<QGroupBox>(name, caption);
  frame->setAutoFillBackground(true);
  frame->hide();
  return frame;
}

}  // namespace app
