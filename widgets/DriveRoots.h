#pragma once
// The places the file browser offers: the desktop and documents folders,
// then the mounted volumes a user browses (the root file system and
// removable or user-mounted media), each with the text shown for it.

#include <QString>
#include <QVector>

namespace widgets {

struct DriveRoot {
  QString label;
  QString path;
};

QVector<DriveRoot> DriveRoots();

}  // namespace widgets
