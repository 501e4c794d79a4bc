#pragma once
// Bitmaps of the application folder for the image buttons and the online
// indicator. Each button has its picture and an "_off" twin shown while it
// is disabled; enabling or disabling a button switches both together. A
// missing bitmap leaves the button without a picture and is said once on
// stderr.

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <set>

namespace app {

class Bitmaps {
 public:
  explicit Bitmaps(QString appFolder) : folder_(std::move(appFolder)) {}
  // name like "open.bmp"; a null pixmap when the file is missing.
  QPixmap Load(const QString& name);
  static QString OffName(const QString& name);  // "open.bmp" -> "open_off.bmp"

 private:
  QString folder_;
  std::set<QString> reported_;
};

// An image button: its enabled picture is `name`, its disabled one the
// "_off" twin. Tab reaches it, a frame shows while it has the focus, and
// Space, Enter or Return press it.
void SetUpImageButton(QAbstractButton* button, Bitmaps& bitmaps, const QString& name);
void EnableImageButton(QAbstractButton* button, bool enabled);

}  // namespace app
