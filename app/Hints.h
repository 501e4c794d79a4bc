#pragma once
// The hint line: moving the mouse over a control that has a hint writes it
// into the label; the hint stays until the mouse is over another control
// with a hint. Controls without one leave it unchanged.

#include <QHash>
#include <QLabel>
#include <QObject>
#include <QString>
#include <QWidget>

namespace app {

class Hints : public QObject {
 public:
  explicit Hints(QLabel* helpLabel) : QObject(helpLabel), label_(helpLabel) {}
  void Add(QWidget* control, const QString& hint);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* label_;
  QHash<QObject*, QString> hints_;
};

}  // namespace app
