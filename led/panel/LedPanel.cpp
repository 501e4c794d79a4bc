#include "led/panel/LedPanel.h"

#include <algorithm>

#include "fileio/Utf8Path.h"
#include "led/LedCatalogue.h"
#include "led/LedSettingsFile.h"
#include "led/PulseFields.h"
#include "led/panel/PulseWire.h"
#include "seams/UnsavedChanges.h"
#include "text/NumberReading.h"

namespace led {

namespace {

constexpr int kChannels = 4;

// The level of channel 1..4, held to what a slider shows.
int16_t LevelOf(const Levels& levels, int channel) {
  return int16_t(std::clamp(levels[channel - 1], 0, kLevelMax));
}

// One of the board's pulses, whole: a pulse that does not come back in full
// keeps its values.
bool ReadPulse(devlink::TLS& link, int pulseId, LED_Pulse& pulse) {
  devlink::LEDPulseWire wire;
  if (!link.GetLEDPulses(pulseId, wire)) return false;
  FromWire(wire, pulse);
  return true;
}

}  // namespace

std::string SentText(const std::string& what) {
  return "The board took the " + what + ".";
}

std::string NotConfirmedText(const std::string& what) {
  return "The board did not confirm the " + what +
         ": it went offline, and the program tries to reach it again.";
}

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

bool LedPanel::Report(bool sent, const char* what) {
  view_.ShowStatus(sent ? SentText(what) : NotConfirmedText(what), !sent);
  return sent;
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
  if (!enabled) CloseLevelEditor();
}

bool LedPanel::InitLedDrivers() {
  devlink::TLS* link = view_.FirstLink();
  int code = 0;
  double voltage = 0;
  int overdrive = 0;
  driverSilent_ = true;
  if (!link || !link->GetLEDConfig(code, voltage, overdrive)) return false;
  driverSilent_ = false;

  catalogueProblem_.clear();
  const auto entries = EnumerateCatalogue(catalogue_, &catalogueProblem_);
  view_.ClearLedTypes();
  ledTypes_.clear();
  selectedType_.clear();
  if (!entries) return false;
  int selected = -1;
  for (size_t i = 0; i < entries->size(); ++i) {
    ledTypes_.push_back((*entries)[i].LEDName);
    view_.AddLedType(ledTypes_.back());
    if ((*entries)[i].LedCode == code) selected = int(i);
  }
  view_.SelectLedType(selected);
  if (selected < 0) return false;
  selectedType_ = ledTypes_[selected];
  SelectLED(selectedType_, voltage, overdrive);

  driverSilent_ = true;
  if (!ReadPulse(*link, kIdlePulse, IdlePulse)) return false;
  ShowIdlePulse();
  if (!ReadPulse(*link, kFocPulse, FocPulse)) return false;
  ShowFocPulse();
  driverSilent_ = false;
  MarkSaved();  // what the board holds is nothing the user could lose
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
        overdriveMaximum_ = int32_t(text::RoundHalfEven(10000.0 / highestMaxDC));
        view_.SetOverdriveMaximum(overdriveMaximum_);
        // Held to the slider's range, below as above, so that the slider, its
        // label and the LED type agree.
        SetOverdrive(OverDrive);
        CurrentLED.OverDrive = overdrive_;
      },
      &catalogueProblem_);
  if (!read)
    dialogs_.Message(InvalidLedCatalogueMessage(catalogueProblem_), seams::DialogIcon::Critical);
  view_.PulsesChanged();
  return read;
}

void LedPanel::ShowIdlePulse() {
  view_.SetFieldText(PulseField::IdleTON, SecondsText(IdlePulse.Ton));
  view_.SetFieldText(PulseField::IdleTOFF, SecondsText(IdlePulse.Toff));
  view_.SetFieldText(PulseField::IdleTRISE, SecondsText(IdlePulse.Trise));
  view_.SetFieldText(PulseField::IdleTFALL, SecondsText(IdlePulse.Tfall));
  view_.PulsesChanged();
}

void LedPanel::ShowFocPulse() {
  view_.SetFieldText(PulseField::FocTON, SecondsText(FocPulse.Ton));
  view_.SetFieldText(PulseField::FocTOFF, SecondsText(FocPulse.Toff));
  view_.SetFieldText(PulseField::focNREP, RepeatText(FocPulse.NRep));
  view_.PulsesChanged();
}

LED_Pulse LedPanel::IdleAsShown() const {
  LED_Pulse pulse = IdlePulse;
  pulse.Ton = ReadSeconds(view_.FieldText(PulseField::IdleTON));
  pulse.Toff = ReadSeconds(view_.FieldText(PulseField::IdleTOFF));
  pulse.Trise = ReadSeconds(view_.FieldText(PulseField::IdleTRISE));
  pulse.Tfall = ReadSeconds(view_.FieldText(PulseField::IdleTFALL));
  pulse.NRep = 0;
  pulse.CalculateTimes(CurrentLED);
  return pulse;
}

// The flash on clash starts from the idle pulse's high levels.
LED_Pulse LedPanel::FocAsShown() const {
  LED_Pulse pulse = FocPulse;
  pulse.Ton = ReadSeconds(view_.FieldText(PulseField::FocTON));
  pulse.Toff = ReadSeconds(view_.FieldText(PulseField::FocTOFF));
  pulse.Trise = 0;
  pulse.Tfall = 0;
  pulse.NRep = ReadRepeat(view_.FieldText(PulseField::focNREP));
  for (int16_t i = 1; i <= kChannels; ++i) pulse.SetLow(i, IdlePulse.GetHigh(i));
  pulse.CalculateTimes(CurrentLED);
  return pulse;
}

// A field whose number changed says so, rather than changing silently.
void LedPanel::CorrectField(PulseField field) {
  const std::string text = view_.FieldText(field);
  const bool repeat = field == PulseField::focNREP;
  const std::string read = repeat ? ValidateRepeatText(text) : ValidateTimeText(text);
  view_.SetFieldText(field, read);
  if (const std::string note = CorrectionNote(text, read, repeat); !note.empty())
    view_.FieldCorrected(field, note);
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

bool LedPanel::SelectType(const std::string& name, int32_t overdrive) {
  selectedType_ = name;
  return SelectLED(name, kUpdateVoltage, overdrive);
}

void LedPanel::SetOverdrive(int32_t overdrive) {
  overdrive_ = std::clamp(overdrive, kOverdriveMin, std::max(kOverdriveMin, overdriveMaximum_));
  view_.SetOverdriveValue(overdrive_);
  view_.SetOverdriveLabel(std::to_string(overdrive_) + "%");
}

bool LedPanel::UpdateDriver() {
  // Enter alone must not set a type that may damage the LEDs.
  if (dialogs_.AskCautiously(kUpdateLedWarning, seams::DialogIcon::None,
                             seams::DialogButtons::OkCancel) != seams::DialogResult::Ok)
    return true;
  CloseLevelEditor();
  CurrentLED.Voltage = kUpdateVoltage;
  CurrentLED.OverDrive = overdrive_;
  const bool sent = RunCommand([&](devlink::TLS& link) {
    return link.SetLEDConfig(CurrentLED.LedCode, CurrentLED.Voltage, int(CurrentLED.OverDrive));
  });
  if (sent) InitLedDrivers();
  return Report(sent, kLedConfiguration);
}

// Any step that cannot be done (the dialog cancelled, a colour the LED
// type lacks) ends quietly; sliders already set keep their values.
void LedPanel::PickColor(bool colorFidelity) {
  const auto picked = dialogs_.PickColor(PickedColor);
  if (!picked) return;
  int16_t red = 0, green = 0, blue = 0;
  SysToRGB(*picked, red, green, blue);
  PickedColor = *picked;
  if (colorFidelity) {
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

bool LedPanel::ApplyLevels(const Levels& levels) {
  devlink::LEDParams params{};
  params[0] = uint16_t(CurrentLED.Period);
  for (int16_t i = 1; i <= std::min<int16_t>(CurrentLED.NrOfChannels, kChannels); ++i) {
    const double lum =
        text::RoundHalfEven(LevelOf(levels, i) * CurrentLED.GetMaxLum(i) / double(kLevelMax));
    params[2 * i - 1] = uint16_t(CurrentLED.GetTon(kLuminance, i, lum));
    params[2 * i] = uint16_t(CurrentLED.GetToff(kLuminance, i, lum));
  }
  return Report(RunCommand([&](devlink::TLS& link) { return link.SetLEDParam(params); }),
                kLevelsName);
}

void LedPanel::StoreLevels(const Levels& levels) {
  for (int16_t i = 1; i <= std::min<int16_t>(CurrentLED.NrOfChannels, kChannels); ++i) {
    const int16_t level = LevelOf(levels, i);
    EditHigh ? EditPulse->SetHigh(i, level) : EditPulse->SetLow(i, level);
  }
  CloseLevelEditor();
  view_.PulsesChanged();
}

PulseTimes LedPanel::IdleTimes() const {
  return {ReadSeconds(view_.FieldText(PulseField::IdleTRISE)),
          ReadSeconds(view_.FieldText(PulseField::IdleTON)),
          ReadSeconds(view_.FieldText(PulseField::IdleTFALL)),
          ReadSeconds(view_.FieldText(PulseField::IdleTOFF)), kIdleCyclesDrawn};
}

PulseTimes LedPanel::FocTimes() const {
  const int flashes =
      std::clamp<int>(ReadRepeat(view_.FieldText(PulseField::focNREP)), 1, kMostFlashesDrawn);
  return {0, ReadSeconds(view_.FieldText(PulseField::FocTON)), 0,
          ReadSeconds(view_.FieldText(PulseField::FocTOFF)), flashes};
}

LED_Pulse LedPanel::FocAsSent() const {
  LED_Pulse pulse = FocPulse;
  for (int16_t i = 1; i <= kChannels; ++i) pulse.SetLow(i, IdlePulse.GetHigh(i));
  return pulse;
}

std::vector<ChannelCurve> LedPanel::IdleGraph() const {
  return PulseGraph(CurrentLED, IdlePulse, IdleTimes());
}

std::vector<ChannelCurve> LedPanel::FocGraph() const {
  return PulseGraph(CurrentLED, FocAsSent(), FocTimes());
}

Rgb LedPanel::LevelColor(const LED_Pulse& pulse, bool high) const {
  ChannelLevels levels{};
  for (int16_t i = 1; i <= kChannels; ++i)
    levels[size_t(i - 1)] = high ? pulse.GetHigh(i) : pulse.GetLow(i);
  return BladeColor(CurrentLED, levels);
}

Rgb LedPanel::MixColor(const Levels& levels) const {
  return BladeColor(CurrentLED, levels);
}

Rgb LedPanel::IdleColorAt(double ms) const {
  return PulseColorAt(CurrentLED, IdlePulse, IdleTimes(), ms);
}

// Both commands are made even when the first fails.
bool LedPanel::SendPulse(int pulseId, const LED_Pulse& pulse) {
  const bool set =
      RunCommand([&](devlink::TLS& link) { return link.SetLEDPulses(pulseId, ToWire(pulse)); });
  const bool started = RunCommand([&](devlink::TLS& link) { return link.StartPulse(pulseId); });
  return set && started;
}

bool LedPanel::SendIdlePulse() {
  ReadIdlePulse();
  return Report(SendPulse(kIdlePulse, IdlePulse), kIdlePulseName);
}

bool LedPanel::SendFlashOnClash() {
  ReadFocPulse();
  return Report(SendPulse(kFocPulse, FocPulse), kFocPulseName);
}

seams::FileDialogRequest LedPanel::SettingsDialog() const {
  seams::FileDialogRequest request;
  request.filter = kLedSettingsFilter;
  request.initialFolder = SettingsFolder;
  return request;
}

seams::Result LedPanel::SaveLedSettings() {
  seams::FileDialogRequest request = SettingsDialog();
  request.defaultSuffix = kLedSettingsExtension;
  const auto chosen = dialogs_.SaveFile(request);
  if (!chosen) return seams::Result::Cancelled();
  ReadIdlePulse();
  ReadFocPulse();
  const std::string path = fileio::WithDefaultExtension(*chosen, kLedSettingsExtension);
  const seams::Result written = WriteLedSettingsFile(path, IdlePulse, FocPulse);
  if (written)
    MarkSaved();
  else
    dialogs_.Message(written.Message(), seams::DialogIcon::Critical);
  return written;
}

std::string LedPanel::SettingsText() const {
  return LedSettingsText(IdleAsShown(), FocAsShown());
}

bool LedPanel::SettingsChanged() const {
  return saved_ && *saved_ != SettingsText();
}

bool LedPanel::SaveChangesFirst(const std::string& question) {
  return !SettingsChanged() ||
         seams::SaveChangesFirst(dialogs_, question, [this] { return bool(SaveLedSettings()); });
}

seams::Result LedPanel::LoadLedSettings() {
  if (!SaveChangesFirst(kSaveLedBeforeLoading)) return seams::Result::Cancelled();
  const auto path = dialogs_.OpenFile(SettingsDialog());
  if (!path) return seams::Result::Cancelled();
  CloseLevelEditor();
  const SettingsRead read = ReadLedSettingsFile(*path, IdlePulse, FocPulse);
  if (read.idleRead) ShowIdlePulse();
  if (read.focRead) ShowFocPulse();
  const seams::Result loaded = read.AsResult();
  if (loaded)
    MarkSaved();
  else
    dialogs_.Message(loaded.Message(), seams::DialogIcon::Information);
  return loaded;
}

}  // namespace led
