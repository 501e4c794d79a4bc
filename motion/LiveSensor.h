#pragma once
// The board's acceleration sensor, live: GetACC reads the three axes (in
// the sensor's units, -31..31, the units of the impact threshold) and the
// tilt. The motion panel's "Live" switch polls it about 20 times a second
// and plots the last 10 s; morvane-cli prints the readings.
//
// LiveSensor owns the switch's behaviour; the window implements
// LiveSensorView with a timer, a check box and a chart. Polling is one
// GetACC per timer tick on the window's one thread, so a poll never runs
// inside another command; a tick that comes while other work holds the
// board (a download between its commands, a question it asked) is
// skipped. A board that does not answer gets one message and the switch
// goes off; nothing else changes.

#include <deque>
#include <optional>
#include <string>

#include "devlink/TLS.h"
#include "seams/UserDialogs.h"

namespace motion {

inline constexpr int kLiveIntervalMs = 50;        // about 20 readings a second
inline constexpr double kLiveWindowSeconds = 10;  // what the plot keeps
inline constexpr const char* kNoLiveValuesCause =
    "The board did not answer the request for live sensor values (GetACC); its firmware may not "
    "offer them.";
// The window's message; the switch goes off.
inline const std::string kNoLiveValues = std::string(kNoLiveValuesCause) + " Live is switched off.";
// The same for a board that answered before and then did not.
inline constexpr const char* kLiveValuesStoppedCause =
    "The board stopped answering the request for live sensor values (GetACC).";
inline const std::string kLiveValuesStopped =
    std::string(kLiveValuesStoppedCause) + " Live is switched off.";

struct AccReading {
  double seconds = 0;  // since polling started
  int x = 0, y = 0, z = 0, tilt = 0;
  double Magnitude() const;
};

// One GetACC; nothing when the board did not answer it.
std::optional<AccReading> ReadAcc(devlink::TLS& link, double seconds);

// One line of text per reading, for scripts:
// "t=1.250 x=-3 y=8 z=1 tilt=15 magnitude=8.60" (seconds with three
// decimals, the axes and tilt as whole numbers, the magnitude with two).
std::string FormatReading(const AccReading& reading);

// The readings of the last kLiveWindowSeconds before the newest.
class LiveHistory {
 public:
  void Add(const AccReading& reading);
  void Clear() { readings_.clear(); }
  const std::deque<AccReading>& Readings() const { return readings_; }

 private:
  std::deque<AccReading> readings_;
};

class LiveSensorView {
 public:
  virtual ~LiveSensorView() = default;
  virtual devlink::TLS* FirstLink() = 0;  // null without a link
  // True while other work holds the board: the tick waits for the next.
  virtual bool BoardBusy() const = 0;
  // After a reading failed: looks at devices that came or went (a board
  // just unplugged goes offline here) and tells whether the board is still
  // online, so that a board that went does not count as one that does not
  // answer.
  virtual bool StillOnline() = 0;
  virtual void StartTimer(int intervalMs) = 0;
  virtual void StopTimer() = 0;
  virtual void SetLiveChecked(bool checked) = 0;
  virtual void ShowReadings(const LiveHistory& history) = 0;
};

class LiveSensor {
 public:
  LiveSensor(LiveSensorView& view, seams::UserDialogs& dialogs) : view_(view), dialogs_(dialogs) {}

  // The switch, turned on or off by the user; now in seconds on any steady
  // clock. Turned on, the plot starts afresh.
  void SetLive(bool on, double now);
  // Polling ends (the panel closes, a download starts, the board goes
  // offline); the plot keeps what it shows.
  void Stop();
  // The timer's tick: one GetACC unless the board is busy. An error that
  // the link throws stops polling and goes on to the caller.
  void Tick(double now);
  bool Running() const { return running_; }
  const LiveHistory& History() const { return history_; }

 private:
  LiveSensorView& view_;
  seams::UserDialogs& dialogs_;
  LiveHistory history_;
  bool running_ = false;
  double start_ = 0;
};

}  // namespace motion
