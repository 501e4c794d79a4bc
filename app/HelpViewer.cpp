#include "app/HelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
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

void OpenHelp(const QString& chmPath) {
  QString target = chmPath;
  if (!QFileInfo::exists(chmPath) || !HasChmViewer()) target = HtmlHelpFor(chmPath);
  // xdg-open may not return while the viewer runs: start it detached.
  if (!QProcess::startDetached("xdg-open", {target}))
    QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

}  // namespace app
