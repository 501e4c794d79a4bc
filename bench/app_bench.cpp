// Start-up of the main window on the virtual board, from creating the
// window to its first paint: the start-up sequence (search, identify,
// serial number, layout) and showing it. Target: under 0.5 s.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/Main.h"
#include "session/FrontEndOptions.h"

namespace {

void BM_StartupToShownWindow(benchmark::State& state) {
  for (auto _ : state) {
    session::FrontEndOptions o;
    o.virtualBoard = "usb2,sn=0A1B2C3D";
    app::MainOptions m;
    m.appFolder = APP_FOLDER;
    m.board = session::MakeBoardAgent(o);
    m.openHelp = [](const QString&) {};
    app::Main window(std::move(m));
    if (!window.Startup()) state.SkipWithError("start-up failed");
    window.show();
    QApplication::processEvents();
    window.repaint();
  }
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond);

}  // namespace
