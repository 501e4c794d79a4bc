#pragma once
// The places the file browser offers: the desktop, documents and home
// folders, then the mounted volumes a user browses (the root file system
// and removable or user-mounted media), each with the text shown for it.

#include <QString>
#include <QVector>

namespace widgets {

struct DriveRoot {
  QString label;
  QString path;
};

// "Desktop", "My Documents" and "Home" come first.
inline constexpr int kSpecialFolders = 3;

QVector<DriveRoot> DriveRoots();

}  // namespace widgets
