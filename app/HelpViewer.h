#pragma once
// F1 in morvane: the user guide at the page of the panel in use.
//
// The panel in use is the topmost panel shown over the middle of the main
// window: the download (downloading.html), the motion settings
// (motion.html) or the LED driver set-up (led.html). With none of them
// shown it is the sound font (building-a-font.html), at its part on adding
// files while the keyboard focus is in the file browser. F1 in the update
// dialog opens update.html.
//
// The guide opens in the program's own help window (widgets::HelpWindow),
// which needs nothing of the desktop. Only when its pages are missing does
// F1 fall back to the compiled help file in the desktop's CHM viewer, and
// when that cannot be shown either, the user is told.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "seams/UserDialogs.h"
#include "widgets/HelpWindow.h"

class QWidget;

namespace app {

// Opens the compiled help file with the desktop's CHM viewer; false when
// the file is missing or the desktop has no viewer for it.
bool OpenChmHelp(const QString& chmPath);

class MainHelp : public QObject {
 public:
  // F1 in main opens the guide from dataFolder (help/ and the CHM file) at
  // the page pageInUse names (the main window knows its panels).
  // openHelp null: the help window; else it is called with the page
  // instead (tests, and the screenshot tool).
  MainHelp(QWidget* main, seams::UserDialogs& dialogs, const QString& dataFolder,
           std::function<QString()> pageInUse, std::function<void(const QString&)> openHelp);
  ~MainHelp() override;

  // F1 in another window of the program (the update dialog) opens page.
  void AddWindow(QWidget* window, const QString& page);
  widgets::Guide& Guide() { return guide_; }

 private:
  void Open(QWidget* over, const QString& page);

  QWidget* main_;
  seams::UserDialogs& dialogs_;
  std::function<QString()> pageInUse_;
  std::function<void(const QString&)> openHelp_;
  widgets::Guide guide_;
};

}  // namespace app
