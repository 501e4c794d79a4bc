#include "app/ImageButtons.h"

#include <QFileInfo>
#include <QIcon>
#include <cstdio>

namespace app {

namespace {
const char* kOnPicture = "morvaneOnPicture";
const char* kOffPicture = "morvaneOffPicture";
}  // namespace

QPixmap Bitmaps::Load(const QString& name) {
  const QString path = folder_ + "/" + name;
  QPixmap pixmap;
  if (QFileInfo::exists(path)) pixmap.load(path);
  if (pixmap.isNull() && reported_.insert(name).second)
    std::fprintf(stderr, "morvane: picture %s is missing or unreadable; shown without it\n",
                 qPrintable(path));
  return pixmap;
}

QString Bitmaps::OffName(const QString& name) {
  const int dot = name.lastIndexOf('.');
  return dot < 0 ? name + "_off" : name.left(dot) + "_off" + name.mid(dot);
}

void SetUpImageButton(QAbstractButton* button, Bitmaps& bitmaps, const QString& name) {
  const QPixmap on = bitmaps.Load(name);
  const QPixmap off = bitmaps.Load(Bitmaps::OffName(name));
  button->setProperty(kOnPicture, on);
  button->setProperty(kOffPicture, off);
  if (!on.isNull()) button->setIconSize(on.size());
  EnableImageButton(button, button->isEnabled());
}

void EnableImageButton(QAbstractButton* button, bool enabled) {
  button->setEnabled(enabled);
  const QPixmap picture = button->property(enabled ? kOnPicture : kOffPicture).value<QPixmap>();
  // Both states show the chosen bitmap as drawn, not a toolkit-greyed copy.
  QIcon icon;
  icon.addPixmap(picture, QIcon::Normal);
  icon.addPixmap(picture, QIcon::Disabled);
  button->setIcon(icon);
  button->setProperty("picture", enabled ? "on" : "off");
}

}  // namespace app
