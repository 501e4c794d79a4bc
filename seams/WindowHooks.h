#pragma once
// The progress texts of long-running logic (coding, download): the phase
// text, the percent label and the share done. The window implements it
// with its labels, the command line with stderr, tests with a recorder.
// Letting window events run is the event pump's (seams/EventPump.h); a
// cancel is a predicate the caller passes where the work can be cancelled.

#include <string>

namespace seams {

class WindowHooks {
 public:
  virtual ~WindowHooks() = default;
  virtual void SetInfoLabel(const std::string& text) = 0;
  virtual void SetPercentLabel(const std::string& text) = 0;
  virtual void SetPercentComplete(double percent) = 0;
};

}  // namespace seams
