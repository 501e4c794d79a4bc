#include "app/HelpViewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace app {

QString HtmlHelpFor(const QString& chmPath) {
  return QFileInfo(chmPath).absolutePath() + "/help/index.html";
}

bool HasChmViewer() {
  for (const char* type : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
    QProcess query;
    query.start("xdg-mime", {"query", "default", type});
    if (!query.waitForFinished(2000)) continue;
    if (!query.readAllStandardOutput().trimmed().isEmpty()) return true;
  }
  return false;
}

bool OpenHelp(const QString& chmPath) {
  QString target = chmPath;
  if (!QFileInfo::exists(chmPath) || !HasChmViewer()) target = HtmlHelpFor(chmPath);
  if (!QFileInfo::exists(target)) return false;
  // xdg-open may not return while the viewer runs: start it detached.
  if (!QStandardPaths::findExecutable("xdg-open").isEmpty() &&
      QProcess::startDetached("xdg-open", {target}))
    return true;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

QString NoHelpViewerText(const QString& chmPath) {
  return QString(
             "No viewer could open the help file \"%1\". The same guide is in \"%2\": open it "
             "in a web browser.")
      .arg(QDir::toNativeSeparators(chmPath), QDir::toNativeSeparators(HtmlHelpFor(chmPath)));
}

}  // namespace app
