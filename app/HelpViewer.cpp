#include "app/HelpViewer.h"

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
                   std::function<QString()> pageInUse, std::function<void(const QString&)> openHelp)
    : QObject(main),
      main_(main),
      dialogs_(dialogs),
      pageInUse_(std::move(pageInUse)),
      openHelp_(std::move(openHelp)),
      guide_(dataFolder) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), main);
  connect(f1, &QShortcut::activated, this, [this] { Open(main_, pageInUse_()); });
}

MainHelp::~MainHelp() = default;

void MainHelp::AddWindow(QWidget* window, const QString& page) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
  connect(f1, &QShortcut::activated, this, [this, window, page] { Open(window, page); });
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
