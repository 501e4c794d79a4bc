// brelka: converts recordings into LSU files, in its window or from the
// command line: brelka -i IN -o OUT -u [-r], or for scripts
// brelka convert [--resample] [--force] FILE... [-o OUT.lsu | --out-dir DIR]

#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "ProjectVersion.h"
#include "converter/CommandLine.h"
#include "converter/ConvertCommand.h"
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

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

// "convert", "--help" and "--version": ordinary arguments, text on the
// console only, no Qt at all. Ctrl+C stops the conversions cleanly: no
// file is left half-written.
int RunScriptForm(const std::vector<std::string>& args) {
  if (args[0] == "--version") {
    std::cout << "brelka " << project::kVersion << std::endl;
    return 0;
  }
  if (args[0] == "--help") {
    std::cout << converter::kHelp;
    return 0;
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  return converter::RunConvertCommand(std::vector<std::string>(args.begin() + 1, args.end()),
                                      std::cout, std::cerr, [] { return interrupted != 0; });
}

}  // namespace

int main(int argc, char** argv) {
  fileio::FailWritesPastSizeLimit();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "convert" || args[0] == "--help" || args[0] == "--version"))
    return RunScriptForm(args);
  const converter::CommandLine line = converter::ParseCommandLine(args);
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
