#include "cli/MotionWatch.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>
#include <thread>

#include "cli/CliCommand.h"
#include "cli/ConsoleSeams.h"
#include "motion/LiveSensor.h"
#include "sound/FlashDownload.h"

namespace frontend {

namespace {

// The whole text as a decimal number, or nothing.
std::optional<double> Number(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

double WatchSeconds(const std::vector<std::string>& args) {
  if (args.empty()) return kDefaultWatchSeconds;
  const auto number =
      args.size() == 2 && args[0] == "--seconds" ? Number(args[1]) : std::optional<double>();
  if (!number || !(*number > 0) || *number > kLongestWatchSeconds)
    throw UsageError("motion watch takes --seconds N, N a number of seconds above 0 and up to " +
                     std::to_string(int(kLongestWatchSeconds)));
  return *number;
}

int RunMotionWatch(devlink::TLS& link, double seconds, std::ostream& out, std::ostream& err,
                   const std::function<bool()>& stillThere) {
  using Clock = std::chrono::steady_clock;
  const InterruptWatch interrupt;
  const auto interval = std::chrono::milliseconds(motion::kLiveIntervalMs);
  // Readings at 0, 0.05, ... up to but not including the end; a time
  // shorter than one interval still gets the reading at 0.
  const long long count = std::max<long long>(
      1, std::llround(std::ceil(seconds * 1000 / motion::kLiveIntervalMs - 1e-9)));
  const Clock::time_point start = Clock::now();
  for (long long k = 0; k < count && !interrupt.Interrupted(); ++k) {
    std::this_thread::sleep_until(start + k * interval);
    if (interrupt.Interrupted()) break;
    const double t = std::chrono::duration<double>(Clock::now() - start).count();
    const auto reading = motion::ReadAcc(link, t);
    if (!reading) {
      if (!stillThere()) {
        err << sound::kConnectionLost << ": " << kWatchedBoardGone << '\n';
        return 1;
      }
      err << (k > 0 ? motion::kLiveValuesStoppedCause : motion::kNoLiveValuesCause) << '\n';
      link.Bye();
      return 1;
    }
    out << motion::FormatReading(*reading) << '\n' << std::flush;
  }
  link.Bye();
  return 0;
}

}  // namespace frontend
