#include "widgets/FileBrowser.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "widgets/DriveRoots.h"

namespace widgets {

namespace {
constexpr int kRefreshDelayMs = 100;

// The folder itself when it exists, else the nearest folder above it that
// does.
QString NearestExisting(QString folder) {
  while (!QFileInfo(folder).isDir()) {
    const QString up = QFileInfo(folder).absolutePath();
    if (up == folder) break;
    folder = up;
  }
  return folder;
}

bool IsInside(const QString& folder, const QString& outer) {
  return folder == outer || folder.startsWith(outer.endsWith('/') ? outer : outer + "/");
}
}  // namespace

FileListWidget::FileListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
}

QStringList FileListWidget::mimeTypes() const {
  return {"text/uri-list"};
}

QMimeData* FileListWidget::mimeData(const QList<QListWidgetItem*>& items) const {
  QList<QListWidgetItem*> inOrder = items;
  std::sort(inOrder.begin(), inOrder.end(),
            [this](QListWidgetItem* a, QListWidgetItem* b) { return row(a) < row(b); });
  QList<QUrl> urls;
  for (const QListWidgetItem* item : inOrder)
    urls << QUrl::fromLocalFile(pathOf ? pathOf(item->text()) : item->text());
  auto* data = new QMimeData;
  data->setUrls(urls);
  return data;
}

FileBrowser::FileBrowser(QComboBox* driveList, QTreeView* dirList, QListWidget* fileList)
    : QObject(dirList), drives_(driveList), dirs_(dirList), files_(fileList) {
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());
  // The folder shown is removed on disk: the tree's selection moves to a
  // neighbour, which the user never chose. Connected before the tree's
  // selection model is, so the flag is up when that move is announced.
  connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex& parent, int first, int last) {
            for (int row = first; row <= last; ++row)
              if (IsInside(folder_, model_->filePath(model_->index(row, 0, parent))))
                leaving_ = true;
          });
  connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
    if (!leaving_) return;
    QTimer::singleShot(0, this, [this] {
      leaving_ = false;
      SetFolder(NearestExisting(folder_));
    });
  });
  dirs_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) dirs_->hideColumn(column);
  dirs_->setHeaderHidden(true);
  dirs_->viewport()->installEventFilter(this);
  // The model reads and sorts folders in the background, and the tree
  // cannot scroll before it is laid out: keep the current folder in view
  // until the user takes the tree in hand.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
    if (folder_.startsWith(loaded)) ShowInTree();
  });
  connect(model_, &QFileSystemModel::layoutChanged, this, [this] { ScrollLater(); });
  connect(drives_, &QComboBox::activated, this, [this](int index) {
    if (ShowDrive(index)) Chosen();
  });
  connect(dirs_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && !leaving_) {
              folder_ = model_->filePath(current);
              ListFiles();
              Chosen();
            }
          });
  // A burst of changes (a copy of many files) lists the folder once.
  refresh_.setSingleShot(true);
  refresh_.setInterval(kRefreshDelayMs);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &refresh_, qOverload<>(&QTimer::start));
  connect(&refresh_, &QTimer::timeout, this, [this] { RefreshFiles(); });
  if (auto* list = dynamic_cast<FileListWidget*>(files_))
    list->pathOf = [this](const QString& name) { return PathOf(name); };
}

QString FileBrowser::FolderAt(const QPoint& at) const {
  const QModelIndex index = dirs_->indexAt(at);
  return index.isValid() ? model_->filePath(index) : QString();
}

void FileBrowser::Chosen() {
  if (onFolderChosen) onFolderChosen(folder_);
}

void FileBrowser::FillDrives() {
  drives_->clear();
  for (const DriveRoot& r : DriveRoots()) drives_->addItem(r.label, r.path);
}

bool FileBrowser::ShowDrive(int index) {
  const QString path = drives_->itemData(index).toString();
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isDir() || !info.isReadable()) return false;
  dirs_->setRootIndex(model_->index(path));
  SetFolder(path);
  return true;
}

void FileBrowser::OpenFolder(const QString& path) {
  const QString folder = QDir(path).absolutePath();
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = kSpecialFolders; i < drives_->count(); ++i) {
    const QString root = drives_->itemData(i).toString();
    if (IsInside(folder, root) && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  if (best >= 0) {
    drives_->setCurrentIndex(best);
    dirs_->setRootIndex(model_->index(drives_->itemData(best).toString()));
  }
  SetFolder(folder);
}

void FileBrowser::SetFolder(const QString& path) {
  folder_ = QDir(path).absolutePath();
  followFolder_ = true;
  ShowInTree();
  ListFiles();
}

void FileBrowser::ShowInTree() {
  const QModelIndex index = model_->index(folder_);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) dirs_->expand(up);
  const QSignalBlocker quiet(dirs_->selectionModel());
  dirs_->setCurrentIndex(index);
  ScrollLater();
}

void FileBrowser::ScrollLater() {
  if (!followFolder_) return;
  QTimer::singleShot(0, dirs_, [this] {
    if (followFolder_) dirs_->scrollTo(model_->index(folder_), QAbstractItemView::PositionAtCenter);
  });
}

bool FileBrowser::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::Resize) ScrollLater();
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel)
    followFolder_ = false;
  return false;
}

void FileBrowser::ListFiles() {
  if (watcher_.directories() != QStringList{folder_}) {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    if (QFileInfo(folder_).isDir()) watcher_.addPath(folder_);
  }
  files_->clear();
  const QDir dir(folder_);
  files_->addItems(
      dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase));
}

void FileBrowser::RefreshFiles() {
  if (!QFileInfo(folder_).isDir()) {
    SetFolder(NearestExisting(folder_));
    return;
  }
  const QString current = CurrentName();
  const QStringList selected = SelectedNames();
  ListFiles();
  for (int row = 0; row < files_->count(); ++row) {
    QListWidgetItem* item = files_->item(row);
    if (item->text() == current) files_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    item->setSelected(selected.contains(item->text()));
  }
}

QString FileBrowser::CurrentName() const {
  const QListWidgetItem* item = files_->currentItem();
  return item ? item->text() : QString();
}

QStringList FileBrowser::SelectedNames() const {
  QStringList names;
  for (int row = 0; row < files_->count(); ++row)
    if (files_->item(row)->isSelected()) names << files_->item(row)->text();
  return names;
}

}  // namespace widgets
