#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include "widgets/WaveformStrip.h"

namespace widgets {

QString ToQtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      const QString t = p.trimmed();
      if (t == "*.*") {
        patterns << "*";
        continue;
      }
      patterns << t.toLower();
      if (t.toUpper() != t.toLower()) patterns << t.toUpper();
    }
    out << parts[i] + " (" + patterns.join(' ') + ")";
  }
  return out.join(";;");
}

seams::DialogResult QtDialogs::Message(const std::string& text, seams::DialogIcon icon,
                                       seams::DialogButtons buttons) {
  return Ask(text, icon, buttons, false);
}

seams::DialogResult QtDialogs::AskCautiously(const std::string& text, seams::DialogIcon icon,
                                             seams::DialogButtons buttons) {
  return Ask(text, icon, buttons, true);
}

seams::DialogResult QtDialogs::AboutSound(const std::string& text, const std::string& soundPath) {
  return Ask(text, seams::DialogIcon::Information, seams::DialogButtons::Ok, false, soundPath);
}

seams::DialogResult QtDialogs::Ask(const std::string& text, seams::DialogIcon icon,
                                   seams::DialogButtons buttons, bool cancelByDefault,
                                   const std::string& soundPath) {
  using B = QMessageBox::StandardButton;
  QMessageBox box(parent_);
  box.setWindowTitle(QApplication::applicationName());
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case seams::DialogIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case seams::DialogIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case seams::DialogIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case seams::DialogIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case seams::DialogIcon::None:
      break;
  }
  switch (buttons) {
    case seams::DialogButtons::Ok:
      box.setStandardButtons(B::Ok);
      break;
    case seams::DialogButtons::OkCancel:
      box.setStandardButtons(B::Ok | B::Cancel);
      break;
    case seams::DialogButtons::YesNo:
      box.setStandardButtons(B::Yes | B::No);
      break;
    case seams::DialogButtons::YesNoCancel:
      box.setStandardButtons(B::Yes | B::No | B::Cancel);
      break;
    case seams::DialogButtons::SaveDiscardCancel:
      box.setStandardButtons(B::Save | B::Discard | B::Cancel);
      box.setDefaultButton(B::Save);
      break;
  }
  if (cancelByDefault) {
    QAbstractButton* safe = box.button(B::Cancel) ? box.button(B::Cancel) : box.button(B::No);
    if (auto* push = qobject_cast<QPushButton*>(safe)) box.setDefaultButton(push);
  }
  if (!soundPath.empty()) {
    // Under the text, across the box, above the buttons.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* strip = new WaveformStrip("InfoWaveformStrip", soundReader_);
    strip->setMinimumWidth(strip->sizeHint().width());
    if (grid) {
      QWidget* buttonsBox = box.findChild<QDialogButtonBox*>();
      if (buttonsBox) grid->removeWidget(buttonsBox);
      const int row = grid->rowCount();
      grid->addWidget(strip, row, 0, 1, grid->columnCount());
      if (buttonsBox) grid->addWidget(buttonsBox, row + 1, 0, 1, grid->columnCount());
    }
    strip->ShowFile(QString::fromStdString(soundPath), 100);
  }
  switch (box.exec()) {
    case B::Ok:
      return seams::DialogResult::Ok;
    case B::Yes:
      return seams::DialogResult::Yes;
    case B::No:
      return seams::DialogResult::No;
    case B::Save:
      return seams::DialogResult::Save;
    case B::Discard:
      return seams::DialogResult::Discard;
    default:
      return seams::DialogResult::Cancel;
  }
}

namespace {
QString StartPath(const seams::FileDialogRequest& r) {
  QString path = QString::fromStdString(r.initialFolder);
  if (!r.fileName.empty()) path += "/" + QString::fromStdString(r.fileName);
  return path;
}
std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}
}  // namespace

std::optional<std::string> QtDialogs::OpenFile(const seams::FileDialogRequest& r) {
  return Chosen(QFileDialog::getOpenFileName(parent_, QString::fromStdString(r.title), StartPath(r),
                                             ToQtFilter(r.filter)));
}

// The dialog adds the default suffix itself, so its question before
// replacing a file concerns the name that is written.
std::optional<std::string> QtDialogs::SaveFile(const seams::FileDialogRequest& r) {
  QFileDialog dialog(parent_, QString::fromStdString(r.title), StartPath(r), ToQtFilter(r.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromStdString(r.defaultSuffix));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Chosen(dialog.selectedFiles().constFirst());
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& initialFolder,
                                                   const std::string& title) {
  return Chosen(QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                                  QString::fromStdString(initialFolder)));
}

std::optional<int32_t> QtDialogs::PickColor(int32_t initial) {
  const QColor start(initial & 255, (initial >> 8) & 255, (initial >> 16) & 255);
  const QColor c = QColorDialog::getColor(start, parent_);
  if (!c.isValid()) return std::nullopt;
  return c.red() + 256 * c.green() + 65536 * c.blue();
}

}  // namespace widgets
