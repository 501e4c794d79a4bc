#include "app/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QShortcut>
#include <QStandardPaths>
#include <QWidget>

namespace app {

bool OpenChmHelp(const QString& chmPath) {
  if (!QFileInfo(chmPath).isFile() || !widgets::HasChmViewer()) return false;
  // xdg-open may not return while the viewer runs: it is started detached.
  return !QStandardPaths::findExecutable("xdg-open").isEmpty() &&
         QProcess::startDetached("xdg-open", {chmPath});
}

MainHelp::MainHelp(QWidget* main, seams::UserDialogs& dialogs, const QString& dataFolder,
                   std::function<void(const QString&)> openHelp)
    : QObject(main),
      main_(main),
      dialogs_(dialogs),
      openHelp_(std::move(openHelp)),
      guide_(dataFolder) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), main);
  connect(f1, &QShortcut::activated, this, [this] { Open(main_, PageInUse()); });
}

MainHelp::~MainHelp() = default;

void MainHelp::AddWindow(QWidget* window, const QString& page) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
  connect(f1, &QShortcut::activated, this, [this, window, page] { Open(window, page); });
}

QString MainHelp::PageInUse() const {
  // Topmost first: the download is shown over the other panels.
  const std::pair<const char*, const char*> overlays[] = {
      {"DownloadFrame", "downloading.html"},
      {"ConfigFrame", "motion.html"},
      {"frmLED", "led.html"},
  };
  for (const auto& [frame, page] : overlays) {
    const QWidget* w = main_->findChild<QWidget*>(frame);
    if (w && w->isVisibleTo(main_)) return page;
  }
  const QWidget* browser = main_->findChild<QWidget*>("DiscFilesFrame");
  const QWidget* focus = QApplication::focusWidget();
  if (browser && focus && browser->isAncestorOf(focus)) return "building-a-font.html#adding";
  return "building-a-font.html";
}

void MainHelp::Open(QWidget* over, const QString& page) {
  if (openHelp_) {
    openHelp_(page);
    return;
  }
  if (guide_.Open(over, page) || OpenChmHelp(guide_.ChmFile())) return;
  dialogs_.Message(guide_.MissingText().toStdString() +
                       "\r\nNo viewer could open the help file \"" +
                       QDir::toNativeSeparators(guide_.ChmFile()).toStdString() + "\" either.",
                   seams::DialogIcon::Exclamation, seams::DialogButtons::Ok);
}

}  // namespace app
