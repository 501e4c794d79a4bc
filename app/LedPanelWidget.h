#pragma once
// The LED panel's widgets inside frmLED ("LED DRIVER SETUP"): the driver
// configuration (LED type, output channels, overdrive, update button), the
// idle pulse and flash on clash frames, and the LED setting frame with its
// level sliders and colour picker. A thin view: every click, slider move
// and focus change is forwarded, in one line, to an operation of
// led::LedPanel, which owns the behaviour and the state. The
// widgets' object names are the control names; arrays are named like
// "SliderLedSet(2)".
//
// Beside the controls it draws what they set: a swatch of the blade colour
// beside each level's "Set" button and in the LED setting frame (following
// the sliders as they move), a graph of each pulse's levels against time,
// redrawn as its fields change, and a swatch that plays the idle pulse in
// real time. What they show is worked out by the logic.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QSlider>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "app/ImageButtons.h"
#include "led/panel/LedPanel.h"
#include "led/panel/LedPanelView.h"
#include "session/ConnectionLifecycle.h"

class QCheckBox;
class QGridLayout;
class QPushButton;

namespace widgets {
class ColorSwatch;
class LineChart;
class PulsePreview;
}  // namespace widgets

namespace app {

class LedPanelWidget : public QObject, public led::LedPanelView {
 public:
  // Builds the panel's controls into frmLED. The window gives the link,
  // going offline and the device kind through its connection, and the load
  // and save buttons through its ConnectionView.
  LedPanelWidget(QGroupBox* frmLED, Bitmaps& bitmaps, seams::UserDialogs& dialogs,
                 const QString& appFolder, session::ConnectionLifecycle& connection,
                 session::ConnectionView& window);

  led::LedPanel& Logic() { return logic_; }

  // LedPanelView.
  devlink::TLS* FirstLink() override { return connection_.DeviceLinks().First(); }
  void GoOffline() override { connection_.GoOffline(); }
  bool LedDriverIdentified() const override {
    return connection_.DEVICE_TYPE() == devlink::kLedDriver;
  }
  void SetEnabled(led::LedControl control, bool enabled) override;
  void ShowLevelFrame(bool visible) override { pickFrame_->setVisible(visible); }
  void ClearLedTypes() override { ledCombo_->clear(); }
  void AddLedType(const std::string& name) override;
  void SelectLedType(int index) override { ledCombo_->setCurrentIndex(index); }
  std::string SelectedLedType() const override { return ledCombo_->currentText().toStdString(); }
  void SetChannelLabelColor(int channel, int32_t color) override;
  void SetOverdriveMaximum(int maximum) override { overdrive_->setMaximum(maximum); }
  void SetOverdriveValue(int value) override { overdrive_->setValue(value); }
  int OverdriveValue() const override { return overdrive_->value(); }
  void SetOverdriveLabel(const std::string& text) override;
  std::string FieldText(led::PulseField field) const override;
  void SetFieldText(led::PulseField field, const std::string& text) override;
  // The field flashes, and its tooltip (shown at once) says how it was read
  // until the user types into it again.
  void FieldCorrected(led::PulseField field, const std::string& note) override;
  void ShowLevelChannel(int channel, bool visible) override;
  void SetLevelLabelColor(int channel, int32_t color) override;
  void SetLevel(int channel, int value) override { levels_.at(channel - 1)->setValue(value); }
  int Level(int channel) const override { return levels_.at(channel - 1)->value(); }
  bool ColorFidelityChecked() const override;
  void PulsesChanged() override;
  void ShowStatus(const std::string& text, bool error) override {
    if (showStatus) showStatus(text, error);
  }

  // Where the panel says how a send went: the window's status line.
  std::function<void(const std::string& text, bool error)> showStatus;

 protected:
  // A pulse field that loses the focus gets its text corrected.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QGroupBox* BuildDriverFrame();
  QGroupBox* BuildIdleFrame();
  QGroupBox* BuildFocFrame();
  QGroupBox* BuildLevelFrame();
  QAbstractButton* ImageButton(led::LedControl control, const char* name, const char* bitmap,
                               std::function<void()> onClick);
  QPushButton* Button(const char* name, const char* caption, std::function<void()> onClick);
  struct PulseFrame {
    struct FieldRow {
      const char* caption;
      led::PulseField field;
      const char* unit;
    };
    struct SetRow {
      const char* caption;
      const char* name;
      const char* swatch;  // the swatch of the level's colour beside it
      std::function<void()> click;
    };
    led::LedControl frame;
    const char* name;
    const char* title;
    std::vector<FieldRow> fields;
    std::vector<SetRow> setButtons;
    led::LedControl sendControl;
    const char* sendName;
    std::function<void()> send;
    const char* chart;  // the graph of the pulse
  };
  QGroupBox* BuildPulseFrame(const PulseFrame& pulse);
  QLineEdit* Field(led::PulseField field);
  void DrawIdlePulse();
  void DrawFocPulse();
  void ShowLevelColors();

  led::LedPanel logic_;
  Bitmaps& bitmaps_;
  session::ConnectionLifecycle& connection_;
  session::ConnectionView& window_;
  QComboBox* ledCombo_ = nullptr;
  std::array<QLabel*, 4> channelLabels_{};
  QSlider* overdrive_ = nullptr;
  QLabel* overdriveLabel_ = nullptr;
  std::map<led::PulseField, QLineEdit*> fields_;
  QGroupBox* pickFrame_ = nullptr;
  std::array<QLabel*, 4> levelLabels_{};
  std::array<QSlider*, 4> levels_{};
  std::array<QLabel*, 4> levelValues_{};
  std::map<led::LedControl, QWidget*> controls_;
  std::map<std::string, widgets::ColorSwatch*> swatches_;
  widgets::LineChart* idleChart_ = nullptr;
  widgets::LineChart* focChart_ = nullptr;
  widgets::PulsePreview* idlePreview_ = nullptr;
  widgets::ColorSwatch* mixSwatch_ = nullptr;
};

}  // namespace app
