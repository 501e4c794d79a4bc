#pragma once
// The file browser of both programs: a drive list ("Desktop", "My
// Documents", "Home", then the mounted volumes), a folder tree of the
// chosen drive and the list of every file of the chosen folder, which
// follows files made or removed in the folder. The window owns the three
// controls; this wires their navigation.

#include <QComboBox>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QObject>
#include <QTimer>
#include <QTreeView>
#include <functional>

namespace widgets {

// A file list whose entries can be dragged out as the files themselves:
// the drag carries their file URLs, in list order, and copies.
class FileListWidget : public QListWidget {
 public:
  explicit FileListWidget(QWidget* parent = nullptr);
  // The full path of an entry; set by the browser.
  std::function<QString(const QString& name)> pathOf;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

class FileBrowser : public QObject {
 public:
  FileBrowser(QComboBox* driveList, QTreeView* dirList, QListWidget* fileList);

  // Fills the drive list; the folder tree and file list stay as they are.
  void FillDrives();
  // Shows the drive (or special folder) at that entry of the drive list in
  // the folder tree. A drive that cannot be read is ignored: false, and the
  // tree stays as it was.
  bool ShowDrive(int index);
  // Makes the folder current: the tree shows it, the file list its files.
  void SetFolder(const QString& path);
  // Chooses the drive that holds the folder (the volume with the longest
  // root that the folder lies in) and makes the folder current.
  void OpenFolder(const QString& path);
  QString Folder() const { return folder_; }
  // The file list's current entry and its selected entries, in list order.
  QString CurrentName() const;
  QStringList SelectedNames() const;
  QString PathOf(const QString& name) const { return folder_ + "/" + name; }
  // The folder of the tree's row at that point of its viewport; empty
  // where no row is.
  QString FolderAt(const QPoint& at) const;
  // The three controls: the drive list, the folder tree, the file list.
  QComboBox* DriveList() const { return drives_; }
  QTreeView* DirList() const { return dirs_; }
  QListWidget* FileList() const { return files_; }
  // Lists the current folder's files again (after files were written into
  // it), keeping the current and the selected entries that are still there.
  // A change on disk does this by itself; when the folder itself is gone,
  // the nearest folder above it that exists is shown instead.
  void RefreshFiles();
  // Called with the folder the user chose in the drive list or the folder
  // tree (not the folders the program opens).
  std::function<void(const QString& folder)> onFolderChosen;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListFiles();
  void ShowInTree();
  void ScrollLater();
  void Chosen();

  QComboBox* drives_;
  QTreeView* dirs_;
  QListWidget* files_;
  QFileSystemModel* model_;
  QFileSystemWatcher watcher_;  // the current folder
  QTimer refresh_;              // lists it again after changes
  QString folder_;
  bool followFolder_ = true;
  bool leaving_ = false;  // the folder shown is being removed from the tree
};

}  // namespace widgets
