#pragma once
// The context menu of the sound files frame (Frame1): "Export font
// folder..." copies the configuration's sound files into a folder with a
// configuration file that loads anywhere, and "Compare with board" tells
// whether the board holds the configuration without writing to it (enabled
// while a sound board is online). The work is sound::ExportFontWithDialog
// and sound::CompareWithBoardAndTell.

#include <QObject>
#include <QString>
#include <functional>

#include "devlink/TLS.h"
#include "seams/UserDialogs.h"
#include "sound/LSU_Configuration.h"

class QPoint;
class QWidget;

namespace app {

inline constexpr const char* kExportFontAction = "Export font folder...";
inline constexpr const char* kCompareAction = "Compare with board";

class FontMenu : public QObject {
 public:
  struct Setup {
    QWidget* frame;  // where a right-click opens the menu
    sound::LSU_Configuration* config;
    seams::UserDialogs* dialogs;
    // The link to an online sound board; null while there is none.
    std::function<devlink::TLS*()> soundBoard;
    QString appFolder;  // where the folder dialog starts
  };
  explicit FontMenu(Setup setup);

 private:
  void Show(const QPoint& at);

  Setup setup_;
};

}  // namespace app
