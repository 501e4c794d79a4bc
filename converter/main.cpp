// brelka: converts WAV recordings (mono, 16 bit, 48 kHz) into LSU files,
// in its window or from the command line: brelka -i IN -o OUT -u

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "converter/CommandLine.h"
#include "converter/ConverterWindow.h"
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

}  // namespace

int main(int argc, char** argv) {
  const converter::CommandLine line =
      converter::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.kind == converter::CommandLine::Window) {
    QApplication app(argc, argv);
    converter::ConverterWindow window(QApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
  }
  if (!HasDisplay()) {
    QCoreApplication app(argc, argv);
    const auto outcome =
        converter::RunCommandLine(line, QCoreApplication::applicationDirPath().toStdString());
    (outcome.status == 0 ? std::cout : std::cerr) << ForConsole(outcome.message) << '\n';
    return outcome.status;
  }
  QApplication app(argc, argv);
  const auto outcome =
      converter::RunCommandLine(line, QApplication::applicationDirPath().toStdString());
  widgets::QtDialogs(nullptr).Message(outcome.message, outcome.icon, seams::DialogButtons::Ok);
  return outcome.status;
}
