#pragma once
// The LED panel's logic ("LED DRIVER SETUP"): choosing the LED type from the
// catalogue against the board's stored configuration, the overdrive, the
// idle pulse and flash on clash fields, the LED setting frame with its
// colour picker, the board commands of every button, and the LED settings
// file. It talks to its controls through LedPanelView (the window's widgets,
// or values in memory for the command line and tests) and to the user
// through UserDialogs. A board command that fails takes the link offline.

#include <cstdint>
#include <string>

#include "devlink/ConnectionLifecycle.h"
#include "devlink/TLS.h"
#include "led/LED_Driver.h"
#include "led/LED_Pulse.h"
#include "led/panel/LedPanelView.h"
#include "seams/UserDialogs.h"

namespace led {

inline constexpr const char* kUpdateLedWarning =
    "WARNING: Setting a different LED than actually installed may damage the LED and "
    "driver\r\nAre you sure you want to continue ?";
inline constexpr const char* kLedSettingsNotWritten = "Could not write the LED settings file ";
inline constexpr double kUpdateVoltage = 6.0;  // what btnUpdateLED and LEDcombo use
inline constexpr int kIdlePulse = 0;
inline constexpr int kFocPulse = 1;

class LedPanel {
 public:
  LedPanel(LedPanelView& view, seams::UserDialogs& dialogs, std::string appFolder);

  LED_Driver CurrentLED;
  // Where the settings files' dialogs start; the application folder unless
  // the window says otherwise.
  std::string SettingsFolder;
  LED_Pulse IdlePulse;
  LED_Pulse FocPulse;
  LED_Pulse* EditPulse = &IdlePulse;
  bool EditHigh = true;
  int32_t PickedColor = 0;

  // Image buttons, the colour picker button and the two pulse frames;
  // disabling also closes the LED setting frame.
  void EnableLedPanel(bool enabled);
  // Reads the board's configuration, lists the catalogue, selects the
  // board's LED type and reads both pulses. False on any failure.
  bool InitLedDrivers();
  // Why the catalogue could not be read the last time it was, or empty.
  const std::string& CatalogueProblem() const { return catalogueProblem_; }
  bool SelectLED(const std::string& LEDName, double Voltage, int32_t OverDrive);

  void ShowIdlePulse();
  void ShowFocPulse();
  void ReadIdlePulse();
  void ReadFocPulse();
  // Corrects a pulse field's text when it loses the focus.
  void FieldLostFocus(PulseField field);

  // Opens the LED setting frame on the levels of EditPulse chosen by
  // EditHigh.
  void ShowLevelEditor();

  // Handlers of the controls. Those that send return false when a board
  // command failed (the link has then gone offline).
  void LEDcomboClick();
  void OverdriveSliderChange();
  bool btnUpdateLEDClick();
  void btnPulseHighClick() { OpenLevelEditor(IdlePulse, true); }
  void btnPulseLowClick() { OpenLevelEditor(IdlePulse, false); }
  void btnFocHighClick() { OpenLevelEditor(FocPulse, true); }
  void PickColorClick();
  bool PickColorApplyClick();
  void PickColorOKClick();
  void PickColorCancelClick() { view_.ShowLevelFrame(false); }
  bool btnSendPulseClick();
  bool btnSendFocClick();

  // The load and save buttons while an LED driver is connected. False when
  // cancelled or when the file could not be read or written (said to the
  // user).
  bool SaveLedSettings();
  bool LoadLedSettings();

  const std::string& CatalogueFile() const { return catalogue_; }

 private:
  void OpenLevelEditor(LED_Pulse& pulse, bool high);
  bool SendPulse(int pulseId, const LED_Pulse& pulse);
  // Runs a board command on the first link; a failure takes it offline.
  template <class Command>
  bool RunCommand(Command command);
  seams::FileDialogRequest SettingsDialog() const;

  LedPanelView& view_;
  seams::UserDialogs& dialogs_;
  std::string appFolder_;
  std::string catalogue_;
  std::string catalogueProblem_;
};

}  // namespace led
