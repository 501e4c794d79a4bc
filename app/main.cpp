// morvane: the board's configuration and download tool.

#include <cstring>
#include <iostream>

#include "ProjectVersion.h"
#include "app/Application.h"
#include "app/Main.h"
#include "fileio/AtomicFile.h"
#include "paths/AppPaths.h"
#include "session/FrontEndOptions.h"
#include "virtualboard/BoardSpec.h"

namespace {

constexpr const char* kUsage =
    "usage: morvane [--virtual-board SPEC] [--hid-log FILE] [--update-host HOST[:PORT]]\n";

// --help and --version are answered before the window system starts, so
// they work without a display.
bool AnswerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "morvane " << project::kVersion << '\n';
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << "morvane: builds sound fonts and downloads them to Kestrane boards, sets up\n"
                   "their motion sensors and LED drivers, and fetches new fonts.\n\n"
                << kUsage
                << "\n  --virtual-board SPEC  use a virtual board instead of USB, e.g. sound\n"
                   "  --hid-log FILE        log every report exchanged with the board in FILE\n"
                   "  --update-host HOST[:PORT]  the update service (default: "
                   "MORVANE_UPDATE_HOST, else the project's own)\n"
                   "  --help, --version     print this text or the version and end\n";
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerWithoutWindow(argc, argv)) return 0;
  fileio::FailWritesPastSizeLimit();
  // Errors that escape an event handler are shown, not fatal.
  app::Application qapp(argc, argv);
  QApplication::setApplicationName("morvane");
  session::FrontEndOptions options;
  try {
    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) args.push_back(a.toStdString());
    options = session::ParseFrontEndOptions(args);
    if (!options.rest.empty())
      throw session::UsageError("unknown argument \"" + options.rest[0] + "\"");
  } catch (const session::UsageError& e) {
    std::cerr << "morvane: " << e.what() << '\n' << kUsage;
    return 2;
  }
  app::MainOptions mainOptions;
  mainOptions.appFolder = QString::fromStdString(session::AppFolder());
  mainOptions.folders = paths::ResolveAppPaths(session::AppFolder());
  mainOptions.updateHost = update::ResolveUpdateHost(options.updateHost);
  try {
    mainOptions.board = session::MakeBoardAgent(options);
  } catch (const virtualboard::BoardSpecError& e) {
    std::cerr << "morvane: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "morvane: " << e.what() << '\n';
    return 1;
  }
  app::Main window(std::move(mainOptions));
  if (!window.Startup()) return 0;
  window.show();
  return QApplication::exec();
}
