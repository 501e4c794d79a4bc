#pragma once
// The event pump of the Qt programs: QCoreApplication::processEvents. It
// needs Qt Core only, so morvane-cli's update (whose transfers are Qt
// events) uses it as well as the windows of morvane and brelka.

#include "seams/EventPump.h"

namespace seams {

class QtEventPump final : public EventPump {
 public:
  // Runs the events waiting now; without an application object there are
  // none.
  void LetEventsRun() override;
};

}  // namespace seams
