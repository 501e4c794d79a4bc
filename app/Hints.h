#pragma once
// The hint line: moving the mouse over a control that has a hint writes it
// into the label; the hint stays until the mouse is over another control
// with a hint. Controls without one leave it unchanged. Hints belong to
// control names: whichever panel built the control of that name in the
// window, the hint line knows it by its name alone.

#include <QHash>
#include <QLabel>
#include <QObject>
#include <QString>
#include <QWidget>

namespace app {

class Hints : public QObject {
 public:
  // Shows the hints of the controls of window in helpLabel.
  Hints(QLabel* helpLabel, QWidget* window);
  // The control named controlName (its objectName) gets the hint.
  void Add(const QString& controlName, const QString& hint);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* label_;
  QWidget* window_;
  QHash<QString, QString> hints_;
};

}  // namespace app
