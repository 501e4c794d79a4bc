#pragma once
// Opens the help file with the desktop's handler for it; when none is
// registered, opens the same guide as HTML in the web browser.

#include <QString>

namespace app {

// help/index.html beside the .chm file.
QString HtmlHelpFor(const QString& chmPath);
// Whether the desktop has an application registered for CHM files.
bool HasChmViewer();
// False when nothing could be started to show the guide (no opener on the
// desktop, or neither the CHM file nor its HTML pages are there).
bool OpenHelp(const QString& chmPath);
// What the user is told when OpenHelp fails.
QString NoHelpViewerText(const QString& chmPath);

}  // namespace app
