#pragma once
// The LED panel's logic ("LED DRIVER SETUP"): choosing the LED type from the
// catalogue against the board's stored configuration, the overdrive, the
// idle pulse and flash on clash fields, the LED setting frame with its
// colour picker, the board commands of every button, and the LED settings
// file. Its operations say what they do; the window's widgets forward to
// them and the command line calls them. It keeps the panel's state (the LED
// type, the pulses, the overdrive and its maximum) and shows it through
// LedPanelView (the window's widgets, or values in memory for the command
// line and tests), reading back only what the user types or moves; it talks
// to the user through UserDialogs. A board command that fails takes the
// link offline; every send says in the view's status line whether the
// board took it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devlink/TLS.h"
#include "led/LED_Driver.h"
#include "led/LED_Pulse.h"
#include "led/PulseGraph.h"
#include "led/panel/LedPanelView.h"
#include "seams/Result.h"
#include "seams/UserDialogs.h"

namespace led {

inline constexpr const char* kUpdateLedWarning =
    "WARNING: Setting a different LED than actually installed may damage the LED and "
    "driver\r\nAre you sure you want to continue ?";
// The questions before LED settings that changed since they were read
// from the board, loaded or saved would be lost.
inline constexpr const char* kSaveLedBeforeClosing =
    "The LED settings have changed. Save them before closing?";
inline constexpr const char* kSaveLedBeforeLoading =
    "The LED settings have changed. Save them before loading other settings?";
// Added to a settings file name typed without an extension.
inline constexpr const char* kLedSettingsExtension = "ldset";
// What the status line says after a send: "The board took the idle
// pulse." or "The board did not confirm the idle pulse: ...".
std::string SentText(const std::string& what);
std::string NotConfirmedText(const std::string& what);
inline constexpr const char* kLedConfiguration = "LED configuration";
inline constexpr const char* kIdlePulseName = "idle pulse";
inline constexpr const char* kFocPulseName = "flash on clash";
inline constexpr const char* kLevelsName = "LED levels";
inline constexpr double kUpdateVoltage = 6.0;  // what btnUpdateLED and LEDcombo use
inline constexpr int kIdlePulse = 0;
inline constexpr int kFocPulse = 1;
// The idle pulse repeats without end; its graph shows this many cycles.
inline constexpr int kIdleCyclesDrawn = 2;
// The most flashes a flash-on-clash graph shows (what the repeat field allows).
inline constexpr int kMostFlashesDrawn = 10;

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
  // The last InitLedDrivers failed because the driver did not answer, not
  // because of the catalogue.
  bool DriverSilent() const { return driverSilent_; }
  // Why the catalogue could not be read the last time it was, or empty.
  const std::string& CatalogueProblem() const { return catalogueProblem_; }
  const std::string& CatalogueFile() const { return catalogue_; }
  // The LED types listed from the catalogue, in its order, and the one
  // chosen last (the board's at InitLedDrivers, or SelectType's).
  const std::vector<std::string>& LedTypes() const { return ledTypes_; }
  const std::string& SelectedType() const { return selectedType_; }

  // Makes the LED type of that name the current one with 6.0 V and the
  // given overdrive, lowered to the type's maximum; the panel shows it,
  // nothing is sent. False when the catalogue could not be read (said to
  // the user). Without an overdrive the one shown stays.
  bool SelectType(const std::string& name, int32_t overdrive);
  bool SelectType(const std::string& name) { return SelectType(name, overdrive_); }
  // The overdrive shown (slider and label), held to kOverdriveMin ..
  // OverdriveMaximum(). The LED type's own OverDrive follows it only
  // through SelectType and UpdateDriver.
  void SetOverdrive(int32_t overdrive);
  int32_t Overdrive() const { return overdrive_; }
  // 10000 / the highest MaxDC of the current type: the overdrive that takes
  // its highest duty cycle to 100 %.
  int32_t OverdriveMaximum() const { return overdriveMaximum_; }
  // Asks whether a different LED than the one installed may be set; on OK
  // writes the current type with 6.0 V and the shown overdrive to the
  // board and reads everything back. False when the board did not take it
  // (the link has then gone offline); true when the user cancelled.
  bool UpdateDriver();

  // Read the pulse's fields, then set it on the board and start it. Both
  // commands are made even when the first fails; false when one did.
  bool SendIdlePulse();
  bool SendFlashOnClash();
  // Corrects a pulse field's text, as when it loses the focus; when that
  // changed the number typed, the view is told how the text was read.
  void CorrectField(PulseField field);

  // The LED setting frame: opened on the high or low levels of one pulse;
  // PickColor sets the sliders of the red, green and blue channels from
  // the colour dialog, balanced to the LEDs' brightness with colour
  // fidelity; ApplyLevels shows levels on the LEDs at once (false when the
  // board did not take them); StoreLevels keeps them in the edited pulse
  // and closes the frame. Levels beyond the LED type's channels are
  // ignored, the others held to 0..kLevelMax.
  void OpenLevelEditor(LED_Pulse& pulse, bool high);
  void PickColor(bool colorFidelity);
  bool ApplyLevels(const Levels& levels);
  void StoreLevels(const Levels& levels);
  void CloseLevelEditor() { view_.ShowLevelFrame(false); }

  // What the panel's pictures show, from the fields as a send would read
  // them now and the pulses' levels; nothing is stored. The idle pulse is
  // drawn over kIdleCyclesDrawn cycles; the flash on clash over its repeat
  // count (1 to kMostFlashesDrawn), from the idle pulse's high levels (its
  // low levels when it is sent) to its own high levels.
  PulseTimes IdleTimes() const;
  PulseTimes FocTimes() const;
  std::vector<ChannelCurve> IdleGraph() const;
  std::vector<ChannelCurve> FocGraph() const;
  // The blade colour of a pulse's high or low levels on the current LED
  // type, of levels being edited, and of the idle pulse ms into it.
  Rgb LevelColor(const LED_Pulse& pulse, bool high) const;
  Rgb MixColor(const Levels& levels) const;
  Rgb IdleColorAt(double ms) const;

  // The load and save buttons while an LED driver is connected. A failure
  // (the file could not be written or read) is said to the user; a
  // cancelled file dialog fails without a message. A name typed without an
  // extension is saved with ".ldset"; settings that changed are offered
  // for saving before others are loaded.
  seams::Result SaveLedSettings();
  seams::Result LoadLedSettings();

  // The settings file's text for the pulses as a save would write it now
  // (levels as stored, times and repeat count as the fields show them).
  std::string SettingsText() const;
  // Whether the settings differ from those last read from the board,
  // loaded or saved; false before any were.
  bool SettingsChanged() const;
  // Before the settings would be lost: when they changed, asks `question`
  // (Save / Discard / Cancel). True when the caller may go on.
  bool SaveChangesFirst(const std::string& question);

  // Handlers named by the system's interface: a click on the control of
  // that name, for a view that does not report its changes (the memory
  // view), so each first reads the control it concerns. The window's
  // widgets call the operations above directly.
  void LEDcomboClick() { SelectType(view_.SelectedLedType()); }
  void OverdriveSliderChange() { SetOverdrive(view_.OverdriveValue()); }
  bool btnUpdateLEDClick() {
    OverdriveSliderChange();
    return UpdateDriver();
  }
  void btnPulseHighClick() { OpenLevelEditor(IdlePulse, true); }
  void btnPulseLowClick() { OpenLevelEditor(IdlePulse, false); }
  void PickColorClick() { PickColor(view_.ColorFidelityChecked()); }
  bool PickColorApplyClick() { return ApplyLevels(view_.LevelsShown()); }
  void PickColorOKClick() { StoreLevels(view_.LevelsShown()); }
  bool btnSendPulseClick() { return SendIdlePulse(); }
  bool btnSendFocClick() { return SendFlashOnClash(); }

 private:
  // Makes the catalogue's last line named LEDName the current LED type
  // with that voltage and overdrive, and shows its channels and overdrive.
  bool SelectLED(const std::string& LEDName, double Voltage, int32_t OverDrive);
  // Opens the LED setting frame on the levels of EditPulse chosen by
  // EditHigh.
  void ShowLevelEditor();
  void ShowIdlePulse();
  void ShowFocPulse();
  LED_Pulse FocAsSent() const;
  // The pulses with the times (and repeat count) their fields show, as a
  // send or save takes them.
  LED_Pulse IdleAsShown() const;
  LED_Pulse FocAsShown() const;
  void ReadIdlePulse() { IdlePulse = IdleAsShown(); }
  void ReadFocPulse() { FocPulse = FocAsShown(); }
  void MarkSaved() { saved_ = SettingsText(); }
  bool SendPulse(int pulseId, const LED_Pulse& pulse);
  // Runs a board command on the first link; a failure takes it offline.
  template <class Command>
  bool RunCommand(Command command);
  // Says in the status line how the send of `what` went; returns sent.
  bool Report(bool sent, const char* what);
  seams::FileDialogRequest SettingsDialog() const;

  LedPanelView& view_;
  seams::UserDialogs& dialogs_;
  std::string appFolder_;
  std::string catalogue_;
  std::string catalogueProblem_;
  bool driverSilent_ = false;
  std::vector<std::string> ledTypes_;
  std::string selectedType_;
  int32_t overdrive_ = kOverdriveDesignValue;
  int32_t overdriveMaximum_ = kOverdriveDesignMax;
  std::optional<std::string> saved_;  // SettingsText when last read, loaded or saved
};

}  // namespace led
