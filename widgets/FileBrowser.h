#pragma once
// The file browser of both programs: a drive list ("Desktop", "My
// Documents", then the mounted volumes), a folder tree of the chosen drive
// and the list of every file of the chosen folder. The window owns the
// three controls; this wires their navigation.

#include <QComboBox>
#include <QFileSystemModel>
#include <QListWidget>
#include <QObject>
#include <QTreeView>

namespace widgets {

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
  // The three controls: the drive list, the folder tree, the file list.
  QComboBox* DriveList() const { return drives_; }
  QTreeView* DirList() const { return dirs_; }
  QListWidget* FileList() const { return files_; }
  // Lists the current folder's files again (after files were written into
  // it), keeping the current and the selected entries that are still there.
  void RefreshFiles();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListFiles();
  void ShowInTree();
  void ScrollLater();

  QComboBox* drives_;
  QTreeView* dirs_;
  QListWidget* files_;
  QFileSystemModel* model_;
  QString folder_;
  bool followFolder_ = true;
};

}  // namespace widgets
