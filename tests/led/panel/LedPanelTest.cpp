// The LED panel's logic on the virtual LED driver: the catalogue against the
// board's configuration, the overdrive, the LED setting frame, what each
// button sends (checked in the HID log), failures and settings files.

#include "led/panel/LedPanel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "led/LedSettingsFile.h"
#include "session/BoardSession.h"
#include "tests/support/Files.h"
#include "tests/support/HidLog.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempFiles.h"

namespace {

using led::PulseField;
using testing_support::Hex;

// ML 1020 and a linear curve reaching MaxDC at full luminance keep the
// expected ticks easy to work out: level x 4 is the luminance.
constexpr const char* kCatalogue =
    "KestraneLEDConfigurator#2\r\n"
    "Red@1#1#1000+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;\r\n"
    "RGB@10#3#1000+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;"
    "+Col=greenML2040MDC40VL3Coef0_0_0_0;0_0_0.02_0;"
    "+Col=blueML510MDC30VL3Coef0_0_0_0;0_0_0.06_0;\r\n"
    "First twin@20#2#1000+Col=redML1020MDC50VL3Coef0_0_0_0;0_0_0.05_0;"
    "+Col=greenML2040MDC40VL3Coef0_0_0_0;0_0_0.02_0;\r\n"
    "Second twin@20#1#500+Col=amberML1020MDC60VL3Coef0_0_0_0;0_0_0.05_0;\r\n"
    "Full@30#1#1000+Col=whiteML1020MDC100VL3Coef0_0_0_0;0_0_0.1_0;\r\n";

std::string AppFolder(const std::string& catalogue) {
  const std::string folder = testing_support::UniqueTempPath("led_app");
  std::filesystem::create_directory(folder);
  std::ofstream(folder + "/KestraneLEDS.ldcfg", std::ios::binary) << catalogue;
  return folder;
}

struct Panel {
  explicit Panel(const std::string& spec, const std::string& catalogue = kCatalogue)
      : folder(AppFolder(catalogue)), log(folder + "/hid.log") {
    session::FrontEndOptions options;
    options.virtualBoard = spec;
    options.hidLog = log;
    session = std::make_unique<session::BoardSession>(options);
    EXPECT_TRUE(session->SearchBoard());
    view.link = session->FirstLink();
  }
  ~Panel() {
    session.reset();
    std::filesystem::remove_all(folder);
  }

  // The hex of the last command report starting with prefix.
  std::string Last(const std::string& prefix) const {
    const auto writes = testing_support::HidWrites(log, prefix);
    return writes.empty() ? "" : writes.back();
  }

  std::string folder, log;
  std::unique_ptr<session::BoardSession> session;
  led::MemoryLedPanelView view;
  testing_support::ScriptedDialogs dialogs;
  led::LedPanel panel{view, dialogs, folder};
};

TEST(LedPanel, InitSelectsTheBoardsTypeAndReadsThePulses) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  EXPECT_EQ(p.view.ledTypes.size(), 5u);
  EXPECT_EQ(p.view.SelectedLedType(), "RGB");
  EXPECT_EQ(p.view.channelColors, (std::array<int32_t, 4>{led::kRed, led::kGreen, led::kBlue, 0}));
  EXPECT_DOUBLE_EQ(p.panel.CurrentLED.Voltage, 6.0);
  EXPECT_EQ(p.view.overdriveMax, 200);  // 10000 / the highest MaxDC, 50
  EXPECT_EQ(p.view.overdriveLabel, "100%");
  EXPECT_EQ(p.view.FieldText(PulseField::IdleTON), "1");  // the board's 1000 ms
  EXPECT_EQ(p.view.FieldText(PulseField::focNREP), "1");

  Panel twins("led,ledcode=20");  // two entries with the code: the later one
  ASSERT_TRUE(twins.panel.InitLedDrivers());
  EXPECT_EQ(twins.view.selected, 3);
  EXPECT_EQ(twins.panel.CurrentLED.LEDName, "Second twin");

  Panel unknown("led,ledcode=99");  // a valid catalogue without the board's code
  EXPECT_FALSE(unknown.panel.InitLedDrivers());
  Panel broken("led", std::string(kCatalogue) + "Bad@5#2#1000+Col=redML1020\r\n");
  EXPECT_FALSE(broken.panel.InitLedDrivers());
  EXPECT_TRUE(broken.view.ledTypes.empty());
  Panel silent("led,drop=1");  // GetLEDConfig goes unanswered
  EXPECT_FALSE(silent.panel.InitLedDrivers());
}

// Choosing a type keeps the overdrive shown, lowered to the type's maximum;
// "Apply" uses the overdrive of that choice, not the slider's position.
TEST(LedPanel, OverdriveFollowsTheChosenType) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.view.SetOverdriveValue(180);
  p.panel.OverdriveSliderChange();
  EXPECT_EQ(p.view.overdriveLabel, "180%");
  p.view.SelectLedType(1);  // RGB again, from the list
  p.panel.LEDcomboClick();
  EXPECT_EQ(p.panel.CurrentLED.OverDrive, 180);
  p.view.SelectLedType(4);  // "Full": MaxDC 100, so at most 100 %
  p.panel.LEDcomboClick();
  EXPECT_EQ(p.view.overdriveMax, 100);
  EXPECT_EQ(p.view.overdriveLabel, "100%");
  EXPECT_EQ(p.view.channelColors, (std::array<int32_t, 4>{led::kWhite, 0, 0, 0}));

  p.view.SelectLedType(1);
  p.panel.LEDcomboClick();
  p.view.SetOverdriveValue(200);  // moved, not sent
  p.panel.btnPulseHighClick();
  p.view.levels = {51, 255, 0, 200};  // 204 of 1020 -> 10.2 %; no fourth channel
  ASSERT_TRUE(p.panel.PickColorApplyClick());
  // SetLEDParam: period 1000, then on / off of the four channels.
  EXPECT_EQ(p.Last("33").substr(0, 38), Hex("33 03e8 0001 0067 0001 03e9 0000 0001 0000 0000"));
  EXPECT_TRUE(p.view.levelFrameVisible);
  EXPECT_EQ(p.panel.IdlePulse.GetHigh(1), 0);  // Apply stores nothing
}

// The overdrive and its maximum belong to the logic: the label only shows
// them, and whatever it reads is never taken back.
TEST(LedPanel, OverdriveIsTheLogicsStateNotTheLabels) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  EXPECT_EQ(p.panel.Overdrive(), 100);
  EXPECT_EQ(p.panel.OverdriveMaximum(), 200);
  p.view.overdriveLabel = "180%";
  p.panel.LEDcomboClick();
  EXPECT_EQ(p.panel.CurrentLED.OverDrive, 100);
  EXPECT_EQ(p.view.overdriveLabel, "100%");

  p.panel.SetOverdrive(500);  // held to the type's range, and shown so
  EXPECT_EQ(p.panel.Overdrive(), 200);
  EXPECT_EQ(p.view.overdrive, 200);
  EXPECT_EQ(p.view.overdriveLabel, "200%");
  p.panel.SetOverdrive(10);
  EXPECT_EQ(p.panel.Overdrive(), led::kOverdriveMin);

  ASSERT_TRUE(p.panel.SelectType("Full", 180));  // MaxDC 100: at most 100 %
  EXPECT_EQ(p.panel.SelectedType(), "Full");
  EXPECT_EQ(p.panel.OverdriveMaximum(), 100);
  EXPECT_EQ(p.panel.CurrentLED.OverDrive, 100);
  p.panel.SetOverdrive(70);
  p.dialogs.answers = {seams::DialogResult::Ok};
  ASSERT_TRUE(p.panel.UpdateDriver());
  EXPECT_EQ(p.Last("3d").substr(0, 14), Hex("3d 001e 003c 0046"));
  EXPECT_EQ(p.panel.Overdrive(), 70);  // read back from the board
}

// Levels given to the operations are held to what a slider shows, and
// levels of channels the type lacks are left alone.
TEST(LedPanel, LevelsAreHeldToTheSlidersRange) {
  Panel p("led,ledcode=10");  // RGB: three channels
  ASSERT_TRUE(p.panel.InitLedDrivers());
  ASSERT_TRUE(p.panel.ApplyLevels({255, 0, 12, 0}));
  const std::string inRange = p.Last("33").substr(0, 38);  // period, four on / off
  ASSERT_TRUE(p.panel.ApplyLevels({300, -4, 12, 99}));
  EXPECT_EQ(p.Last("33").substr(0, 38), inRange);

  p.panel.FocPulse.SetLow(4, 9);
  p.panel.OpenLevelEditor(p.panel.FocPulse, false);
  EXPECT_TRUE(p.view.levelFrameVisible);
  p.panel.StoreLevels({-1, 256, 7, 40});
  EXPECT_FALSE(p.view.levelFrameVisible);
  EXPECT_EQ(p.panel.FocPulse.GetLow(1), 0);
  EXPECT_EQ(p.panel.FocPulse.GetLow(2), 255);
  EXPECT_EQ(p.panel.FocPulse.GetLow(3), 7);
  EXPECT_EQ(p.panel.FocPulse.GetLow(4), 9);
  EXPECT_EQ(p.panel.FocPulse.GetHigh(2), 0);
}

TEST(LedPanel, UpdateAsksThenSendsTheTypeWithSixVolts) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.view.SelectLedType(4);
  p.panel.LEDcomboClick();
  p.view.SetOverdriveValue(80);
  p.dialogs.answers = {seams::DialogResult::Cancel};
  EXPECT_TRUE(p.panel.btnUpdateLEDClick());
  EXPECT_EQ(p.Last("3d"), "");
  EXPECT_EQ(p.dialogs.messages.at(0).text,
            "WARNING: Setting a different LED than actually installed may damage the LED and "
            "driver\r\nAre you sure you want to continue ?");
  EXPECT_EQ(p.dialogs.messages[0].buttons, seams::DialogButtons::OkCancel);

  p.dialogs.answers = {seams::DialogResult::Ok};
  EXPECT_TRUE(p.panel.btnUpdateLEDClick());
  // Code 30, 60 tenths of a volt, overdrive 80; then read back.
  EXPECT_EQ(p.Last("3d").substr(0, 14), Hex("3d 001e 003c 0050"));
  EXPECT_EQ(p.view.SelectedLedType(), "Full");
  EXPECT_EQ(p.panel.CurrentLED.OverDrive, 80);
}

// Idle pulse from 20 % to full red, sent as the fields show it; the flash
// on clash starts from the idle pulse's high levels.
TEST(LedPanel, SendButtonsPutTheExactPulseOnTheWire) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.panel.btnPulseLowClick();
  p.view.levels = {51, 0, 0, 0};
  p.panel.PickColorOKClick();
  p.panel.btnPulseHighClick();
  p.view.levels = {255, 0, 0, 0};
  p.panel.PickColorOKClick();
  p.view.SetFieldText(PulseField::IdleTON, "1.234");
  p.view.SetFieldText(PulseField::IdleTOFF, "0.5");
  p.view.SetFieldText(PulseField::IdleTRISE, "0.1");
  p.view.SetFieldText(PulseField::IdleTFALL, "0.02");
  ASSERT_TRUE(p.panel.btnSendPulseClick());
  const std::string idle = p.Last("35");
  // Pulse 0; channel 1: low 51, high 255, ticks 1 / 103 and 1 / 1001;
  // channel 2 at level 0: on 0, off 1.
  EXPECT_EQ(idle.substr(0, 44), Hex("3500 33ff 0001 0067 0001 03e9 0000 0000 0001 0000 0001"));
  EXPECT_EQ(idle.substr(64, 20), Hex("0000 0000 0000 0000 0000"));  // no channel 4: ticks stay 0
  // Trise 100, Ton 1234, Tfall 20, Toff 500, NRep 0.
  EXPECT_EQ(idle.substr(84, 20), Hex("0064 04d2 0014 01f4 0000"));
  EXPECT_EQ(p.Last("36"), p.Last("3600"));  // StartPulse 0

  p.view.SetFieldText(PulseField::FocTOFF, "0.26");
  p.view.SetFieldText(PulseField::focNREP, "3");
  ASSERT_TRUE(p.panel.btnSendFocClick());
  const std::string foc = p.Last("35");
  EXPECT_EQ(foc.substr(0, 24), Hex("3501 ff00 0001 03e9 0000 0001"));
  EXPECT_EQ(foc.substr(84, 20), Hex("0000 03e8 0000 0104 0003"));  // the board's 1 s on
  EXPECT_EQ(p.Last("36"), p.Last("3601"));
  EXPECT_EQ(p.view.wentOffline, 0);
}

TEST(LedPanel, AFailedCommandTakesTheLinkOffline) {
  Panel p("led,unplug=4");  // gone after GetLEDConfig and the two GetLEDPulses
  ASSERT_TRUE(p.panel.InitLedDrivers());
  EXPECT_FALSE(p.panel.btnSendPulseClick());
  EXPECT_EQ(p.view.wentOffline, 2);  // StartPulse is tried after the failed SetLEDPulses
  EXPECT_FALSE(p.panel.PickColorApplyClick());
  p.dialogs.answers = {seams::DialogResult::Ok};
  EXPECT_FALSE(p.panel.btnUpdateLEDClick());
  EXPECT_EQ(p.view.wentOffline, 4);
}

TEST(LedPanel, LevelEditorShowsTheChannelsOfTheType) {
  Panel p("led,ledcode=20");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.view.SelectLedType(2);  // "First twin": red and green
  p.panel.LEDcomboClick();
  p.panel.IdlePulse.SetLow(2, 77);
  p.panel.IdlePulse.SetLow(3, 9);
  p.panel.btnPulseLowClick();
  EXPECT_TRUE(p.view.levelFrameVisible);
  EXPECT_EQ(p.view.levelVisible, (std::array<bool, 4>{true, true, false, false}));
  EXPECT_EQ(p.view.levelColors[1], led::kGreen);
  EXPECT_EQ(p.view.levels[1], 77);
  EXPECT_FALSE(p.view.enabled[led::LedControl::PickColor]);  // no blue channel
  EXPECT_FALSE(p.view.enabled[led::LedControl::ColorFidelity]);

  // OK stores the type's channels into the chosen level only.
  p.view.levels = {10, 20, 30, 40};
  p.panel.PickColorOKClick();
  EXPECT_FALSE(p.view.levelFrameVisible);
  EXPECT_EQ(p.panel.IdlePulse.GetLow(2), 20);
  EXPECT_EQ(p.panel.IdlePulse.GetLow(3), 9);
  EXPECT_EQ(p.panel.IdlePulse.GetHigh(1), 0);
}

TEST(LedPanel, ColorFidelityBalancesThePickedColor) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.panel.btnPulseHighClick();
  EXPECT_TRUE(p.view.enabled[led::LedControl::ColorFidelity]);
  p.view.colorFidelity = true;
  p.dialogs.colors = {led::RGBToSys(255, 0, 0), led::RGBToSys(255, 255, 255)};
  p.panel.PickColorClick();
  EXPECT_EQ(p.view.levels, (std::array<int, 4>{255, 0, 0, 100}));
  // White: blue (510) is the dimmest, so red and green give 510 of their
  // 1020 and 2040.
  p.panel.PickColorClick();
  EXPECT_EQ(p.view.levels, (std::array<int, 4>{128, 64, 255, 100}));
  EXPECT_EQ(p.dialogs.colorRequests, (std::vector<int32_t>{0, 255}));

  p.view.colorFidelity = false;
  p.dialogs.colors = {led::RGBToSys(10, 20, 30)};
  p.panel.PickColorClick();
  EXPECT_EQ(p.view.levels, (std::array<int, 4>{10, 20, 30, 100}));
  p.panel.PickColorClick();  // cancelled: nothing changes
  EXPECT_EQ(p.panel.PickedColor, led::RGBToSys(10, 20, 30));
}

TEST(LedPanel, SettingsFiles) {
  Panel p("led,ledcode=10");
  ASSERT_TRUE(p.panel.InitLedDrivers());
  p.panel.IdlePulse.SetLow(1, 40);
  p.panel.IdlePulse.SetHigh(1, 255);
  p.panel.FocPulse.SetHigh(3, 200);
  p.view.SetFieldText(PulseField::IdleTOFF, "0.5");
  p.view.SetFieldText(PulseField::focNREP, "3");
  const std::string path = p.folder + "/pulses.ldset";
  p.dialogs.savePaths = {path, p.folder + "/no/such/folder/x.ldset"};
  ASSERT_TRUE(p.panel.SaveLedSettings());
  EXPECT_EQ(p.dialogs.fileRequests.back().filter,
            "LED Driver Setting (*.LDSET)|*.ldset|All files (*.*)|*.*");
  EXPECT_EQ(p.dialogs.fileRequests.back().initialFolder, p.folder);
  EXPECT_EQ(testing_support::ReadBytes(path),
            "KestraneLEDSettings#1\r\nPULSE+Low=40_0_0_0+High=255_0_0_0+Times=1000_500_0_0\r\n"
            "FOC=0_0_200_0+Times=1000_1000_3\r\n");
  EXPECT_FALSE(p.panel.SaveLedSettings());
  EXPECT_EQ(p.dialogs.messages.back().icon, seams::DialogIcon::Critical);

  Panel q("led,ledcode=10");
  ASSERT_TRUE(q.panel.InitLedDrivers());
  q.panel.btnPulseHighClick();
  q.view.levels = {9, 9, 9, 9};
  q.dialogs.openPaths = {path};
  ASSERT_TRUE(q.panel.LoadLedSettings());
  EXPECT_FALSE(q.view.levelFrameVisible);  // closed without storing its sliders
  EXPECT_EQ(q.panel.IdlePulse.GetHigh(2), 0);
  EXPECT_EQ(q.view.FieldText(PulseField::IdleTOFF), "0.5");
  EXPECT_EQ(q.view.FieldText(PulseField::focNREP), "3");
  EXPECT_FALSE(q.panel.LoadLedSettings());  // cancelled
  EXPECT_TRUE(q.dialogs.messages.empty());

  std::ofstream(path, std::ios::binary)
      << "KestraneLEDSettings#1\r\nPULSE+Low=1_2_3_4+High=5_6_7_8+Times=20000_0_0_0\r\nFOC=1\r\n";
  q.dialogs.openPaths = {path};
  EXPECT_FALSE(q.panel.LoadLedSettings());
  EXPECT_EQ(q.dialogs.messages.at(0).text, "File is corrupted, could not read !");
  EXPECT_EQ(q.dialogs.messages[0].icon, seams::DialogIcon::Information);
  EXPECT_EQ(q.view.FieldText(PulseField::IdleTON), "20");  // line 2 was taken over
  EXPECT_EQ(q.view.FieldText(PulseField::FocTON), "1");    // line 3 was not
}

TEST(LedPanel, EnablingTouchesTheFileButtonsOnlyForAnLedDriver) {
  Panel p("led");
  p.panel.btnPulseHighClick();
  p.panel.EnableLedPanel(false);
  EXPECT_FALSE(p.view.levelFrameVisible);
  for (auto c : {led::LedControl::LoadBtn, led::LedControl::btnSendFoc, led::LedControl::PickColor,
                 led::LedControl::FrameIdle})
    EXPECT_FALSE(p.view.enabled.at(c));
  p.view.enabled.clear();
  p.view.ledDriver = false;  // nothing identified yet: sound files keep the buttons
  p.panel.EnableLedPanel(true);
  EXPECT_EQ(p.view.enabled.count(led::LedControl::LoadBtn), 0u);
  EXPECT_TRUE(p.view.enabled.at(led::LedControl::FrameFoc));
}

}  // namespace
