// The system's dialogs as Qt's: file filters, the question before unsaved
// work and the save dialog's default suffix.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/support/TempFiles.h"
#include "widgets/QtDialogs.h"

namespace {

// Does `act` with the modal dialog of type D once it is shown.
template <typename D>
void WhenShown(std::function<void(D*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      act(dialog);
    }
  });
  poll->start(10);
}

TEST(QtFilter, SystemFilterBecomesQtFilter) {
  EXPECT_EQ(
      widgets::ToQtFilter("Duded Avori Configuration File (*.LSCFG)|*.lscfg|All files (*.*)|*.*"),
      "Duded Avori Configuration File (*.LSCFG) (*.lscfg *.LSCFG);;All files (*.*) (*)");
}

// Save, Discard and Cancel, Save the default; each answer comes back as
// itself.
TEST(QtDialogs, SaveDiscardCancelQuestion) {
  QWidget parent;
  widgets::QtDialogs dialogs(&parent);
  const std::pair<QMessageBox::StandardButton, seams::DialogResult> answers[] = {
      {QMessageBox::Save, seams::DialogResult::Save},
      {QMessageBox::Discard, seams::DialogResult::Discard},
      {QMessageBox::Cancel, seams::DialogResult::Cancel}};
  for (const auto& [button, result] : answers) {
    WhenShown<QMessageBox>([button = button](QMessageBox* box) {
      EXPECT_EQ(box->standardButtons(),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Save));
      QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.Message("Changed.", seams::DialogIcon::Exclamation,
                              seams::DialogButtons::SaveDiscardCancel),
              result);
  }
}

// The save dialog adds the default suffix to a bare name itself, so its
// question before replacing a file concerns the file that is written.
TEST(QtDialogs, SaveDialogAddsTheDefaultSuffix) {
  testing_support::TempFolder dir;
  QWidget parent;
  widgets::QtDialogs dialogs(&parent);
  WhenShown<QFileDialog>([](QFileDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, "font");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const auto path =
      dialogs.SaveFile({"Configuration (*.lscfg)|*.lscfg", dir.dir().string(), "", "", "lscfg"});
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir.Path("font.lscfg"));
}

}  // namespace
