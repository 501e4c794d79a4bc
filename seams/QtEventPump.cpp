#include "seams/QtEventPump.h"

#include <QCoreApplication>

namespace seams {

void QtEventPump::LetEventsRun() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace seams
