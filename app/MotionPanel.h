#pragma once
// The acceleration sensor configuration frame (ConfigFrame): six sliders
// with their values, factory values, send and close. A thin view over
// motion/MotionSettings.

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <array>
#include <functional>

#include "devlink/TLS.h"
#include "motion/MotionSettings.h"

namespace app {

class MotionPanel {
 public:
  // Builds the frame, hidden, for the window to place. link: the board's
  // first link, if any; values: the window's six motion values; fw: the
  // board's firmware.
  MotionPanel(std::function<devlink::TLS*()> link, devlink::AccParams& values,
              std::function<int()> fw);

  QGroupBox* Frame() const { return frame_; }

  // Reads the board's values and shows them.
  void ReadAccData();
  // ConfigBtn: the flash period only for boards that take it, then show.
  void Show();
  void ShowSliders(const motion::Sliders& s);
  motion::Sliders Shown() const;

 private:
  QSlider* AddRow(QGridLayout* grid, int row, const char* caption, const char* slider,
                  const char* label, int index);
  void SetLabel(int index, int value);

  QGroupBox* frame_;
  std::function<devlink::TLS*()> link_;
  devlink::AccParams& values_;
  std::function<int()> fw_;
  std::array<QSlider*, 6> sliders_{};
  std::array<QLabel*, 6> labels_{};
};

}  // namespace app
