#pragma once
// Undo and redo of the changes to the sound categories. Every change the
// category panel's logic reports (a file added, or several dropped at once,
// a file removed, a volume moved, a configuration loaded) becomes one
// command on a QUndoStack; undoing or redoing it puts the categories back
// through the logic, which shows them in the window and refreshes the
// memory gauge. The commands live here, over the logic's operations,
// because QUndoStack is Qt and the sound logic is not.
//
// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, anywhere in the window while
// the sound files frame is shown and enabled (not while the LED panel
// stands in its place or a download runs).

#include <QObject>

#include "sound/CategoryPanel.h"

class QAction;
class QUndoStack;
class QWidget;

namespace app {

class ConfigurationUndo : public QObject {
 public:
  // Takes the logic's edits from now on.
  ConfigurationUndo(sound::CategoryPanel& logic, QObject* parent);

  QUndoStack& Stack() const { return *stack_; }
  // The undo and redo shortcuts work in the window of `frame` while the
  // frame is visible and enabled.
  void AddShortcutsTo(QWidget* frame);

 private:
  QUndoStack* stack_;
  QAction* undo_;
  QAction* redo_;
};

}  // namespace app
