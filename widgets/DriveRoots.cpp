#include "widgets/DriveRoots.h"

#include <QDir>
#include <QStandardPaths>
#include <QStorageInfo>

namespace widgets {

namespace {
bool UserVolume(const QString& root) {
  return root == "/" || root.startsWith("/media/") || root.startsWith("/run/media/") ||
         root.startsWith("/mnt/");
}
}  // namespace

QVector<DriveRoot> DriveRoots() {
  QVector<DriveRoot> roots = {
      {"Desktop", QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)},
      {"My Documents", QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)},
      {"Home", QDir::homePath()}};
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady() || !UserVolume(v.rootPath())) continue;
    roots.push_back({v.rootPath(), v.rootPath()});
  }
  return roots;
}

}  // namespace widgets
