#pragma once
// The acceleration sensor configuration frame: six sliders with their
// values, factory values, send and close, and the live sensor: a "Live"
// switch that polls the board and plots the last 10 s of its three axes
// and their magnitude, with the impact threshold as a line that follows
// its slider. A thin view over motion/MotionSettings and
// motion/LiveSensor.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "devlink/TLS.h"
#include "motion/LiveSensor.h"
#include "motion/MotionSettings.h"
#include "seams/UserDialogs.h"

namespace widgets {
class LineChart;
}

namespace app {

// What the live sensor needs of the window around the panel.
struct LiveSensorHooks {
  seams::UserDialogs* dialogs = nullptr;
  // True while other work holds the board (a download, a question asked in
  // the middle of one).
  std::function<bool()> boardBusy;
  // Looks at devices that came or went; true while the board is online.
  std::function<bool()> stillOnline;
};

class MotionPanel : public motion::LiveSensorView {
 public:
  // Builds the frame, hidden, for the window to place. link: the board's
  // first link, if any; values: the window's six motion values; fw: the
  // board's firmware; live: what the live sensor needs of the window.
  MotionPanel(std::function<devlink::TLS*()> link, devlink::AccParams& values,
              std::function<int()> fw, LiveSensorHooks live);
  ~MotionPanel() override;

  QGroupBox* Frame() const { return frame_; }

  // Reads the board's values and shows them.
  void ReadAccData();
  // ConfigBtn: the flash period only for boards that take it, then show.
  void Show();
  void ShowSliders(const motion::Sliders& s);
  motion::Sliders Shown() const;

  // Where the panel says whether the board took a send: the window's
  // status line; error: it did not.
  std::function<void(const std::string& text, bool error)> showStatus;

  // Live polling ends: a download starts, the window closes.
  void StopLive() { live_.Stop(); }
  // The switch can be used only while a sound board is online (when
  // ConfigBtn can); made unavailable, polling ends.
  void SetLiveAvailable(bool available);

  // LiveSensorView.
  devlink::TLS* FirstLink() override { return link_(); }
  bool BoardBusy() const override { return hooks_.boardBusy && hooks_.boardBusy(); }
  bool StillOnline() override { return hooks_.stillOnline && hooks_.stillOnline(); }
  void StartTimer(int intervalMs) override { timer_->start(intervalMs); }
  void StopTimer() override { timer_->stop(); }
  void SetLiveChecked(bool checked) override;
  void ShowReadings(const motion::LiveHistory& history) override;

 private:
  QSlider* AddRow(QGridLayout* grid, int row, const char* caption, const char* slider,
                  const char* label, int index);
  void SetLabel(int index, int value);
  QWidget* BuildLive();
  double Now() const { return clock_.elapsed() / 1000.0; }

  QGroupBox* frame_;
  std::function<devlink::TLS*()> link_;
  devlink::AccParams& values_;
  std::function<int()> fw_;
  LiveSensorHooks hooks_;
  std::array<QSlider*, 6> sliders_{};
  std::array<QLabel*, 6> labels_{};
  QCheckBox* liveCheck_ = nullptr;
  widgets::LineChart* chart_ = nullptr;
  QTimer* timer_ = nullptr;
  QElapsedTimer clock_;
  std::unique_ptr<QObject> hideWatch_;
  motion::LiveSensor live_;
};

}  // namespace app
