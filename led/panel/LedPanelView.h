#pragma once
// What the LED panel's logic needs of its controls and of the window it
// sits in. The window implements it with its widgets (whose object names
// are the control names below); MemoryLedPanelView keeps the values in
// memory for the command line and tests.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "devlink/TLS.h"

namespace led {

// Controls that the panel enables and disables. The image buttons show
// their "_off" picture while disabled.
enum class LedControl {
  LoadBtn,
  SaveBtn,
  btnUpdateLED,
  btnSendPulse,
  btnSendFoc,
  PickColor,
  ColorFidelity,
  FrameIdle,
  FrameFoc,
};

enum class PulseField { IdleTON, IdleTOFF, IdleTRISE, IdleTFALL, FocTON, FocTOFF, focNREP };
inline constexpr PulseField kTimeFields[] = {PulseField::IdleTON,   PulseField::IdleTOFF,
                                             PulseField::IdleTRISE, PulseField::IdleTFALL,
                                             PulseField::FocTON,    PulseField::FocTOFF};

inline constexpr int kOverdriveMin = 50;
inline constexpr int kOverdriveDesignMax = 150;
inline constexpr int kOverdriveDesignValue = 100;
inline constexpr const char* kFieldDesignText = "10";
inline constexpr int kLevelMax = 255;
inline constexpr int kLevelDesignValue = 100;

// The levels of the LED setting frame's sliders, channels 1..4.
using Levels = std::array<int, 4>;

class LedPanelView {
 public:
  virtual ~LedPanelView() = default;

  // The window around the panel.
  virtual devlink::TLS* FirstLink() = 0;  // null without a link
  virtual void GoOffline() = 0;
  // True while the connected (or last connected) board is an LED driver:
  // only then do the load and save buttons belong to the panel.
  virtual bool LedDriverIdentified() const = 0;

  virtual void SetEnabled(LedControl control, bool enabled) = 0;
  virtual void ShowLevelFrame(bool visible) = 0;  // PickColor_frame

  // LEDcombo.
  virtual void ClearLedTypes() = 0;
  virtual void AddLedType(const std::string& name) = 0;
  virtual void SelectLedType(int index) = 0;
  virtual std::string SelectedLedType() const = 0;
  // labelLED(1..4): black (0) for a channel the LED type does not have.
  virtual void SetChannelLabelColor(int channel, int32_t color) = 0;

  // OverdriveSlider (values outside its range are held to it) and
  // OverdriveLabel. The overdrive and its maximum are the logic's; the
  // label only shows them and is never read back.
  virtual void SetOverdriveMaximum(int maximum) = 0;
  virtual void SetOverdriveValue(int value) = 0;
  virtual int OverdriveValue() const = 0;
  virtual void SetOverdriveLabel(const std::string& text) = 0;

  virtual std::string FieldText(PulseField field) const = 0;
  virtual void SetFieldText(PulseField field, const std::string& text) = 0;
  // The field's correction changed what the user typed: note says how it
  // was read, to be shown at the field.
  virtual void FieldCorrected(PulseField /*field*/, const std::string& /*note*/) {}

  // The LED setting frame, channels 1..4: LabelLedSet, SliderLedSet (0..255,
  // ValueLedSet follows it) and ColorFidelity.
  virtual void ShowLevelChannel(int channel, bool visible) = 0;
  virtual void SetLevelLabelColor(int channel, int32_t color) = 0;
  virtual void SetLevel(int channel, int value) = 0;
  virtual int Level(int channel) const = 0;
  virtual bool ColorFidelityChecked() const = 0;

  // The pulses' levels or the LED type changed: pictures drawn from them
  // (colour swatches, pulse graphs) are out of date.
  virtual void PulsesChanged() {}
  // How a send to the board went, for the window's status line; error: the
  // board did not confirm it.
  virtual void ShowStatus(const std::string& /*text*/, bool /*error*/) {}

  Levels LevelsShown() const { return {Level(1), Level(2), Level(3), Level(4)}; }
};

// The panel's controls as values, for the command line and tests.
class MemoryLedPanelView : public LedPanelView {
 public:
  explicit MemoryLedPanelView(devlink::TLS* link = nullptr) : link(link) {}

  devlink::TLS* FirstLink() override { return link; }
  void GoOffline() override { ++wentOffline; }
  bool LedDriverIdentified() const override { return ledDriver; }
  void SetEnabled(LedControl control, bool on) override { enabled[control] = on; }
  void ShowLevelFrame(bool visible) override { levelFrameVisible = visible; }
  void ClearLedTypes() override {
    ledTypes.clear();
    selected = -1;
  }
  void AddLedType(const std::string& name) override { ledTypes.push_back(name); }
  void SelectLedType(int index) override { selected = index; }
  std::string SelectedLedType() const override {
    return selected >= 0 && selected < int(ledTypes.size()) ? ledTypes[selected] : "";
  }
  void SetChannelLabelColor(int channel, int32_t color) override {
    channelColors.at(channel - 1) = color;
  }
  void SetOverdriveMaximum(int maximum) override;
  void SetOverdriveValue(int value) override;
  int OverdriveValue() const override { return overdrive; }
  void SetOverdriveLabel(const std::string& text) override { overdriveLabel = text; }
  std::string FieldText(PulseField field) const override;
  void SetFieldText(PulseField field, const std::string& text) override { fields[field] = text; }
  void ShowLevelChannel(int channel, bool visible) override {
    levelVisible.at(channel - 1) = visible;
  }
  void SetLevelLabelColor(int channel, int32_t color) override {
    levelColors.at(channel - 1) = color;
  }
  void SetLevel(int channel, int value) override;
  int Level(int channel) const override { return levels.at(channel - 1); }
  bool ColorFidelityChecked() const override { return colorFidelity; }
  void ShowStatus(const std::string& text, bool error) override {
    status = text;
    statusIsError = error;
  }

  devlink::TLS* link;
  bool ledDriver = true;
  int wentOffline = 0;
  std::map<LedControl, bool> enabled;
  bool levelFrameVisible = false;
  std::vector<std::string> ledTypes;
  int selected = -1;
  std::array<int32_t, 4> channelColors{};
  int overdriveMax = kOverdriveDesignMax;
  int overdrive = kOverdriveDesignValue;
  std::string overdriveLabel = "100%";
  std::map<PulseField, std::string> fields;
  std::array<bool, 4> levelVisible{true, true, true, true};
  std::array<int32_t, 4> levelColors{};
  Levels levels{kLevelDesignValue, kLevelDesignValue, kLevelDesignValue, kLevelDesignValue};
  bool colorFidelity = false;
  std::string status;
  bool statusIsError = false;
};

}  // namespace led
