// brelka's window, driven by control names.

#include <gtest/gtest.h>

#include <sndfile.h>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "converter/ConverterWindow.h"
#include "tests/converter/AudioFixtures.h"
#include "tests/converter/WavFixtures.h"
#include "tests/support/Controls.h"
#include "tests/support/Recorders.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFiles.h"
#include "widgets/FileBrowser.h"
#include "widgets/HelpWindow.h"
#include "widgets/WaveformStrip.h"

using namespace testing_support;

namespace {

// Interleaved stereo frames of a 1 kHz sine at half scale.
std::vector<float> StereoTone(int rate, double seconds) {
  std::vector<float> frames;
  for (int n = 0; n < int(rate * seconds); ++n)
    frames.insert(frames.end(), 2, float(0.5 * std::sin(2 * std::numbers::pi * 1000 * n / rate)));
  return frames;
}

QStringList Listed(const QListWidget* files) {
  QStringList names;
  for (int row = 0; row < files->count(); ++row) names << files->item(row)->text();
  return names;
}

QStringList FolderList(const std::string& dir) {
  QStringList names;
  for (const std::string& name : FolderNames(dir)) names << QString::fromStdString(name);
  return names;
}

// A click on the entry of that name, with Ctrl to add it to the selection.
void ClickEntry(QListWidget* files, const QString& name, Qt::KeyboardModifiers keys = {}) {
  const auto found = files->findItems(name, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << name.toStdString();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, keys,
                    files->visualItemRect(found[0]).center());
}

// A double-click as the window system delivers it: a click, then the
// second press as a double-click.
void DoubleClickEntry(QListWidget* files, const QString& name) {
  ClickEntry(files, name);
  const auto found = files->findItems(name, Qt::MatchExactly);
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, {},
                     files->visualItemRect(found[0]).center());
}

// The tone at 48 kHz: length and level.
void ExpectTone(const std::string& lsu, double seconds) {
  const std::vector<int16_t> samples = ReadLsuSamples(lsu);
  ASSERT_NEAR(double(samples.size()), 48000 * seconds, 2) << lsu;
  const std::vector<double> middle(samples.begin() + 2400, samples.end() - 2400);
  EXPECT_NEAR(ToneAmplitude(middle, 1000, 48000) / 32768, 0.5, 0.01) << lsu;
}

// The recordings of the window's folder: written before the window lists it.
std::string RecordingsFolder() {
  const std::string dir = UniqueTempPath("brelka_resample");
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/a.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(200, 1)));
  WriteSound(dir + "/hum.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2,
             StereoTone(44100, 0.5));
  WriteSound(dir + "/st.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, StereoTone(44100, 0.5));
  WriteFile(dir + "/notes.txt", {'h', 'i'});
  return dir;
}

class ResamplingWindow : public ::testing::Test {
 protected:
  ResamplingWindow() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  ~ResamplingWindow() override { std::filesystem::remove_all(dir); }

  template <typename W>
  W* Control(const char* name) {
    return testing_support::Control<W>(window, name);
  }

  const std::string dir = RecordingsFolder();
  ScriptedDialogs dialogs;
  converter::ConverterWindow window{QString::fromStdString(dir), &dialogs};
  QListWidget* files = Control<QListWidget>("FileList");
  QPushButton* convert = Control<QPushButton>("ConvertBtn");
  QCheckBox* resample = Control<QCheckBox>("ResampleCheck");
};

// Off, the window does what it always did with a FLAC file; a click on the
// check box lets it show what the file is and convert it.
TEST_F(ResamplingWindow, TheCheckBoxLetsAFlacFileBeShownAndConverted) {
  EXPECT_EQ(resample->text(), "Convert other formats to mono 16 bit 48 kHz");
  EXPECT_FALSE(resample->isChecked());
  // Every file of the folder, as always: the FLAC file among them.
  EXPECT_EQ(Listed(files), FolderList(dir));

  DoubleClickEntry(files, "hum.flac");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages.back().text, "Invalid WAV file");
  ClickEntry(files, "hum.flac");
  QTest::mouseClick(convert, Qt::LeftButton);
  EXPECT_EQ(dialogs.messages.back().text, "Invalid WAV file");
  EXPECT_TRUE(dialogs.fileRequests.empty());

  QTest::mouseClick(resample, Qt::LeftButton);
  ASSERT_TRUE(resample->isChecked());
  EXPECT_EQ(Listed(files), FolderList(dir));
  DoubleClickEntry(files, "hum.flac");
  EXPECT_EQ(dialogs.messages.back().text,
            "File information: FLAC, stereo, Frequency: 44100, Coding: 24 bits, Duration: 0.5 sec");
  EXPECT_EQ(dialogs.messages.back().icon, seams::DialogIcon::Information);
  DoubleClickEntry(files, "notes.txt");
  EXPECT_EQ(dialogs.messages.back().text.rfind("notes.txt cannot be read as sound", 0), 0u);

  dialogs.savePaths = {dir + "/hum.lsu"};
  ClickEntry(files, "hum.flac");
  QTest::mouseClick(convert, Qt::LeftButton);
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].fileName, "hum.lsu");
  EXPECT_EQ(dialogs.messages.back().text,
            "Converted: stereo 44100 Hz 24 bit \u2192 mono 48000 Hz 16 bit");
  ExpectTone(dir + "/hum.lsu", 0.5);
  EXPECT_TRUE(Listed(files).contains("hum.lsu"));
}

// Several files with the box checked: the WAV reader's file keeps its
// copy, the others are resampled on the workers while the window shows
// progress and a cancel button, and whatever cannot be read is refused.
TEST_F(ResamplingWindow, ABatchConvertsEveryReadableFormat) {
  QTest::mouseClick(resample, Qt::LeftButton);
  ClickEntry(files, "a.wav");
  for (const char* name : {"hum.flac", "notes.txt", "st.wav"})
    ClickEntry(files, name, Qt::ControlModifier);
  auto* progress = Control<QProgressBar>("ConvertProgress");
  auto* cancel = Control<QPushButton>("CancelBtn");
  bool shown = false, controlsWaited = true;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!progress->isVisible()) return;
    shown = cancel->isVisible() && cancel->isEnabled();
    controlsWaited = controlsWaited && !resample->isEnabled() && !convert->isEnabled();
  });
  during.start(0);
  QTest::mouseClick(convert, Qt::LeftButton);
  during.stop();

  EXPECT_TRUE(shown) << "progress and cancel showed while the batch ran";
  EXPECT_TRUE(controlsWaited);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text.rfind("notes.txt cannot be read as sound", 0), 0u);
  EXPECT_EQ(dialogs.messages[0].icon, seams::DialogIcon::Critical);
  EXPECT_EQ(
      dialogs.messages[1].text,
      "THE FOLLOWING FILES WERE CONVERTED: \r\na.wav"
      "\r\nhum.flac \u2192 hum.lsu (Converted: stereo 44100 Hz 24 bit \u2192 mono 48000 Hz 16 "
      "bit)"
      "\r\nst.wav \u2192 st.lsu (Converted: stereo 44100 Hz 16 bit \u2192 mono 48000 Hz 16 bit)");
  EXPECT_EQ(ReadLsuSamples(dir + "/a.lsu").size(), 100u);
  ExpectTone(dir + "/hum.lsu", 0.5);
  ExpectTone(dir + "/st.lsu", 0.5);
  EXPECT_EQ(Listed(files), FolderList(dir));
}

// The progress bar moves while the workers convert, and Cancel stops the
// batch: the long recording leaves no file, half or whole, and the report
// says the rest was not converted.
TEST_F(ResamplingWindow, CancelStopsTheBatch) {
  WriteSound(dir + "/long.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
             StereoTone(44100, 60));
  window.Browser().RefreshFiles();
  QTest::mouseClick(resample, Qt::LeftButton);
  ClickEntry(files, "long.flac");
  ClickEntry(files, "st.wav", Qt::ControlModifier);
  auto* cancel = Control<QPushButton>("CancelBtn");
  auto* progress = Control<QProgressBar>("ConvertProgress");
  // Clicked once the bar has moved: the window took events while the
  // workers converted.
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (progress->value() > 0 && cancel->isEnabled()) QTest::mouseClick(cancel, Qt::LeftButton);
  });
  during.start(0);
  QTest::mouseClick(convert, Qt::LeftButton);
  during.stop();

  ASSERT_FALSE(dialogs.messages.empty());
  const std::string report = dialogs.messages.back().text;
  EXPECT_EQ(report.rfind("THE FOLLOWING FILES WERE CONVERTED: ", 0), 0u);
  EXPECT_NE(report.find("Cancelled: the other files were not converted."), std::string::npos)
      << report;
  EXPECT_EQ(report.find("long.flac"), std::string::npos) << report;
  EXPECT_FALSE(std::filesystem::exists(dir + "/long.lsu"));
  // st.wav was converted whole on the other worker, or not at all.
  QStringList expected = {"a.wav", "hum.flac", "long.flac", "notes.txt", "st.wav"};
  if (std::filesystem::exists(dir + "/st.lsu")) {
    ExpectTone(dir + "/st.lsu", 0.5);
    expected << "st.lsu";
  }
  expected.sort();
  EXPECT_EQ(FolderList(dir), expected) << "no temporary file left";
  EXPECT_TRUE(convert->isEnabled() && resample->isEnabled() && files->isEnabled());
  EXPECT_FALSE(cancel->isVisible());
}

TEST(ConverterWindow, ConvertsTheSelectedFiles) {
  const std::string dir = UniqueTempPath("brelka_window");
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/a.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(20, 1)));
  WriteFile(dir + "/b.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(20, 1)));
  ScriptedDialogs dialogs;
  converter::ConverterWindow window(QString::fromStdString(dir), &dialogs);
  EXPECT_EQ(window.windowTitle(), "RiziRozod Converter");
  auto* convert = window.findChild<QPushButton*>("ConvertBtn");
  ASSERT_NE(convert, nullptr);
  EXPECT_EQ(convert->text(), "   Convert WAV     to LSU");
  auto* files = window.findChild<QListWidget*>("FileList");
  ASSERT_NE(files, nullptr);
  ASSERT_EQ(files->count(), 2);  // the program's folder is shown first
  EXPECT_EQ(files->selectionMode(), QAbstractItemView::ExtendedSelection);

  convert->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "No file selected");

  files->setCurrentRow(0);
  files->item(1)->setSelected(true);
  convert->click();
  EXPECT_EQ(dialogs.messages.back().text, "THE FOLLOWING FILES WERE CONVERTED: \r\na.wav\r\nb.wav");
  EXPECT_TRUE(std::filesystem::exists(dir + "/b.lsu"));
  std::filesystem::remove_all(dir);
}

// Real clicks: select in.wav, press Convert. While the conversion runs (the
// wait panel shows and events are let through) a second click on Convert
// must not start another conversion; afterwards the new LSU file is listed.
TEST(ConverterWindow, OneConversionAtATimeAndTheNewFileIsListed) {
  const std::string dir = UniqueTempPath("brelka_clicks");
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/in.wav", MakeWav(1, 48000, 16, std::vector<uint8_t>(4 << 20, 1)));
  ScriptedDialogs dialogs;
  dialogs.savePaths = {dir + "/in.lsu", dir + "/again.lsu"};
  converter::ConverterWindow window(QString::fromStdString(dir), &dialogs);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* convert = window.findChild<QPushButton*>("ConvertBtn");
  auto* files = window.findChild<QListWidget*>("FileList");
  auto* wait = window.findChild<QWidget*>("PleaseWaitFrame");
  ASSERT_TRUE(convert && files && wait);
  ASSERT_EQ(files->count(), 1);
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(files->item(0)).center());
  ASSERT_EQ(files->currentItem()->text(), "in.wav");

  int seen = 0;
  bool enabledWhileConverting = false;
  bool progressWhileCopying = false;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!wait->isVisible() || seen++) return;
    enabledWhileConverting = convert->isEnabled() || files->isEnabled();
    // A plain copy shows the wait panel as it always did, nothing more.
    progressWhileCopying = window.findChild<QWidget*>("ConvertProgress")->isVisible() ||
                           window.findChild<QWidget*>("CancelBtn")->isVisible();
    QTest::mouseClick(convert, Qt::LeftButton);
  });
  during.start(0);
  QTest::mouseClick(convert, Qt::LeftButton);
  during.stop();

  EXPECT_GT(seen, 0) << "the conversion let events through";
  EXPECT_FALSE(enabledWhileConverting);
  EXPECT_FALSE(progressWhileCopying);
  EXPECT_EQ(dialogs.fileRequests.size(), 1u) << "a second conversion was started";
  EXPECT_FALSE(std::filesystem::exists(dir + "/again.lsu"));
  EXPECT_TRUE(convert->isEnabled());
  EXPECT_TRUE(files->isEnabled());
  QStringList listed;
  for (int row = 0; row < files->count(); ++row) listed << files->item(row)->text();
  EXPECT_EQ(listed.join(", ").toStdString(), "in.lsu, in.wav");
  EXPECT_EQ(files->currentItem()->text().toStdString(), "in.wav") << "the selection stays";
  std::filesystem::remove_all(dir);
}

// What the information box showed: its text, and its strip's picture once
// the file was read.
struct InformationBox {
  std::string text;
  std::string note;
  sound::WaveformPicture picture;
};

// Double-clicks the entry and reads the real information box that follows
// the playback, then presses its OK button.
InformationBox ShowInformation(QListWidget* files, const QString& name) {
  InformationBox seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    seen.text = box->text().toStdString();
    auto* strip = box->findChild<widgets::WaveformStrip*>("InfoWaveformStrip");
    if (strip) {
      EXPECT_TRUE(QTest::qWaitFor(
          [&] { return strip->CurrentState() != widgets::WaveformStrip::State::Reading; }, 60000));
      seen.note = strip->Note().toStdString();
      seen.picture = strip->Picture();
    }
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  });
  poll.start(10);
  DoubleClickEntry(files, name);
  return seen;
}

// The information box draws the sound as the board plays its conversion:
// scaled from the loudest sample to the full scale, lowest and highest per
// pixel column, the length in seconds; with the check box, any format.
TEST(ConverterWindow, InformationBoxShowsTheWaveform) {
  const std::string dir = UniqueTempPath("brelka_waveform");
  std::filesystem::create_directories(dir);
  // Half a second of a 1 kHz square between +8000 and -4000, then as
  // long silent.
  std::vector<uint8_t> data;
  for (int n = 0; n < 48000; ++n) {
    const int16_t s = n >= 24000 ? 0 : (n / 24) % 2 ? -4000 : 8000;
    data.push_back(uint8_t(s & 0xff));
    data.push_back(uint8_t((s >> 8) & 0xff));
  }
  WriteFile(dir + "/square.wav", MakeWav(1, 48000, 16, data));
  WriteSound(dir + "/hum.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2,
             StereoTone(44100, 0.5));
  converter::ConverterWindow window(QString::fromStdString(dir));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* files = window.findChild<QListWidget*>("FileList");

  const InformationBox square = ShowInformation(files, "square.wav");
  EXPECT_EQ(square.text,
            "File information: mono, Frequency: 48000, Coding: 16 bits, Duration: 1 sec");
  ASSERT_GT(square.picture.columns.size(), 100u) << square.note;
  EXPECT_DOUBLE_EQ(square.picture.seconds, 1.0);
  const auto& columns = square.picture.columns;
  // 999 x -4000 / 8000 = -499.5, rounded half to even as the coder does.
  EXPECT_EQ(columns.front(), (sound::SampleSpan{-500, 999}));
  EXPECT_EQ(columns[columns.size() / 2 - 2], (sound::SampleSpan{-500, 999}));
  EXPECT_EQ(columns[columns.size() / 2 + 2], (sound::SampleSpan{0, 0}));
  EXPECT_EQ(columns.back(), (sound::SampleSpan{0, 0}));

  QTest::mouseClick(window.findChild<QCheckBox*>("ResampleCheck"), Qt::LeftButton);
  const InformationBox hum = ShowInformation(files, "hum.flac");
  EXPECT_EQ(hum.text.rfind("File information: FLAC, stereo", 0), 0u) << hum.text;
  ASSERT_FALSE(hum.picture.columns.empty()) << hum.note;
  EXPECT_DOUBLE_EQ(hum.picture.seconds, 0.5);
  int highest = -1000, lowest = 1000;
  for (const auto& c : hum.picture.columns) {
    highest = std::max<int>(highest, c.high);
    lowest = std::min<int>(lowest, c.low);
  }
  EXPECT_EQ(std::max(highest, -lowest), 999) << "the loudest sample reaches full scale";
  EXPECT_GE(std::min(highest, -lowest), 998) << "a sine swings as far down as up";
  std::filesystem::remove_all(dir);
}

// F1 opens the user guide at its page on brelka, in brelka's own help
// window: nothing on the desktop (an empty PATH) is needed to show it.
TEST(ConverterWindow, F1OpensTheGuideAtBrelkasPage) {
  const std::string noPrograms = UniqueTempPath("brelka_no_programs");
  std::filesystem::create_directories(noPrograms);
  ScopedEnv path("PATH", noPrograms);
  ScriptedDialogs dialogs;
  converter::ConverterWindow window(APP_FOLDER, &dialogs);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 30000));
  QTest::keyClick(&window, Qt::Key_F1);
  auto* help = window.findChild<widgets::HelpWindow*>("HelpWindow");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->CurrentPage().toStdString(), "converter.html");
  EXPECT_TRUE(
      Control<QTextBrowser>(*help, "HelpBrowser")->toPlainText().contains("The brelka window"));
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
