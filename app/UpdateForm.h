#pragma once
// The update dialog: modal, in a window frame of its own centred over the
// main window (and following it), with the step and element captions, two
// drawn progress bars (the whole update and the current item), the success
// and warning icons and two drawn buttons. While the update runs nothing
// closes it; once it has ended, OK, Esc, Enter or the frame's close button
// do. A success that installed fonts lists them with their folders, and
// "Load" closes the dialog asking for the first one's configuration. A thin
// view: the update procedure drives it through update::UpdateView.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "update/UpdateView.h"

class QFrame;
class QLabel;
class QListWidget;

namespace app {

class UpdateForm : public QDialog, public update::UpdateView {
 public:
  // owner: the window the dialog stays centred over; none: the screen's
  // middle, where the window manager puts it.
  explicit UpdateForm(QWidget* owner = nullptr);
  ~UpdateForm() override;

  // update::UpdateView.
  void resetForm() override;
  void updateStep(const std::string& text) override;
  void updateElement(const std::string& text) override;
  void progressA(int percent) override;
  void progressB(int percent) override;
  void showWarning(const std::string& text) override;
  void showMessage(const std::string& text) override;
  void showInstalled(const std::vector<update::InstalledFont>& fonts) override;
  void ShowModal(const std::function<void()>& onActivate) override;

  // The configuration file "Load" asked for in the last run, once: the
  // window loads it when the dialog has closed.
  std::optional<std::string> TakeFontToLoad();

  void hideButtons();
  // Named by the system's interface: the update asks no yes/no question.
  void showYesNoButtons();
  // What the left button does: end the program (by default the
  // application's event loops end).
  std::function<void()> endProgram;

 protected:
  // Esc, Enter and the frame's close button close it once the update has
  // ended, never while it runs.
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class DrawnButton;
  QFrame* Bar(const char* background, const char* bar, int y, QFrame*& barOut);
  void ShowBars(bool overall, bool item);
  void ShowRightButton(const char* caption);
  // Sized for the final message alone, or with the list of fonts below it.
  void Arrange(bool withList);
  void CentreOverOwner();

  QLabel* formTitle_;
  QLabel* updateStep_;
  QLabel* updateElement_;
  QFrame* progressBackground1_;
  QFrame* progressBar1_ = nullptr;
  QFrame* progressBackground2_;
  QFrame* progressBar2_ = nullptr;
  QFrame* border_;  // drawn around the whole form
  QLabel* okIcon_;
  QLabel* warningIcon_;
  DrawnButton* button1_;
  DrawnButton* button2_;
  DrawnButton* loadButton_;
  QListWidget* installedList_;
  QPointer<QWidget> owner_;
  int fullWidth1_ = 0;
  int fullWidth2_ = 0;
  bool finished_ = false;  // a final state is shown
  std::string firstFont_;  // the first installed font's configuration
  std::optional<std::string> fontToLoad_;
};

}  // namespace app
