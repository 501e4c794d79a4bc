#include "app/ConfigurationUndo.h"

#include <QAction>
#include <QUndoCommand>
#include <QUndoStack>
#include <QWidget>

namespace app {

namespace {

// Enough for any session; each step keeps only paths, counts and volumes.
constexpr int kUndoLimit = 200;
// The id of the volume steps, which merge while the mouse holds the slider.
constexpr int kVolumeId = 1;

class EditCommand : public QUndoCommand {
 public:
  EditCommand(sound::CategoryPanel& logic, sound::ConfigurationEdit edit)
      : logic_(logic), edit_(std::move(edit)) {
    setText(QString::fromStdString(edit_.Name()));
  }

  // The change has been made when it is pushed: the first redo is no work.
  void redo() override {
    if (done_) logic_.Restore(edit_, true);
    done_ = true;
  }
  void undo() override { logic_.Restore(edit_, false); }

  int id() const override {
    return edit_.kind == sound::ConfigurationEdit::Kind::Volume ? kVolumeId : -1;
  }
  // A volume that goes on the same move of the slider on the same file
  // joins this step.
  bool mergeWith(const QUndoCommand* other) override {
    const auto& next = static_cast<const EditCommand*>(other)->edit_;
    if (!next.continuesLast || next.volumeCategory != edit_.volumeCategory ||
        next.volumeIndex != edit_.volumeIndex)
      return false;
    edit_.after = next.after;
    return true;
  }

 private:
  sound::CategoryPanel& logic_;
  sound::ConfigurationEdit edit_;
  bool done_ = false;
};

}  // namespace

ConfigurationUndo::ConfigurationUndo(sound::CategoryPanel& logic, QObject* parent)
    : QObject(parent), stack_(new QUndoStack(this)) {
  stack_->setUndoLimit(kUndoLimit);
  logic.OnEdit([this, &logic](sound::ConfigurationEdit edit) {
    stack_->push(new EditCommand(logic, std::move(edit)));
  });
  undo_ = stack_->createUndoAction(this);
  undo_->setObjectName("UndoAction");
  undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo_ = stack_->createRedoAction(this);
  redo_->setObjectName("RedoAction");
  redo_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
}

// A window shortcut of an action counts only while a widget it was added to
// is visible and enabled.
void ConfigurationUndo::AddShortcutsTo(QWidget* frame) {
  frame->addActions({undo_, redo_});
}

}  // namespace app
