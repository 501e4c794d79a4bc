#include "app/SoundPanel.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>

#include "paths/AppPaths.h"
#include "sound/LSU_SoundFile.h"
#include "widgets/FileBrowser.h"
#include "widgets/WavPlayer.h"

namespace app {

namespace {

const char* ListName(sound::FileType code) {
  switch (code) {
    case sound::kMotion:
      return "Motion";
    case sound::kImpact:
      return "Impact";
    default:
      return "Lock-up";
  }
}

// Ctrl alone (not with Shift or Alt), with any mouse button.
bool CtrlClick(QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return false;
  return static_cast<QMouseEvent*>(event)->modifiers() == Qt::ControlModifier;
}

// The focus came from the user (a click, Tab, a shortcut), not from the
// window getting active again or a popup closing.
bool UserFocus(QEvent* event) {
  switch (static_cast<QFocusEvent*>(event)->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return false;
    default:
      return true;
  }
}

QString FileNameOf(const std::string& path) {
  const QString p = QString::fromStdString(path);
  return p.mid(std::max(p.lastIndexOf('/'), p.lastIndexOf('\\')) + 1);
}

}  // namespace

SoundPanel::SoundPanel(Setup setup) : QObject(setup.window), setup_(std::move(setup)) {
  auto find = [this](const char* name) { return setup_.window->findChild<QWidget*>(name); };
  struct Names {
    sound::FileType code;
    const char *option, *control;
  };
  const Names names[] = {{sound::kBoot, "BootOption", "BootFileList"},
                         {sound::kPwrOn, "PwrOnOption", "PwrOnFileList"},
                         {sound::kPwrOff, "PwrOffOption", "PwrOffFileList"},
                         {sound::kIdle, "IdleOption", "IdleFileList"},
                         {sound::kMotion, "MtOption", "MtFileList"},
                         {sound::kImpact, "ImpOption", "ImpFileList"},
                         {sound::kLockup, "LkOption", "LkfileList"}};
  for (const Names& n : names) {
    QWidget* control = find(n.control);
    auto* list = qobject_cast<QListWidget*>(control);
    Category c{n.code, qobject_cast<QRadioButton*>(find(n.option)), qobject_cast<QLabel*>(control),
               list, list ? list->viewport() : nullptr};
    control->installEventFilter(this);
    control->setAcceptDrops(true);
    if (c.list) {
      c.list->viewport()->installEventFilter(this);
      c.list->viewport()->setAcceptDrops(true);
      connect(c.list, &QListWidget::itemDoubleClicked, this,
              [this, code = n.code] { Remove(CategoryFor(code)); });
      // The slider follows the row the user picks in the list that is in
      // use, by mouse or by keyboard.
      connect(c.list, &QListWidget::currentRowChanged, this, [this, code = n.code] {
        const Category& changed = CategoryFor(code);
        if (changed.list->hasFocus() || changed.option->isChecked()) SelectInList(changed);
      });
    }
    // A click on the option button (or Space on it, or an arrow key within
    // the group) selects the category as a click on its control does.
    connect(c.option, &QRadioButton::clicked, this, [this, code = n.code] { Select(code); });
    categories_.push_back(c);
  }
  volume_ = qobject_cast<QSlider*>(find("VolSlider"));
  wait_ = find("PleaseWaitLabel");
  // Only a move by the user stores a volume; showing one stores nothing.
  // (ShowVolume sets the slider with its signals blocked.)
  connect(volume_, &QSlider::valueChanged, this,
          [this](int value) { setup_.config->SetVolume(VolumeType, VolumeIndex, value); });
  files_ = qobject_cast<QListWidget*>(find("FileList"));
  filesViewport_ = files_->viewport();
  filesViewport_->installEventFilter(this);
  connect(files_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    const int category = SelectedCategory();
    if (category) AddToCategory(setup_.browser->PathOf(item->text()), category);
  });
  for (const char* name : {"DriveList", "DirList", "FileList"})
    find(name)->installEventFilter(this);
  setup_.window->installEventFilter(this);
}

int SoundPanel::SelectedCategory() const {
  for (const Category& c : categories_)
    if (c.option->isChecked()) return c.code;
  return 0;
}

const SoundPanel::Category& SoundPanel::CategoryFor(int code) const {
  for (const Category& c : categories_)
    if (c.code == code) return c;
  return categories_.front();
}

const SoundPanel::Category* SoundPanel::CategoryOf(const QObject* control) const {
  for (const Category& c : categories_)
    if (control == c.label || control == c.list || (c.viewport && control == c.viewport)) return &c;
  return nullptr;
}

bool SoundPanel::AddToCategory(const QString& path, int code) {
  const Category& c = CategoryFor(code);
  if (c.list && c.list->count() >= sound::LSU_Configuration::kMaxListFiles) {
    setup_.dialogs->Message(std::string("Maximum number of ") + ListName(c.code) + " files reached",
                            seams::DialogIcon::None, seams::DialogButtons::Ok);
    return false;
  }
  if (!setup_.config->AddFile(path.toStdString(), code)) {
    setup_.dialogs->Message("Not a valid file", seams::DialogIcon::None, seams::DialogButtons::Ok);
    return false;
  }
  const QString name = FileNameOf(path.toStdString());
  if (c.list)
    c.list->addItem(name);
  else
    c.label->setText(name);
  UpdateMemoryStatus();
  return true;
}

void SoundPanel::ShowVolume(int volume) {
  const QSignalBlocker quiet(volume_);
  volume_->setValue(volume);
  volume_->show();
}

void SoundPanel::HideVolume() {
  volume_->hide();
}

void SoundPanel::Select(int code) {
  const Category& c = CategoryFor(code);
  if (c.list)
    SelectInList(c);
  else
    SelectSingle(c);
}

void SoundPanel::SelectSingle(const Category& c) {
  c.option->setChecked(true);
  if (c.label->text().isEmpty()) {
    HideVolume();
    return;
  }
  VolumeType = c.code;
  ShowVolume(setup_.config->GetVolume(c.code, 0));
}

void SoundPanel::SelectInList(const Category& c) {
  c.option->setChecked(true);
  const int row = c.list->currentRow();
  if (c.list->count() == 0 || row < 0) {
    HideVolume();
    return;
  }
  VolumeType = c.code;
  VolumeIndex = int16_t(row + 1);
  ShowVolume(setup_.config->GetVolume(c.code, row + 1));
}

void SoundPanel::Remove(const Category& c) {
  if (c.list) {
    const int row = c.list->currentRow();
    if (row < 0) return;
    setup_.config->RemoveFile(row, c.code);
    delete c.list->takeItem(row);
  } else {
    c.label->clear();
    setup_.config->RemoveFile(0, c.code);
  }
  HideVolume();
  UpdateMemoryStatus();
}

void SoundPanel::PlayFromCategory(const Category& c) {
  if (c.list) {
    const int row = c.list->currentRow();
    if (row >= 0 && !c.list->item(row)->text().isEmpty())
      PlayLSU(QString::fromStdString(setup_.config->GetFile(c.code, row + 1).FileName));
  } else if (!setup_.config->GetFile(c.code, 0).FileName.empty()) {
    PlayLSU(QString::fromStdString(setup_.config->GetFile(c.code, 0).FileName));
  }
}

void SoundPanel::PlayLSU(const QString& path) {
  const int dot = path.lastIndexOf('.');
  if (path.isEmpty() || dot < 0 || path.mid(dot + 1).compare("lsu", Qt::CaseInsensitive) != 0)
    return;
  wait_->show();
  wait_->raise();
  wait_->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sound::LSU_SoundFile file;
  const QString wav = QString::fromStdString(
      paths::PrepareFileIn(setup_.scratchFolder.toStdString(), paths::kScratchWavName));
  const bool valid = file.ReadFile(path.toStdString()) && file.WriteWav(wav.toStdString());
  wait_->hide();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (!valid) return;
  const double seconds = file.NrOfSamples / 48000.0;
  if (setup_.play)
    setup_.play(wav, seconds);
  else
    widgets::PlayWavAndWait(wav, seconds);
}

void SoundPanel::SetFileLabel(sound::FileType category, const std::string& name) {
  CategoryFor(category).label->setText(FileNameOf(name));
}

void SoundPanel::ClearList(sound::FileType category) {
  CategoryFor(category).list->clear();
}

void SoundPanel::AddToList(sound::FileType category, const std::string& name) {
  CategoryFor(category).list->addItem(FileNameOf(name));
}

void SoundPanel::DoEvents() {
  QApplication::processEvents();
}

bool SoundPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const Category* c = CategoryOf(watched);
  if (type == QEvent::WindowActivate) {
    // Activation reaches every control of the window, the lists included:
    // it selects nothing, and only hides the slider.
    if (watched == setup_.window) HideVolume();
    return false;
  }
  if (type == QEvent::FocusIn) {
    if (!c) {
      HideVolume();  // the browser
    } else if (c->list && UserFocus(event)) {
      // The click that gives a list the focus also picks its row: look
      // after it.
      QTimer::singleShot(0, this, [this, code = c->code] { SelectInList(CategoryFor(code)); });
    }
    return false;
  }
  if (CtrlClick(event)) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    QListWidget* list = watched == filesViewport_ ? files_ : c ? c->list : nullptr;
    if (list)
      if (QListWidgetItem* item = list->itemAt(at)) list->setCurrentItem(item);
    if (list == files_) {
      if (files_->currentItem()) PlayLSU(setup_.browser->PathOf(files_->currentItem()->text()));
      return true;
    }
    if (c) PlayFromCategory(*c);
    return c != nullptr;
  }
  if (!c) return false;
  // A click into a list that already has the focus (after a click on a
  // label or an option button, which take no focus from it) selects it too.
  if (c->list && type == QEvent::MouseButtonPress)
    QTimer::singleShot(0, this, [this, code = c->code] { SelectInList(CategoryFor(code)); });
  if (c->label && type == QEvent::MouseButtonPress) SelectSingle(*c);
  if (c->label && type == QEvent::MouseButtonDblClick) Remove(*c);
  if (type == QEvent::DragEnter || type == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (!drag->mimeData()->hasUrls()) return false;
    drag->acceptProposedAction();
    return true;
  }
  if (type == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    for (const QUrl& url : drop->mimeData()->urls())
      if (url.isLocalFile() && !AddToCategory(url.toLocalFile(), c->code)) break;
    drop->acceptProposedAction();
    return true;
  }
  return false;
}

}  // namespace app
