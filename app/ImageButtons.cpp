#include "app/ImageButtons.h"

#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <cstdio>

namespace app {

namespace {

const char* kOnPicture = "morvaneOnPicture";
const char* kOffPicture = "morvaneOffPicture";
constexpr int kFocusFrameWidth = 2;

// The frame drawn over an image button while it has the focus: the
// pictures fill the buttons, and a style's own focus mark may not show.
class FocusFrame : public QWidget {
 public:
  explicit FocusFrame(QAbstractButton* button) : QWidget(button) {
    setObjectName("FocusFrame");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    button->installEventFilter(this);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kFocusFrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const int half = kFocusFrameWidth / 2;
    painter.drawRect(rect().adjusted(half, half, -half, -half));
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* button = static_cast<QAbstractButton*>(watched);
    switch (event->type()) {
      case QEvent::FocusIn:
        setGeometry(button->rect());
        raise();
        show();
        break;
      case QEvent::FocusOut:
        hide();
        break;
      case QEvent::Resize:
        setGeometry(button->rect());
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
          button->click();
          return true;
        }
        break;
      }
      default:
        break;
    }
    return false;
  }
};

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
  button->setFocusPolicy(Qt::FocusPolicy(button->focusPolicy() | Qt::TabFocus));
  new FocusFrame(button);
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
