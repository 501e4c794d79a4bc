#include "motion/LiveSensor.h"

#include <cmath>
#include <cstdio>

namespace motion {

double AccReading::Magnitude() const {
  return std::sqrt(double(x) * x + double(y) * y + double(z) * z);
}

std::optional<AccReading> ReadAcc(devlink::TLS& link, double seconds) {
  AccReading r;
  r.seconds = seconds;
  if (!link.GetACC(r.x, r.y, r.z, r.tilt)) return std::nullopt;
  return r;
}

std::string FormatReading(const AccReading& r) {
  char line[128];
  std::snprintf(line, sizeof line, "t=%.3f x=%d y=%d z=%d tilt=%d magnitude=%.2f", r.seconds, r.x,
                r.y, r.z, r.tilt, r.Magnitude());
  return line;
}

void LiveHistory::Add(const AccReading& reading) {
  readings_.push_back(reading);
  while (readings_.front().seconds < reading.seconds - kLiveWindowSeconds) readings_.pop_front();
}

void LiveSensor::SetLive(bool on, double now) {
  if (!on) {
    Stop();
    return;
  }
  if (running_) return;
  running_ = true;
  start_ = now;
  history_.Clear();
  view_.ShowReadings(history_);
  view_.SetLiveChecked(true);
  view_.StartTimer(kLiveIntervalMs);
}

void LiveSensor::Stop() {
  running_ = false;
  view_.StopTimer();
  view_.SetLiveChecked(false);
}

void LiveSensor::Tick(double now) {
  if (!running_ || view_.BoardBusy()) return;
  devlink::TLS* link = nullptr;
  std::optional<AccReading> reading;
  try {
    link = view_.FirstLink();
    if (link) reading = ReadAcc(*link, now - start_);
  } catch (...) {
    Stop();  // an error of the HID layer is said once, not at every tick
    throw;
  }
  if (!reading) {
    Stop();
    // Readings shown since the switch went on: the board offers them and
    // stopped answering, which is told apart from a board that never did.
    const bool answeredBefore = !history_.Readings().empty();
    if (link && view_.StillOnline())
      dialogs_.Message(answeredBefore ? kLiveValuesStopped : kNoLiveValues,
                       seams::DialogIcon::Exclamation, seams::DialogButtons::Ok);
    return;
  }
  history_.Add(*reading);
  view_.ShowReadings(history_);
}

}  // namespace motion
