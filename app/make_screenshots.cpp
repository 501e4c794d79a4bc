// Takes the user guide's pictures from the real main window on virtual
// boards, under whatever Qt platform is set (offscreen when none is):
//   make_screenshots APP_FOLDER OUTPUT_FOLDER
// writes led-panel.png (the LED panel with its swatches, pulse graphs and
// the LED setting frame open), its frames apart (led-idle-pulse.png,
// led-flash-on-clash.png, led-setting.png) and motion-live.png (the
// acceleration sensor panel after 10 s of live readings of the virtual
// board's scripted motion). `cmake --build build --target help_screenshots` runs it into
// resources/help.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <cstdlib>
#include <iostream>

#include "app/Application.h"
#include "app/LedPanelWidget.h"
#include "app/Main.h"
#include "motion/LiveSensor.h"

namespace {

// Answers every question with OK and every dialog with cancel; says on
// stderr what a message box would have shown.
class QuietDialogs : public seams::UserDialogs {
 public:
  seams::DialogResult Message(const std::string& text, seams::DialogIcon,
                              seams::DialogButtons) override {
    std::cerr << "make_screenshots: the window said: " << text << '\n';
    return seams::DialogResult::Ok;
  }
  std::optional<std::string> OpenFile(const seams::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const seams::FileDialogRequest&) override { return {}; }
  std::optional<int32_t> PickColor(int32_t) override { return {}; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return {};
  }
};

std::unique_ptr<app::Main> Window(const QString& appFolder, const std::string& spec,
                                  QuietDialogs& dialogs) {
  session::FrontEndOptions board;
  board.virtualBoard = spec;
  app::MainOptions options;
  options.appFolder = appFolder;
  options.board = session::MakeBoardAgent(board);
  options.dialogs = &dialogs;
  options.openHelp = [](const QString&) {};
  auto main = std::make_unique<app::Main>(std::move(options));
  if (!main->Startup()) throw std::runtime_error("the window did not start on " + spec);
  main->resize(1000, 720);  // fits a 1366 x 768 screen
  main->show();
  return main;
}

template <typename W>
W* Child(app::Main& main, const char* name) {
  W* w = main.findChild<W*>(name);
  if (!w) throw std::runtime_error(std::string("no control ") + name);
  return w;
}

void RunEvents(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Save(QWidget* widget, const QString& path) {
  if (!widget->grab().save(path)) throw std::runtime_error("cannot write " + path.toStdString());
  std::cout << path.toStdString() << '\n';
}

void SetText(app::Main& main, const char* field, const char* text) {
  Child<QLineEdit>(main, field)->setText(text);
}

// A blue blade with a slow breathing idle pulse and a white triple flash;
// the LED setting frame open on the idle pulse's high level.
void LedPanel(const QString& appFolder, const QString& out) {
  QuietDialogs dialogs;
  auto main = Window(appFolder, "led,ledcode=10", dialogs);  // Tri-Cree RGB
  led::LedPanel& logic = main->LedPanel().Logic();
  logic.OpenLevelEditor(logic.IdlePulse, false);
  logic.StoreLevels({0, 12, 90, 0});
  logic.OpenLevelEditor(logic.IdlePulse, true);
  logic.StoreLevels({0, 40, 255, 0});
  logic.OpenLevelEditor(logic.FocPulse, true);
  logic.StoreLevels({200, 54, 255, 0});
  SetText(*main, "IdleTRISE", "0.6");
  SetText(*main, "IdleTON", "0.4");
  SetText(*main, "IdleTFALL", "0.8");
  SetText(*main, "IdleTOFF", "0.2");
  SetText(*main, "FocTON", "0.06");
  SetText(*main, "FocTOFF", "0.08");
  SetText(*main, "focNREP", "3");
  Child<QPushButton>(*main, "btnPulseHigh")->click();
  RunEvents(700);  // the preview runs into the pulse's rise
  Save(Child<QGroupBox>(*main, "frmLED"), out + "/led-panel.png");
  Save(Child<QGroupBox>(*main, "FrameIdle"), out + "/led-idle-pulse.png");
  Save(Child<QGroupBox>(*main, "FrameFoc"), out + "/led-flash-on-clash.png");
  Save(Child<QGroupBox>(*main, "PickColor_frame"), out + "/led-setting.png");
}

// Ten seconds of the scripted motion: four times still, swing and clash.
void MotionPanel(const QString& appFolder, const QString& out) {
  QuietDialogs dialogs;
  auto main = Window(appFolder, "sound", dialogs);
  Child<QToolButton>(*main, "ConfigBtn")->click();
  Child<QCheckBox>(*main, "LiveCheck")->click();
  RunEvents(int(motion::kLiveWindowSeconds * 1000) + 300);
  Child<QCheckBox>(*main, "LiveCheck")->click();
  Save(Child<QGroupBox>(*main, "ConfigFrame"), out + "/motion-live.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") || !*std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  app::Application qapp(argc, argv);
  if (argc != 3) {
    std::cerr << "usage: make_screenshots APP_FOLDER OUTPUT_FOLDER\n";
    return 2;
  }
  try {
    if (!QDir().mkpath(argv[2])) throw std::runtime_error(std::string("cannot make ") + argv[2]);
    LedPanel(argv[1], argv[2]);
    MotionPanel(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "make_screenshots: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
