#include "app/SoundPanel.h"

#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ConfigurationUndo.h"
#include "app/OverlayFrame.h"
#include "widgets/FileBrowser.h"
#include "widgets/Named.h"
#include "widgets/WavPlayer.h"
#include "widgets/WaveformStrip.h"

namespace app {

using widgets::Named;

namespace {

// The width of the volume slider's file name, in characters.
constexpr int kVolumeNameChars = 14;
// How often the play head moves: 25 times a second.
constexpr int kPlayHeadMs = 40;

// Ctrl alone (not with Shift or Alt), with any mouse button. The second of
// two fast clicks comes as a double-click: it is a Ctrl+click too (it stops
// the sound the first one started), not the double-click that removes or
// adds a file.
bool CtrlClick(QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
    return false;
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

}  // namespace

SoundPanel::SoundPanel(Setup setup)
    : QObject(setup.window),
      ownPlayer_(setup.player ? nullptr : std::make_unique<widgets::WavPlayer>()),
      player_(setup.player ? setup.player : ownPlayer_.get()),
      logic_(*setup.config, *this, events_, *setup.dialogs,
             {setup.scratchFolder.toStdString(), setup.startFolder.toStdString()}, player_),
      window_(setup.window),
      browser_(setup.browser),
      updateMemoryStatus_(std::move(setup.updateMemoryStatus)) {
  BuildFrame();
  BuildWaitNote();
  for (const Category& c : categories_) Wire(c);
  // Only a move by the user stores a volume; showing one stores nothing.
  // (ShowVolume sets the slider with its signals blocked.) The changes of
  // one drag of the slider are one step to undo.
  connect(volume_, &QSlider::sliderPressed, this, [this] { volumeHeld_ = false; });
  connect(volume_, &QSlider::valueChanged, this, [this](int value) {
    const bool sameMove = volume_->isSliderDown() && volumeHeld_;
    volumeHeld_ = volume_->isSliderDown();
    ShowVolumeValue(value);
    logic_.SetVolume(value, sameMove);
  });
  files_ = browser_->FileList();
  filesViewport_ = files_->viewport();
  filesViewport_->installEventFilter(this);
  connect(files_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    AddFiles({browser_->PathOf(item->text()).toStdString()}, SelectedCategory());
  });
  // The strip shows the browser's file the user clicks, also after a
  // category's file (keys: see eventFilter); not the one the list marks
  // when it fills or refreshes itself.
  connect(files_, &QListWidget::itemPressed, this, [this] { ShowBrowserFile(); });
  for (QWidget* control :
       std::initializer_list<QWidget*>{browser_->DriveList(), browser_->DirList(), files_})
    control->installEventFilter(this);
  window_->installEventFilter(this);
  undo_ = new ConfigurationUndo(logic_, this);
  undo_->AddShortcutsTo(frame_);
  // Esc stops the sound that plays, wherever the focus is in the window;
  // it is left to the controls while none plays.
  stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), window_);
  stopKey_->setContext(Qt::WindowShortcut);
  stopKey_->setEnabled(false);
  connect(stopKey_, &QShortcut::activated, this, [this] { logic_.StopPlaying(); });
  playHead_ = Named<QTimer>("PlayHeadTimer", this);
  playHead_->setInterval(kPlayHeadMs);
  connect(playHead_, &QTimer::timeout, this, [this] { MovePlayHead(); });
}

SoundPanel::~SoundPanel() = default;

// The single categories one per row, option button and label; below them
// the list categories side by side, option buttons over their lists; the
// volume slider at the right, hidden until a file is chosen.
void SoundPanel::BuildFrame() {
  frame_ = Named<QGroupBox>("Frame1", "Kestrane USB Sound Files");
  auto* grid = new QGridLayout(frame_);
  const int listRow = int(std::count_if(sound::kCategoriesInFlashOrder.begin(),
                                        sound::kCategoriesInFlashOrder.end(),
                                        [](const auto& c) { return !c.isList; }));
  int row = 0, column = 0;
  for (const sound::SoundCategory& category : sound::kCategoriesInFlashOrder) {
    auto* option = Named<QRadioButton>(category.optionName, category.caption);
    if (category.isList) {
      auto* list = Named<QListWidget>(category.controlName);
      grid->addWidget(option, listRow, column);
      grid->addWidget(list, listRow + 1, column++);
      categories_.push_back({category.code, option, nullptr, list, list->viewport()});
    } else {
      auto* label = Named<QLabel>(category.controlName);
      label->setFrameShape(QFrame::StyledPanel);
      label->setFrameShadow(QFrame::Sunken);
      grid->addWidget(option, row, 0);
      grid->addWidget(label, row++, 1, 1, 2);
      categories_.push_back({category.code, option, label, nullptr, nullptr});
    }
  }
  grid->setRowStretch(listRow + 1, 1);
  BuildVolumeBox(grid, listRow + 2);
  // The waveform of the chosen file, under the lists.
  waveform_ = new widgets::WaveformStrip("WaveformStrip");
  grid->addWidget(waveform_, listRow + 2, 0, 1, 3);
  // The line a load ends with, under the files it is about; the hint line
  // above the frames changes with every move of the mouse.
  loadNote_ = Named<QLabel>("LoadNoteLabel");
  loadNote_->setWordWrap(true);
  loadNote_->hide();
  grid->addWidget(loadNote_, listRow + 3, 0, 1, 4);
  // The sound that plays, and how to stop it.
  playingNote_ = Named<QLabel>("PlayingLabel");
  playingNote_->setTextFormat(Qt::PlainText);
  QFont bold = playingNote_->font();
  bold.setBold(true);
  playingNote_->setFont(bold);
  playingNote_->hide();
  grid->addWidget(playingNote_, listRow + 4, 0, 1, 4);
}

// The slider at the right of the categories, hidden until a file is
// chosen: the file's name over it, its value under it.
void SoundPanel::BuildVolumeBox(QGridLayout* grid, int rows) {
  volumeBox_ = Named<QWidget>("VolumeBox");
  auto* v = new QVBoxLayout(volumeBox_);
  v->setContentsMargins(0, 0, 0, 0);
  volumeFile_ = Named<QLabel>("VolFileLabel");
  volumeFile_->setAlignment(Qt::AlignHCenter);
  volumeFile_->setFixedWidth(volumeFile_->fontMetrics().averageCharWidth() * kVolumeNameChars);
  volume_ = Named<QSlider>("VolSlider", Qt::Vertical);
  volume_->setRange(0, 100);
  volumeValue_ = Named<QLabel>("VolValueLabel");
  volumeValue_->setAlignment(Qt::AlignHCenter);
  v->addWidget(volumeFile_);
  v->addWidget(volume_, 1, Qt::AlignHCenter);
  v->addWidget(volumeValue_);
  volume_->hide();
  volumeBox_->hide();
  grid->addWidget(volumeBox_, 0, 3, rows, 1);
}

void SoundPanel::ShowVolumeValue(int volume) {
  volumeValue_->setText(QString("%1 %").arg(volume));
}

void SoundPanel::BuildWaitNote() {
  wait_ = OverlayFrame("PleaseWaitLabel", "Converting");
  (new QVBoxLayout(wait_))->addWidget(new QLabel("Please wait ..."));
}

void SoundPanel::Wire(const Category& c) {
  const sound::FileType code = c.code;
  QWidget* control = c.list ? static_cast<QWidget*>(c.list) : c.label;
  control->installEventFilter(this);
  control->setAcceptDrops(true);
  c.option->installEventFilter(this);  // Delete on it
  if (c.list) {
    c.viewport->installEventFilter(this);
    c.viewport->setAcceptDrops(true);
    connect(c.list, &QListWidget::itemDoubleClicked, this,
            [this, code] { logic_.Remove(code, CategoryFor(code).list->currentRow()); });
    // The slider follows the row the user picks in the list that is in
    // use, by mouse or by keyboard.
    connect(c.list, &QListWidget::currentRowChanged, this, [this, code] {
      const Category& changed = CategoryFor(code);
      if (changed.list->hasFocus() || changed.option->isChecked()) Select(changed);
    });
  }
  // A click on the option button (or Space on it, or an arrow key within
  // the group) selects the category as a click on its control does.
  connect(c.option, &QRadioButton::clicked, this, [this, code] { Select(CategoryFor(code)); });
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

const SoundPanel::Category* SoundPanel::OptionCategory(const QObject* control) const {
  for (const Category& c : categories_)
    if (control == c.option) return &c;
  return nullptr;
}

const SoundPanel::Category* SoundPanel::CategoryOf(const QObject* control) const {
  for (const Category& c : categories_)
    if (control == c.label || control == c.list || (c.viewport && control == c.viewport)) return &c;
  return nullptr;
}

int SoundPanel::Row(const Category& c) {
  return c.list ? c.list->currentRow() : 0;
}

bool SoundPanel::AddToCategory(const QString& path, int category) {
  return logic_.Add(path.toStdString(), category);
}

void SoundPanel::PlayLSU(const QString& path) {
  logic_.PlayLsu(path.toStdString());
}

void SoundPanel::Select(const Category& c) {
  if (c.list)
    logic_.SelectInList(c.code, c.list->currentRow());
  else
    logic_.SelectSingle(c.code);
}

void SoundPanel::SetFileLabel(sound::FileType category, const std::string& name) {
  CategoryFor(category).label->setText(QString::fromStdString(name));
}

void SoundPanel::ClearList(sound::FileType category) {
  CategoryFor(category).list->clear();
}

void SoundPanel::AddToList(sound::FileType category, const std::string& name) {
  CategoryFor(category).list->addItem(QString::fromStdString(name));
}

void SoundPanel::RemoveFromList(sound::FileType category, int row) {
  delete CategoryFor(category).list->takeItem(row);
}

void SoundPanel::CheckOption(sound::FileType category) {
  CategoryFor(category).option->setChecked(true);
}

void SoundPanel::ShowVolume(int volume, const std::string& fileName) {
  const QSignalBlocker quiet(volume_);
  volume_->setValue(volume);
  ShowVolumeValue(volume);
  const QString name = QString::fromStdString(fileName);
  volumeFile_->setText(
      volumeFile_->fontMetrics().elidedText(name, Qt::ElideMiddle, volumeFile_->width()));
  volumeFile_->setToolTip(name);
  volume_->show();
  volumeBox_->show();
}

void SoundPanel::HideVolume() {
  volume_->hide();
  volumeBox_->hide();
}

void SoundPanel::ShowList(sound::FileType category, const std::vector<std::string>& names) {
  QListWidget* list = CategoryFor(category).list;
  const QSignalBlocker quiet(list);
  const int row = list->currentRow();
  list->clear();
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
  if (row < list->count()) list->setCurrentRow(row);
}

void SoundPanel::MarkRow(sound::FileType category, int row) {
  QListWidget* list = CategoryFor(category).list;
  const QSignalBlocker quiet(list);
  list->setCurrentRow(row);
}

void SoundPanel::ShowConverting(bool visible) {
  wait_->setVisible(visible);
  if (visible) {
    wait_->raise();
    wait_->repaint();
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SoundPanel::ShowPlaying(const std::string& name) {
  playingNote_->setText(QString("Playing %1 \u2014 Esc to stop").arg(QString::fromStdString(name)));
  playingNote_->setVisible(!name.empty());
  stopKey_->setEnabled(!name.empty());
  if (name.empty()) {
    playHead_->stop();
    waveform_->HidePlayHead();
  } else {
    playHead_->start();
    MovePlayHead();
  }
}

void SoundPanel::MovePlayHead() {
  if (logic_.Playing() && waveform_->Path() == QString::fromStdString(logic_.PlayingFile()))
    waveform_->SetPlayHead(player_->ElapsedSeconds());
  else
    waveform_->HidePlayHead();
}

void SoundPanel::ShowSound(const std::string& path, int volume) {
  if (path.empty())
    waveform_->Clear();
  else
    waveform_->ShowFile(QString::fromStdString(path), volume);
  MovePlayHead();
}

void SoundPanel::ShowBrowserFile() {
  if (QListWidgetItem* item = files_->currentItem())
    logic_.ChooseInBrowser(browser_->PathOf(item->text()).toStdString());
}

void SoundPanel::ShowLoadNote(const std::string& text) {
  loadNote_->setText(QString::fromStdString(text));
  loadNote_->setVisible(!text.empty());
}

bool SoundPanel::KeyPressed(QObject* watched, QKeyEvent* key) {
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (watched == files_ && enter) {
    QStringList names = browser_->SelectedNames();
    if (names.isEmpty() && files_->currentItem()) names << files_->currentItem()->text();
    std::vector<std::string> paths;
    for (const QString& name : names) paths.push_back(browser_->PathOf(name).toStdString());
    AddFiles(paths, SelectedCategory());
    return true;
  }
  if (key->key() != Qt::Key_Delete) return false;
  const Category* c = OptionCategory(watched);
  if (!c) c = CategoryOf(watched);
  if (!c) return false;
  logic_.Remove(c->code, Row(*c));
  return true;
}

bool SoundPanel::ShowFileTip(const Category& c, QHelpEvent* help) {
  int row = 0;
  if (c.list) {
    const QListWidgetItem* item = c.list->itemAt(help->pos());
    row = item ? c.list->row(item) : -1;
  }
  const QString tip = QString::fromStdString(logic_.FileTip(c.code, row));
  if (tip.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), tip, c.list ? c.viewport : c.label);
  return true;
}

// Files dragged from the browser's file list or the desktop's file manager
// come as file URLs, in the order of the list they were chosen in. The
// drop copies: the list they came from keeps them.
bool SoundPanel::Dragged(const Category& c, QEvent* event) {
  auto* drag = static_cast<QDropEvent*>(event);
  if (!drag->mimeData()->hasUrls()) return false;
  drag->setDropAction(Qt::CopyAction);
  drag->accept();
  if (event->type() != QEvent::Drop) return true;
  std::vector<std::string> paths;
  for (const QUrl& url : drag->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  AddFiles(paths, c.code);
  return true;
}

void SoundPanel::AddFiles(const std::vector<std::string>& paths, int category) {
  logic_.AddFiles(prepareFiles ? prepareFiles(paths, category) : paths, category);
}

bool SoundPanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress && KeyPressed(watched, static_cast<QKeyEvent*>(event))) return true;
  // A key that moves in the file list: the strip shows where it went.
  if (type == QEvent::KeyPress && watched == files_)
    QTimer::singleShot(0, this, [this] { ShowBrowserFile(); });
  const Category* c = CategoryOf(watched);
  if (type == QEvent::WindowActivate) {
    // Activation reaches every control of the window, the lists included:
    // it selects nothing, and only hides the slider.
    if (watched == window_) logic_.HideVolume();
    return false;
  }
  if (type == QEvent::FocusIn) {
    if (!c) {
      logic_.HideVolume();  // the browser
      // Tab into the file list: its marked file; a click shows the
      // one it presses.
      if (watched == files_ && UserFocus(event) &&
          static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        ShowBrowserFile();
    } else if (c->list && UserFocus(event)) {
      // The click that gives a list the focus also picks its row: look
      // after it.
      QTimer::singleShot(0, this, [this, code = c->code] { Select(CategoryFor(code)); });
    }
    return false;
  }
  if (CtrlClick(event)) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    QListWidget* list = watched == filesViewport_ ? files_ : c ? c->list : nullptr;
    if (list)
      if (QListWidgetItem* item = list->itemAt(at)) list->setCurrentItem(item);
    if (list == files_) {
      if (files_->currentItem()) {
        ShowBrowserFile();
        logic_.PlayLsu(browser_->PathOf(files_->currentItem()->text()).toStdString());
      }
      return true;
    }
    if (c) logic_.PlayFromCategory(c->code, Row(*c));
    return c != nullptr;
  }
  if (!c) return false;
  // A click into a list that already has the focus (after a click on a
  // label or an option button, which take no focus from it) selects it too.
  if (c->list && type == QEvent::MouseButtonPress)
    QTimer::singleShot(0, this, [this, code = c->code] { Select(CategoryFor(code)); });
  if (c->label && type == QEvent::MouseButtonPress) logic_.SelectSingle(c->code);
  if (c->label && type == QEvent::MouseButtonDblClick) logic_.Remove(c->code, 0);
  if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)
    return Dragged(*c, event);
  if (type == QEvent::ToolTip) return ShowFileTip(*c, static_cast<QHelpEvent*>(event));
  return false;
}

}  // namespace app
