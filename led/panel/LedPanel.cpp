#include "led/panel/LedPanel.h"

#include <algorithm>
#include <limits>

#include "led/LedCatalogue.h"
#include "led/LedSettingsFile.h"
#include "led/PulseFields.h"
#include "text/NumberReading.h"

namespace led {

namespace {

constexpr int kChannels = 4;

}  // namespace

LedPanel::LedPanel(LedPanelView& view, seams::UserDialogs& dialogs, std::string appFolder)
    : view_(view),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)),
      catalogue_(CataloguePath(appFolder_)) {
  SettingsFolder = appFolder_;
}

template <class Command>
bool LedPanel::RunCommand(Command command) {
  devlink::TLS* link = view_.FirstLink();
  if (link && command(*link)) return true;
  view_.GoOffline();
  return false;
}

void LedPanel::EnableLedPanel(bool enabled) {
  // Before an LED driver was identified the load and save buttons handle
  // sound configuration files and stay as the connection left them.
  if (view_.LedDriverIdentified()) {
    view_.SetEnabled(LedControl::LoadBtn, enabled);
    view_.SetEnabled(LedControl::SaveBtn, enabled);
  }
  for (LedControl c : {LedControl::btnUpdateLED, LedControl::btnSendPulse, LedControl::btnSendFoc,
                       LedControl::PickColor, LedControl::FrameIdle, LedControl::FrameFoc})
    view_.SetEnabled(c, enabled);
  if (!enabled) view_.ShowLevelFrame(false);
}

bool LedPanel::InitLedDrivers() {
  devlink::TLS* link = view_.FirstLink();
  int code = 0;
  double voltage = 0;
  int overdrive = 0;
  if (!link || !link->GetLEDConfig(code, voltage, overdrive)) return false;

  catalogueProblem_.clear();
  const auto entries = EnumerateCatalogue(catalogue_, &catalogueProblem_);
  view_.ClearLedTypes();
  if (!entries) return false;
  int selected = -1;
  for (size_t i = 0; i < entries->size(); ++i) {
    view_.AddLedType((*entries)[i].LEDName);
    if ((*entries)[i].LedCode == code) selected = int(i);
  }
  view_.SelectLedType(selected);
  if (selected < 0) return false;
  SelectLED(view_.SelectedLedType(), voltage, overdrive);

  if (!link->GetLEDPulses(kIdlePulse, IdlePulse)) return false;
  ShowIdlePulse();
  if (!link->GetLEDPulses(kFocPulse, FocPulse)) return false;
  ShowFocPulse();
  return true;
}

bool LedPanel::SelectLED(const std::string& LEDName, double Voltage, int32_t OverDrive) {
  for (int i = 1; i <= kChannels; ++i) view_.SetChannelLabelColor(i, 0);
  const bool read = SelectFromCatalogue(
      catalogue_, LEDName, CurrentLED,
      [&] {
        int32_t highestMaxDC = 1;
        for (int16_t i = 1; i <= CurrentLED.NrOfChannels; ++i) {
          view_.SetChannelLabelColor(i, CurrentLED.GetChannelColor(i));
          highestMaxDC = std::max(highestMaxDC, CurrentLED.GetMaxDC(i));
        }
        CurrentLED.Voltage = Voltage;
        // 10000 / MaxDC: the overdrive that takes the highest duty cycle to 100 %.
        const auto maximum = int32_t(text::RoundHalfEven(10000.0 / highestMaxDC));
        view_.SetOverdriveMaximum(maximum);
        // Held to the slider's range, below as above, so that the slider, its
        // label and the LED type agree.
        OverDrive = std::clamp(OverDrive, kOverdriveMin, maximum);
        CurrentLED.OverDrive = OverDrive;
        view_.SetOverdriveValue(OverDrive);
        view_.SetOverdriveLabel(std::to_string(OverDrive) + "%");
      },
      &catalogueProblem_);
  if (!read)
    dialogs_.Message(devlink::InvalidLedCatalogueMessage(catalogueProblem_),
                     seams::DialogIcon::Critical);
  return read;
}

void LedPanel::ShowIdlePulse() {
  view_.SetFieldText(PulseField::IdleTON, SecondsText(IdlePulse.Ton));
  view_.SetFieldText(PulseField::IdleTOFF, SecondsText(IdlePulse.Toff));
  view_.SetFieldText(PulseField::IdleTRISE, SecondsText(IdlePulse.Trise));
  view_.SetFieldText(PulseField::IdleTFALL, SecondsText(IdlePulse.Tfall));
}

void LedPanel::ShowFocPulse() {
  view_.SetFieldText(PulseField::FocTON, SecondsText(FocPulse.Ton));
  view_.SetFieldText(PulseField::FocTOFF, SecondsText(FocPulse.Toff));
  view_.SetFieldText(PulseField::focNREP, RepeatText(FocPulse.NRep));
}

void LedPanel::ReadIdlePulse() {
  IdlePulse.Ton = ReadSeconds(view_.FieldText(PulseField::IdleTON));
  IdlePulse.Toff = ReadSeconds(view_.FieldText(PulseField::IdleTOFF));
  IdlePulse.Trise = ReadSeconds(view_.FieldText(PulseField::IdleTRISE));
  IdlePulse.Tfall = ReadSeconds(view_.FieldText(PulseField::IdleTFALL));
  IdlePulse.NRep = 0;
  IdlePulse.CalculateTimes(CurrentLED);
}

// The flash on clash starts from the idle pulse's high levels.
void LedPanel::ReadFocPulse() {
  FocPulse.Ton = ReadSeconds(view_.FieldText(PulseField::FocTON));
  FocPulse.Toff = ReadSeconds(view_.FieldText(PulseField::FocTOFF));
  FocPulse.Trise = 0;
  FocPulse.Tfall = 0;
  FocPulse.NRep = ReadRepeat(view_.FieldText(PulseField::focNREP));
  for (int16_t i = 1; i <= kChannels; ++i) FocPulse.SetLow(i, IdlePulse.GetHigh(i));
  FocPulse.CalculateTimes(CurrentLED);
}

void LedPanel::FieldLostFocus(PulseField field) {
  const std::string text = view_.FieldText(field);
  view_.SetFieldText(
      field, field == PulseField::focNREP ? ValidateRepeatText(text) : ValidateTimeText(text));
}

void LedPanel::OpenLevelEditor(LED_Pulse& pulse, bool high) {
  EditPulse = &pulse;
  EditHigh = high;
  ShowLevelEditor();
}

void LedPanel::ShowLevelEditor() {
  for (int16_t i = 1; i <= kChannels; ++i) {
    if (i > CurrentLED.NrOfChannels) {
      view_.ShowLevelChannel(i, false);
      continue;
    }
    view_.SetLevelLabelColor(i, CurrentLED.GetChannelColor(i));
    view_.ShowLevelChannel(i, true);
    view_.SetLevel(i, EditHigh ? EditPulse->GetHigh(i) : EditPulse->GetLow(i));
  }
  const bool rgb =
      CurrentLED.FindColor(kRed) && CurrentLED.FindColor(kGreen) && CurrentLED.FindColor(kBlue);
  view_.SetEnabled(LedControl::PickColor, rgb);
  view_.SetEnabled(LedControl::ColorFidelity, rgb);
  view_.ShowLevelFrame(true);
}

void LedPanel::LEDcomboClick() {
  const auto overdrive = text::RoundAndClamp<int32_t>(text::ReadNumber(view_.OverdriveLabel()), 0,
                                                      std::numeric_limits<int32_t>::max());
  SelectLED(view_.SelectedLedType(), kUpdateVoltage, overdrive);
}

void LedPanel::OverdriveSliderChange() {
  view_.SetOverdriveLabel(std::to_string(view_.OverdriveValue()) + "%");
}

bool LedPanel::btnUpdateLEDClick() {
  if (dialogs_.Message(kUpdateLedWarning, seams::DialogIcon::None,
                       seams::DialogButtons::OkCancel) != seams::DialogResult::Ok)
    return true;
  view_.ShowLevelFrame(false);
  CurrentLED.Voltage = kUpdateVoltage;
  CurrentLED.OverDrive = view_.OverdriveValue();
  const bool sent = RunCommand([&](devlink::TLS& link) {
    return link.SetLEDConfig(CurrentLED.LedCode, CurrentLED.Voltage, int(CurrentLED.OverDrive));
  });
  if (sent) InitLedDrivers();
  return sent;
}

// Balances the picked colour to the LEDs' brightness when asked, then sets
// the sliders of the red, green and blue channels. Any step that cannot be
// done ends the handler quietly; sliders already set keep their values.
void LedPanel::PickColorClick() {
  const auto picked = dialogs_.PickColor(PickedColor);
  if (!picked) return;
  int16_t red = 0, green = 0, blue = 0;
  SysToRGB(*picked, red, green, blue);
  PickedColor = *picked;
  if (view_.ColorFidelityChecked()) {
    const bool exceptR = red == 0, exceptG = green == 0, exceptB = blue == 0;
    auto balance = [&](int32_t color, int16_t value) {
      return CurrentLED.ConvertLuminanceToRGB(
          color, CurrentLED.ConvertRGBtoLuminance(kRed, value, exceptR, exceptG, exceptB));
    };
    red = balance(kRed, red);
    green = balance(kGreen, green);
    blue = balance(kBlue, blue);
  }
  const std::pair<int32_t, int16_t> sliders[] = {{kRed, red}, {kGreen, green}, {kBlue, blue}};
  for (const auto& [color, value] : sliders) {
    const int16_t channel = CurrentLED.FindColor(color);
    if (channel == 0 || value < 0 || value > kLevelMax) return;
    view_.SetLevel(channel, value);
  }
}

bool LedPanel::PickColorApplyClick() {
  devlink::LEDParams params{};
  params[0] = uint16_t(CurrentLED.Period);
  for (int16_t i = 1; i <= std::min<int16_t>(CurrentLED.NrOfChannels, kChannels); ++i) {
    const double lum = text::RoundHalfEven(view_.Level(i) * CurrentLED.GetMaxLum(i) / 255.0);
    params[2 * i - 1] = uint16_t(CurrentLED.GetTon(kLuminance, i, lum));
    params[2 * i] = uint16_t(CurrentLED.GetToff(kLuminance, i, lum));
  }
  return RunCommand([&](devlink::TLS& link) { return link.SetLEDParam(params); });
}

void LedPanel::PickColorOKClick() {
  for (int16_t i = 1; i <= std::min<int16_t>(CurrentLED.NrOfChannels, kChannels); ++i) {
    const auto level = int16_t(view_.Level(i));
    EditHigh ? EditPulse->SetHigh(i, level) : EditPulse->SetLow(i, level);
  }
  view_.ShowLevelFrame(false);
}

// Both commands are made even when the first fails.
bool LedPanel::SendPulse(int pulseId, const LED_Pulse& pulse) {
  const bool set =
      RunCommand([&](devlink::TLS& link) { return link.SetLEDPulses(pulseId, pulse); });
  const bool started = RunCommand([&](devlink::TLS& link) { return link.StartPulse(pulseId); });
  return set && started;
}

bool LedPanel::btnSendPulseClick() {
  ReadIdlePulse();
  return SendPulse(kIdlePulse, IdlePulse);
}

bool LedPanel::btnSendFocClick() {
  ReadFocPulse();
  return SendPulse(kFocPulse, FocPulse);
}

seams::FileDialogRequest LedPanel::SettingsDialog() const {
  seams::FileDialogRequest request;
  request.filter = kLedSettingsFilter;
  request.initialFolder = SettingsFolder;
  return request;
}

bool LedPanel::SaveLedSettings() {
  const auto path = dialogs_.SaveFile(SettingsDialog());
  if (!path) return false;
  ReadIdlePulse();
  ReadFocPulse();
  std::string error;
  if (WriteLedSettingsFile(*path, IdlePulse, FocPulse, &error)) return true;
  dialogs_.Message(kLedSettingsNotWritten + *path + (error.empty() ? "" : ": " + error),
                   seams::DialogIcon::Critical);
  return false;
}

bool LedPanel::LoadLedSettings() {
  const auto path = dialogs_.OpenFile(SettingsDialog());
  if (!path) return false;
  view_.ShowLevelFrame(false);
  const SettingsRead read = ReadLedSettingsFile(*path, IdlePulse, FocPulse);
  if (read.idleRead) ShowIdlePulse();
  if (read.focRead) ShowFocPulse();
  if (read.status == SettingsStatus::Ok) return true;
  const std::string why = read.problem.empty() ? "" : "\r\n" + read.problem;
  dialogs_.Message(
      (read.status == SettingsStatus::OutOfRange ? kLedSettingsOutOfRange : kLedSettingsCorrupted) +
          why,
      seams::DialogIcon::Information);
  return false;
}

}  // namespace led
