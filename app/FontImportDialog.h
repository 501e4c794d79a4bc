#pragma once
// A folder of recordings made into a font from the window: the file
// browser's folder tree has "Make a font from this folder..." in its
// context menu, and a folder dropped onto the sound files frame does the
// same. The user picks the folder the font goes into; the recordings are
// converted (converter::ImportFont, two at a time) under a progress dialog
// that can be cancelled, and the configuration file written with them is
// loaded as the load button loads one (the question for a changed
// configuration and the undo step included). A message then says what was
// made and which recordings were left out, and why.

#include <QObject>
#include <QString>
#include <string>

#include "seams/UserDialogs.h"
#include "sound/CategoryPanel.h"
#include "sound/LSU_Configuration.h"

class QPoint;
class QWidget;

namespace widgets {
class FileBrowser;
}

namespace app {

inline constexpr const char* kMakeFontAction = "Make a font from this folder...";
inline constexpr const char* kFontFolderTitle = "Choose the folder for the new font";

class FontImportDialog : public QObject {
 public:
  struct Setup {
    QWidget* window;                         // the progress dialog's
    widgets::FileBrowser* browser;           // its folder tree gets the menu entry
    QWidget* frame;                          // the sound files frame: folders dropped on it
    sound::CategoryPanel* panel;             // loads the new configuration
    const sound::LSU_Configuration* config;  // the board's capacity
    seams::UserDialogs* dialogs;
  };
  // Call after the frame's controls took their own drop handling: folders
  // dropped on them come here first.
  explicit FontImportDialog(Setup setup);

  // Makes a font of the recordings in folder, as the menu entry does.
  void MakeFont(const std::string& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowMenu(const QPoint& at);
  // Whether the folder the font is to go into may be used: an empty or new
  // one, or one the user agrees to write into.
  bool MayWriteInto(const std::string& fontFolder);

  Setup setup_;
};

}  // namespace app
