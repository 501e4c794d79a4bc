#pragma once
// morvane-cli motion watch [--seconds N]: the board's live sensor readings,
// one line of text each, about 20 a second for N seconds (default 10), for
// scripts. The format is motion::FormatReading's:
//   t=0.050 x=0 y=8 z=0 tilt=0 magnitude=8.00

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "devlink/TLS.h"

namespace frontend {

inline constexpr double kDefaultWatchSeconds = 10;
inline constexpr double kLongestWatchSeconds = 86400;

// The seconds that the arguments after "watch" ask for; throws UsageError.
double WatchSeconds(const std::vector<std::string>& args);

// The message when the board went while it was watched.
inline constexpr const char* kWatchedBoardGone = "the board was unplugged while it was watched.";

// Prints a reading every 50 ms (on a schedule: a slow reading does not
// push the later ones back) until the time is up or Ctrl+C is pressed,
// then says goodbye to the board. 0, or 1 when the board did not answer
// or went (said on err). stillThere, asked after a reading failed, looks
// at devices that came or went and tells whether the link is still the
// board's; a link that went is not touched again.
int RunMotionWatch(devlink::TLS& link, double seconds, std::ostream& out, std::ostream& err,
                   const std::function<bool()>& stillThere);

}  // namespace frontend
