// brelka: converts WAV recordings (mono, 16 bit, 48 kHz) into LSU files,
// in its window or from the command line: brelka -i IN -o OUT -u

#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "converter/CommandLine.h"
#include "converter/ConverterWindow.h"
#include "fileio/AtomicFile.h"
#include "paths/AppPaths.h"
#include "widgets/QtDialogs.h"

namespace {

// Message boxes need a display; without one the messages are printed.
bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && std::strcmp(platform, "offscreen") == 0) return false;
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* v = std::getenv(var); v && *v) return true;
  return false;
}

std::string ForConsole(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

// A result on stdout, a refusal or failure on stderr.
void Print(const converter::Outcome& outcome) {
  (outcome.status == 0 ? std::cout : std::cerr) << ForConsole(outcome.message) << std::endl;
}

// The outcome waiting for its message box while the window system starts.
const converter::Outcome* pending = nullptr;

// While the window system starts, Qt's own complaints are kept quiet; when
// it cannot start at all (a display that is configured but unreachable: a
// stale DISPLAY over ssh or in cron), Qt ends the program after a fatal
// message, and the outcome is printed instead of shown.
void WhileStartingWindowSystem(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg || !pending) return;
  Print(*pending);
  _exit(pending->status);
}

// The one message box of a command-line run, or the console when no window
// system is there to show it.
void Report(const converter::Outcome& outcome, int argc, char** argv) {
  if (!HasDisplay()) {
    Print(outcome);
    return;
  }
  pending = &outcome;
  const QtMessageHandler previous = qInstallMessageHandler(WhileStartingWindowSystem);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  pending = nullptr;
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") {
    Print(outcome);
    return;
  }
  widgets::QtDialogs(nullptr).Message(outcome.message, outcome.icon, seams::DialogButtons::Ok);
}

}  // namespace

int main(int argc, char** argv) {
  fileio::FailWritesPastSizeLimit();
  const converter::CommandLine line =
      converter::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.kind == converter::CommandLine::Window) {
    QApplication app(argc, argv);
    const paths::AppPaths folders =
        paths::ResolveAppPaths(QApplication::applicationDirPath().toStdString());
    converter::ConverterWindow window(QString::fromStdString(folders.dataFolder), nullptr,
                                      QString::fromStdString(paths::StartFolder(folders)));
    window.show();
    return QApplication::exec();
  }
  // The command line never needs a window system: the conversion runs
  // without one, and only its message may then go to a box.
  converter::Outcome outcome;
  {
    QCoreApplication core(argc, argv);
    outcome = converter::RunCommandLine(line, QCoreApplication::applicationDirPath().toStdString());
  }
  Report(outcome, argc, argv);
  return outcome.status;
}
