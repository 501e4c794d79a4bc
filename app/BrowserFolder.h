#pragma once
// The file browser's folder between runs: the folder the user last chose in
// the browser is kept in the user's settings (QSettings of organisation and
// application "morvane": on Linux ~/.config/morvane/morvane.conf, under
// $XDG_CONFIG_HOME when that is set), and the next start opens it while it
// still exists.

#include <QString>

namespace app {

inline constexpr const char* kSettingsOrganization = "morvane";
inline constexpr const char* kSettingsApplication = "morvane";

// The folder the browser starts in: the last one chosen while it is still a
// folder, else `fallback`.
QString BrowserStartFolder(const QString& fallback);
void RememberBrowserFolder(const QString& folder);

}  // namespace app
