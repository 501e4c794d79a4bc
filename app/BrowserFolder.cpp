#include "app/BrowserFolder.h"

#include <QFileInfo>
#include <QSettings>

namespace app {

namespace {
constexpr const char* kLastFolderKey = "browser/lastFolder";
}  // namespace

QString BrowserStartFolder(const QString& fallback) {
  const QSettings settings(kSettingsOrganization, kSettingsApplication);
  const QString last = settings.value(kLastFolderKey).toString();
  return !last.isEmpty() && QFileInfo(last).isDir() ? last : fallback;
}

void RememberBrowserFolder(const QString& folder) {
  QSettings(kSettingsOrganization, kSettingsApplication).setValue(kLastFolderKey, folder);
}

}  // namespace app
