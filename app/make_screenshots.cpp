// Takes the user guide's pictures from the real windows on virtual boards,
// under whatever Qt platform is set (offscreen when none is):
//   make_screenshots APP_FOLDER OUTPUT_FOLDER
// APP_FOLDER is a build's bin/ (the bitmaps, the LED catalogue, the guide
// and font-server). The pictures:
//   main-window.png        the main window on a USB2 sound board with a font
//                          loaded, the font's folder in the file browser
//                          (a temporary home's documents)
//   waveform-strip.png     the waveform strip under the categories with the
//                          idle hum, its play head where it is while playing
//   download-erasing.png   the main window while the download erases
//   download-success.png   the download frame at its end
//   motion-live.png        the acceleration sensor panel after 10 s of live
//                          readings of the virtual board's scripted motion
//   led-panel.png          the LED panel with its swatches, pulse graphs and
//                          the LED setting frame open, and its frames apart:
//                          led-idle-pulse.png, led-flash-on-clash.png,
//                          led-setting.png
//   update-finished.png    the update dialog after fetching two fonts from
//                          font-server on 127.0.0.1
//   brelka.png             brelka's window on a folder of recordings
//   brelka-information.png brelka's information box about a WAV file
//   help-window.png        the help window at the sound font's page
// Everything the windows write (fonts, settings, scratch files) goes to a
// temporary home that is removed at the end.
// `cmake --build build --target help_screenshots` runs it into
// resources/help.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "app/Application.h"
#include "app/LedPanelWidget.h"
#include "app/Main.h"
#include "converter/AudioConversion.h"
#include "converter/ConverterWindow.h"
#include "converter/WavFile.h"
#include "motion/LiveSensor.h"
#include "sound/ConfigurationFile.h"
#include "sound/SoundCategories.h"
#include "widgets/HelpWindow.h"
#include "widgets/QtDialogs.h"
#include "widgets/WaveformStrip.h"

namespace {

// Answers every question with OK and every dialog with cancel, except an
// open dialog when a file to open was set; says on stderr what a message
// box would have shown.
class QuietDialogs : public seams::UserDialogs {
 public:
  seams::DialogResult Message(const std::string& text, seams::DialogIcon,
                              seams::DialogButtons) override {
    std::cerr << "make_screenshots: the window said: " << text << '\n';
    return seams::DialogResult::Ok;
  }
  std::optional<std::string> OpenFile(const seams::FileDialogRequest&) override {
    if (fileToOpen.empty()) return {};
    return fileToOpen;
  }
  std::optional<std::string> SaveFile(const seams::FileDialogRequest&) override { return {}; }
  std::optional<int32_t> PickColor(int32_t) override { return {}; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return {};
  }
  std::string fileToOpen;
};

void Fail(const std::string& what) {
  throw std::runtime_error(what);
}

// The temporary home of one run: HOME and the XDG folders point into it,
// so the windows' settings and files never reach the user's own.
struct Scene {
  QTemporaryDir dir{QDir::tempPath() + "/morvane-guide-XXXXXX"};
  QString appFolder;
  QString out;

  QString Path(const QString& relative) const { return dir.path() + "/" + relative; }
  QString Home() const { return Path("home"); }
  QString UserFolder() const { return Home() + "/.local/share/morvane"; }
  QString Documents() const { return Home() + "/Documents"; }
  QString Sounds() const { return Documents() + "/sabers"; }
  QString Recordings() const { return Documents() + "/recordings"; }
};

void MakeHome(const Scene& scene) {
  if (!scene.dir.isValid()) Fail("cannot make a temporary folder");
  for (const QString& sub : {".config", ".local/share/morvane", ".cache/morvane",
                             "Documents/sabers", "Documents/recordings"})
    if (!QDir().mkpath(scene.Home() + "/" + sub)) Fail("cannot make " + sub.toStdString());
  const auto set = [](const char* name, const QString& value) {
    setenv(name, value.toLocal8Bit().constData(), 1);
  };
  set("HOME", scene.Home());
  set("XDG_CONFIG_HOME", scene.Home() + "/.config");
  set("XDG_DATA_HOME", scene.Home() + "/.local/share");
  set("XDG_CACHE_HOME", scene.Home() + "/.cache");
}

// A sound of 16-bit samples at 48 kHz: a tone with a few overtones, a
// little noise, a quick attack and a fade at the end.
std::vector<int16_t> Sound(double seconds, double hz, double noise) {
  const int n = int(seconds * 48000);
  std::vector<int16_t> samples(n);
  uint32_t random = 12345;
  for (int i = 0; i < n; ++i) {
    const double t = i / 48000.0;
    const double envelope = std::min(1.0, i / 480.0) * std::min(1.0, (n - i) / 4800.0);
    random = random * 1664525u + 1013904223u;
    const double hiss = (int32_t(random >> 8) % 2000 - 1000) / 1000.0;
    const double tone = std::sin(2 * M_PI * hz * t) + 0.4 * std::sin(4 * M_PI * hz * t) +
                        0.2 * std::sin(6 * M_PI * hz * t);
    samples[i] = int16_t(std::lround(envelope * 12000 * (tone + noise * hiss)));
  }
  return samples;
}

void WriteFile(const QString& path, const QByteArray& header, const std::vector<int16_t>& samples) {
  QFile file(path);
  QByteArray bytes = header;
  for (int16_t s : samples) {
    bytes.append(char(s & 0xFF));
    bytes.append(char((s >> 8) & 0xFF));
  }
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    Fail("cannot write " + path.toStdString());
}

// An LSU file: the reserved 4-byte field and the samples.
void WriteLsu(const QString& path, const std::vector<int16_t>& samples) {
  WriteFile(path, QByteArray(4, '\0'), samples);
}

// A mono 16-bit WAV file at `rate`.
void WriteWav(const QString& path, const std::vector<int16_t>& samples, uint32_t rate) {
  const auto le = [](uint32_t v, int bytes) {
    QByteArray b;
    for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xFF));
    return b;
  };
  const uint32_t data = uint32_t(samples.size() * 2);
  QByteArray header = "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                      le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4);
  WriteFile(path, header, samples);
}

// A font of the seven categories in sabers/NAME, with its configuration
// file NAME.lscfg; `pitch` sets it apart from another.
QString MakeFont(const Scene& scene, const QString& name, double pitch) {
  const QString folder = scene.Sounds() + "/" + name;
  if (!QDir().mkpath(folder)) Fail("cannot make " + folder.toStdString());
  struct Item {
    const char* file;
    sound::FileType category;
    double seconds, hz, noise;
  };
  const Item items[] = {
      {"boot.lsu", sound::kBoot, 1.2, 440, 0.1},
      {"poweron.lsu", sound::kPwrOn, 1.0, 220, 0.3},
      {"poweroff.lsu", sound::kPwrOff, 1.0, 180, 0.3},
      {"hum.lsu", sound::kIdle, 2.0, 90, 0.05},
      {"swing1.lsu", sound::kMotion, 0.8, 140, 0.4},
      {"swing2.lsu", sound::kMotion, 0.8, 150, 0.4},
      {"swing3.lsu", sound::kMotion, 0.9, 160, 0.4},
      {"swing4.lsu", sound::kMotion, 0.7, 170, 0.4},
      {"clash1.lsu", sound::kImpact, 0.5, 600, 0.8},
      {"clash2.lsu", sound::kImpact, 0.6, 650, 0.8},
      {"clash3.lsu", sound::kImpact, 0.5, 700, 0.8},
      {"lockup.lsu", sound::kLockup, 1.5, 300, 0.9},
  };
  sound::LSU_Configuration config;
  for (const Item& item : items) {
    const QString path = folder + "/" + item.file;
    WriteLsu(path, Sound(item.seconds, item.hz * pitch, item.noise));
    if (!config.AddFile(path.toStdString(), item.category))
      Fail("the font does not take " + path.toStdString());
  }
  const QString file = folder + "/" + name + ".lscfg";
  if (const seams::Result saved = sound::SaveConfiguration(config, file.toStdString()); !saved)
    Fail(saved.Message());
  return file;
}

app::MainOptions Options(const Scene& scene, const std::string& spec, QuietDialogs& dialogs) {
  session::FrontEndOptions board;
  board.virtualBoard = spec;
  app::MainOptions options;
  options.appFolder = scene.appFolder;
  const std::string app = scene.appFolder.toStdString();
  const std::string user = scene.UserFolder().toStdString();
  options.folders =
      paths::AppPaths{app, app, user, scene.Home().toStdString() + "/.cache/morvane", true};
  options.board = session::MakeBoardAgent(board);
  options.dialogs = &dialogs;
  return options;
}

std::unique_ptr<app::Main> Window(app::MainOptions options) {
  auto main = std::make_unique<app::Main>(std::move(options));
  if (!main->Startup()) Fail("the window did not start");
  main->resize(1000, 720);  // fits a 1366 x 768 screen
  main->show();
  return main;
}

std::unique_ptr<app::Main> Window(const Scene& scene, const std::string& spec,
                                  QuietDialogs& dialogs) {
  return Window(Options(scene, spec, dialogs));
}

template <typename W>
W* Child(QWidget& parent, const char* name) {
  W* w = parent.findChild<W*>(name);
  if (!w) Fail(std::string("no control ") + name);
  return w;
}

void RunEvents(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Save(QWidget* widget, const QString& path) {
  if (!widget->grab().save(path)) Fail("cannot write " + path.toStdString());
  std::cout << path.toStdString() << '\n';
}

void SetText(QWidget& main, const char* field, const char* text) {
  Child<QLineEdit>(main, field)->setText(text);
}

// Shows a folder of the documents in a window's file browser as a user
// gets there: "My Documents" chosen in the drive list, then the folder
// clicked in the folder tree.
void Browse(QWidget& window, const QString& folder) {
  auto* drives = Child<QComboBox>(window, "DriveList");
  const int documents = drives->findText("My Documents");
  if (documents < 0) Fail("the drive list has no \"My Documents\"");
  drives->setCurrentIndex(documents);
  emit drives->activated(documents);
  RunEvents(300);  // the file system model reads the folders
  auto* tree = Child<QTreeView>(window, "DirList");
  auto* model = qobject_cast<QFileSystemModel*>(tree->model());
  if (!model) Fail("the folder tree has no file system model");
  tree->setCurrentIndex(model->index(folder));
  tree->expand(model->index(folder));
  RunEvents(500);
}

// Loads the configuration file through the load button, and shows its
// folder in the file browser.
void LoadFont(app::Main& main, QuietDialogs& dialogs, const QString& file) {
  dialogs.fileToOpen = file.toStdString();
  Child<QToolButton>(main, "LoadBtn")->click();
  dialogs.fileToOpen.clear();
  Browse(main, QFileInfo(file).absolutePath());
}

// Lets events run until a waveform strip has read its file.
void WaitForWaveform(widgets::WaveformStrip* strip) {
  QElapsedTimer clock;
  clock.start();
  while (strip->CurrentState() == widgets::WaveformStrip::State::Reading && clock.elapsed() < 30000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  if (strip->CurrentState() != widgets::WaveformStrip::State::Shown)
    Fail("the waveform strip shows no waveform: " + strip->Note().toStdString());
}

// The font loaded, the swing list's second file chosen with its volume and
// its waveform; then the idle hum chosen, its strip with the play head
// where a third of its playing puts it (the window's player needs a sound
// output, which the offscreen platform has not).
void MainWindow(const Scene& scene, const QString& font) {
  QuietDialogs dialogs;
  auto main = Window(scene, "usb2,sn=0A1B2C3D", dialogs);
  LoadFont(*main, dialogs, font);
  auto* motion = Child<QListWidget>(*main, "MtFileList");
  motion->setFocus();
  motion->setCurrentRow(1);
  auto* strip = Child<widgets::WaveformStrip>(*main, "WaveformStrip");
  WaitForWaveform(strip);
  RunEvents(200);
  Save(main.get(), scene.out + "/main-window.png");
  Child<QRadioButton>(*main, "IdleOption")->click();
  WaitForWaveform(strip);
  strip->SetPlayHead(strip->Picture().seconds / 3);
  RunEvents(100);
  Save(strip, scene.out + "/waveform-strip.png");
}

// The download's frame while the board erases, and at its end. The
// download lets events run between its polls of the erase, and a poll waits
// up to the agent's time-out (3 s): an erase of 4.5 s is seen once running.
void Download(const Scene& scene, const QString& font) {
  QuietDialogs dialogs;
  auto main = Window(scene, "usb2,sn=0A1B2C3D,erase-ms=4500", dialogs);
  LoadFont(*main, dialogs, font);
  auto* info = Child<QLabel>(*main, "InfoLabel");
  QElapsedTimer clock;
  bool taken = false;
  QTimer watch;
  watch.callOnTimeout([&] {
    if (taken || !info->text().startsWith("Erasing") || clock.elapsed() < 1000) return;
    Save(main.get(), scene.out + "/download-erasing.png");
    taken = true;
  });
  watch.start(50);
  clock.start();
  Child<QToolButton>(*main, "SendBtn")->click();  // returns when the download has ended
  watch.stop();
  if (!taken) Fail("the erase went by unseen");
  if (!info->text().startsWith("SUCCESS"))
    Fail("the download ended with " + info->text().toStdString());
  Save(Child<QGroupBox>(*main, "DownloadFrame"), scene.out + "/download-success.png");
}

// A blue blade with a slow breathing idle pulse and a white triple flash;
// the LED setting frame open on the idle pulse's high level.
void LedPanel(const Scene& scene) {
  QuietDialogs dialogs;
  auto main = Window(scene, "led,ledcode=10", dialogs);  // Tri-Cree RGB
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
  Save(Child<QGroupBox>(*main, "frmLED"), scene.out + "/led-panel.png");
  Save(Child<QGroupBox>(*main, "FrameIdle"), scene.out + "/led-idle-pulse.png");
  Save(Child<QGroupBox>(*main, "FrameFoc"), scene.out + "/led-flash-on-clash.png");
  Save(Child<QGroupBox>(*main, "PickColor_frame"), scene.out + "/led-setting.png");
}

// Ten seconds of the scripted motion: four times still, swing and clash.
void MotionPanel(const Scene& scene) {
  QuietDialogs dialogs;
  auto main = Window(scene, "sound", dialogs);
  Child<QToolButton>(*main, "ConfigBtn")->click();
  Child<QCheckBox>(*main, "LiveCheck")->click();
  RunEvents(int(motion::kLiveWindowSeconds * 1000) + 300);
  Child<QCheckBox>(*main, "LiveCheck")->click();
  Save(Child<QGroupBox>(*main, "ConfigFrame"), scene.out + "/motion-live.png");
}

// font-server on 127.0.0.1 serving the fonts in sabers/, until destroyed.
class FontServer {
 public:
  FontServer(const Scene& scene) {
    server_.setProgram(scene.appFolder + "/font-server");
    server_.setArguments({"--root", scene.Sounds(), "--host", "127.0.0.1", "--port", "0"});
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start();
    const QString prefix = "listening on ";
    while (!server_.canReadLine() && server_.waitForReadyRead(30000)) {
    }
    const QString first = QString::fromUtf8(server_.readLine()).trimmed();
    if (!first.startsWith(prefix)) Fail("font-server did not start");
    host_ = first.mid(prefix.size()).toStdString();
  }
  ~FontServer() {
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
    server_.waitForFinished(5000);
  }
  std::string Host() const { return host_; }

 private:
  QProcess server_;
  std::string host_;
};

// The dialog at the end of an update that fetched both fonts.
void Update(const Scene& scene) {
  FontServer server(scene);
  QuietDialogs dialogs;
  app::MainOptions options = Options(scene, "usb2,sn=0A1B2C3D", dialogs);
  options.updateHost = server.Host();
  auto main = Window(std::move(options));
  bool taken = false;
  QTimer watch;
  watch.callOnTimeout([&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* ok = dialog->findChild<QWidget*>("formButtonBackground2");
    if (!ok || !ok->isVisible()) return;
    watch.stop();
    Save(dialog, scene.out + "/update-finished.png");
    taken = true;
    dialog->hide();  // what its OK button does
  });
  watch.start(50);
  Child<QToolButton>(*main, "UpdateBtn")->click();  // returns when the dialog has gone
  if (!taken) Fail("the update dialog did not end with its OK button");
}

// brelka on a folder of recordings and the LSU files made of two of them.
void Brelka(const Scene& scene) {
  const QString folder = scene.Recordings();
  WriteWav(folder + "/hum.wav", Sound(2.0, 90, 0.05), 48000);
  WriteWav(folder + "/swing1.wav", Sound(0.8, 140, 0.4), 48000);
  WriteWav(folder + "/swing2.wav", Sound(0.8, 150, 0.4), 48000);
  WriteWav(folder + "/clash1.wav", Sound(0.5, 600, 0.8), 44100);
  WriteWav(folder + "/clash2.wav", Sound(0.6, 650, 0.8), 44100);
  WriteLsu(folder + "/hum.lsu", Sound(2.0, 90, 0.05));
  WriteLsu(folder + "/swing1.lsu", Sound(0.8, 140, 0.4));
  QuietDialogs dialogs;
  converter::ConverterWindow window(scene.appFolder, &dialogs, folder);
  window.show();
  Browse(window, folder);
  auto* files = Child<QListWidget>(window, "FileList");
  for (int i = 0; i < files->count(); ++i)
    if (files->item(i)->text().startsWith("clash")) files->item(i)->setSelected(true);
  Child<QCheckBox>(window, "ResampleCheck")->setChecked(true);
  RunEvents(100);
  Save(&window, scene.out + "/brelka.png");

  // The box a double-click shows after playing the file, as brelka's own
  // dialogs show it.
  widgets::QtDialogs boxes(&window);
  boxes.SetSoundReader(converter::SummariseRecording);
  converter::WavFile wav;
  if (!wav.OpenFile((folder + "/hum.wav").toStdString())) Fail("hum.wav is not read");
  bool taken = false;
  QTimer watch;
  watch.callOnTimeout([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || taken) return;
    taken = true;
    WaitForWaveform(Child<widgets::WaveformStrip>(*box, "InfoWaveformStrip"));
    RunEvents(100);
    Save(box, scene.out + "/brelka-information.png");
    box->button(QMessageBox::Ok)->click();
  });
  watch.start(50);
  boxes.AboutSound(wav.Information(), wav.FileName);
  if (!taken) Fail("the information box did not show");
}

// The help window over the main window, at the sound font's page.
void HelpWindow(const Scene& scene) {
  QuietDialogs dialogs;
  auto main = Window(scene, "sound", dialogs);
  widgets::Guide guide(scene.appFolder);
  if (!guide.Open(main.get(), "building-a-font.html")) Fail("the guide's pages are missing");
  RunEvents(200);
  Save(guide.Window(), scene.out + "/help-window.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") || !*std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc != 3) {
    std::cerr << "usage: make_screenshots APP_FOLDER OUTPUT_FOLDER\n";
    return 2;
  }
  Scene scene;
  try {
    MakeHome(scene);
  } catch (const std::exception& e) {
    std::cerr << "make_screenshots: " << e.what() << '\n';
    return 1;
  }
  app::Application qapp(argc, argv);
  scene.appFolder = QFileInfo(argv[1]).absoluteFilePath();
  scene.out = QFileInfo(argv[2]).absoluteFilePath();
  try {
    if (!QDir().mkpath(scene.out)) Fail("cannot make " + scene.out.toStdString());
    const QString ember = MakeFont(scene, "Ember", 1.0);
    MakeFont(scene, "Frost", 1.25);
    MainWindow(scene, ember);
    Download(scene, ember);
    MotionPanel(scene);
    LedPanel(scene);
    Update(scene);
    Brelka(scene);
    HelpWindow(scene);
  } catch (const std::exception& e) {
    std::cerr << "make_screenshots: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
