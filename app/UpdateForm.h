#pragma once
// The update dialog: modal, without a title bar or a border of its own (a
// drawn frame takes their place), with the step and element captions, two
// drawn progress bars (the whole update and the current item), the success
// and warning icons and two drawn buttons. A thin view: the update
// procedure drives it through update::UpdateView.

#include <QDialog>
#include <functional>

#include "update/UpdateView.h"

class QFrame;
class QLabel;

namespace app {

class UpdateForm : public QDialog, public update::UpdateView {
 public:
  UpdateForm();

  // update::UpdateView.
  void resetForm() override;
  void updateStep(const std::string& text) override;
  void updateElement(const std::string& text) override;
  void progressA(int percent) override;
  void progressB(int percent) override;
  void showWarning(const std::string& text) override;
  void showMessage(const std::string& text) override;
  void ShowModal(const std::function<void()>& onActivate) override;

  void hideButtons();
  // Named by the system's interface: the update asks no yes/no question.
  void showYesNoButtons();
  // What the left button does: end the program (by default the
  // application's event loops end).
  std::function<void()> endProgram;

 protected:
  void reject() override {}  // Escape does not close it
  void closeEvent(QCloseEvent* event) override;

 private:
  class DrawnButton;
  QFrame* Bar(const char* background, const char* bar, int y, QFrame*& barOut);
  void ShowBars(bool overall, bool item);
  void ShowRightButton(const char* caption);

  QLabel* formTitle_;
  QLabel* updateStep_;
  QLabel* updateElement_;
  QFrame* progressBackground1_;
  QFrame* progressBar1_ = nullptr;
  QFrame* progressBackground2_;
  QFrame* progressBar2_ = nullptr;
  QLabel* okIcon_;
  QLabel* warningIcon_;
  DrawnButton* button1_;
  DrawnButton* button2_;
  int fullWidth1_ = 0;
  int fullWidth2_ = 0;
};

}  // namespace app
