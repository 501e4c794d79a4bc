#pragma once
// Opens the help file with the desktop's handler for it; when none is
// registered, opens the same guide as HTML in the web browser.

#include <QString>

namespace app {

// help/index.html beside the .chm file.
QString HtmlHelpFor(const QString& chmPath);
// Whether the desktop has an application registered for CHM files.
bool HasChmViewer();
void OpenHelp(const QString& chmPath);

}  // namespace app
