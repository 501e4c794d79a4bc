// morvane: the board's configuration and download tool.

#include <iostream>

#include "app/Application.h"
#include "app/Main.h"
#include "fileio/AtomicFile.h"
#include "session/FrontEndOptions.h"
#include "virtualboard/BoardSpec.h"

int main(int argc, char** argv) {
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
    std::cerr
        << "morvane: " << e.what()
        << "\nusage: morvane [--virtual-board SPEC] [--hid-log FILE] [--update-host HOST[:PORT]]\n";
    return 2;
  }
  app::MainOptions mainOptions;
  mainOptions.appFolder = QString::fromStdString(session::AppFolder());
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
