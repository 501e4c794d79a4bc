#include "app/UpdateForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <utility>

#include "update/UpdateManager.h"
#include "widgets/Named.h"

namespace app {

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 236;
constexpr int kMargin = 18;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kBarHeight = 14;
constexpr int kIconSize = 40;
// What the list of installed fonts adds to the dialog's height.
constexpr int kListHeight = 112;

// Captions show names from the update service: as plain text, never as
// markup.
QLabel* Caption(QWidget* parent, const char* name, const char* text, QRect at) {
  auto* label = widgets::Named<QLabel>(name, parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setGeometry(at);
  return label;
}

QFrame* Rectangle(QWidget* parent, const char* name, QRect at, const char* colour) {
  auto* frame = widgets::Named<QFrame>(name, parent);
  frame->setGeometry(at);
  frame->setStyleSheet(QString("background-color: %1; border: none;").arg(colour));
  return frame;
}

// A transparent square picture drawn by draw.
template <typename Draw>
QPixmap Picture(Draw draw) {
  QPixmap p(kIconSize, kIconSize);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter);
  return p;
}

// The success picture: a green disc with a white tick.
QPixmap OkPicture() {
  return Picture([](QPainter& painter) {
    painter.setBrush(QColor(0x2e, 0x9d, 0x4f));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, kIconSize - 4, kIconSize - 4);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygon({QPoint(11, 21), QPoint(18, 28), QPoint(30, 13)}));
  });
}

// The warning picture: an amber triangle with an exclamation mark.
QPixmap WarningPicture() {
  return Picture([](QPainter& painter) {
    QPainterPath triangle;
    triangle.moveTo(kIconSize / 2.0, 3);
    triangle.lineTo(kIconSize - 2, kIconSize - 4);
    triangle.lineTo(2, kIconSize - 4);
    triangle.closeSubpath();
    painter.fillPath(triangle, QColor(0xf0, 0xa8, 0x1c));
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(kIconSize / 2, 14, kIconSize / 2, 25);
    painter.drawPoint(kIconSize / 2, 31);
  });
}

QLabel* Icon(QWidget* parent, const char* name, const QPixmap& picture, QRect at) {
  auto* icon = widgets::Named<QLabel>(name, parent);
  icon->setPixmap(picture);
  icon->setGeometry(at);
  return icon;
}

}  // namespace

// A drawn rectangle with a caption on it, clicked anywhere.
class UpdateForm::DrawnButton : public QFrame {
 public:
  DrawnButton(QWidget* parent, const char* background, const char* caption, QRect at,
              std::function<void()> onClick)
      : QFrame(parent), onClick_(std::move(onClick)) {
    setObjectName(background);
    setGeometry(at);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet("QFrame { background-color: #2d5fa8; border-radius: 3px; }");
    caption_ = Caption(parent, caption, "", at);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setStyleSheet("color: white; font-weight: bold; background: transparent;");
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  void Show(const QString& text) {
    caption_->setText(text);
    setVisible(true);
    caption_->setVisible(true);
    caption_->raise();
  }
  void Hide() {
    setVisible(false);
    caption_->setVisible(false);
  }
  void MoveToY(int y) {
    move(x(), y);
    caption_->move(caption_->x(), y);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
      onClick_();
  }

 private:
  std::function<void()> onClick_;
  QLabel* caption_;
};

UpdateForm::UpdateForm(QWidget* owner) : QDialog(owner, Qt::Dialog), owner_(owner) {
  setObjectName("updateForm");
  setWindowTitle("Update");
  setModal(true);
  setFixedSize(kWidth, kHeight);
  setStyleSheet("QDialog { background-color: #f4f6f9; } QLabel { color: #1d2430; }");

  border_ = widgets::Named<QFrame>("formBorder", this);
  border_->setGeometry(0, 0, kWidth, kHeight);
  border_->setStyleSheet("QFrame#formBorder { border: 2px solid #2d5fa8; }");

  formTitle_ = Caption(this, "formTitle", "Updating items...", {kMargin, 12, kInner, 26});
  QFont bold = formTitle_->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  formTitle_->setFont(bold);
  updateStep_ = Caption(this, "updateStep", "Update Step", {kMargin, 44, kInner, 20});
  progressBackground1_ = Bar("progressBackground1", "progressBar1", 68, progressBar1_);
  updateElement_ = Caption(this, "updateElement", "Update Element", {kMargin, 90, kInner, 40});
  updateElement_->setWordWrap(true);
  updateElement_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  progressBackground2_ = Bar("progressBackground2", "progressBar2", 134, progressBar2_);
  fullWidth1_ = progressBar1_->width();
  fullWidth2_ = progressBar2_->width();

  const QRect iconAt(kMargin, kHeight - kMargin - kIconSize, kIconSize, kIconSize);
  okIcon_ = Icon(this, "okIcon", OkPicture(), iconAt);
  warningIcon_ = Icon(this, "warningIcon", WarningPicture(), iconAt);
  const int buttonY = kHeight - kMargin - 32;
  button1_ = new DrawnButton(this, "formButtonBackground1", "formButtonCaption1",
                             {kWidth - kMargin - 196, buttonY, 92, 32}, [this] {
                               hide();
                               if (endProgram)
                                 endProgram();
                               else
                                 QCoreApplication::exit(0);
                             });
  button2_ = new DrawnButton(this, "formButtonBackground2", "formButtonCaption2",
                             {kWidth - kMargin - 92, buttonY, 92, 32}, [this] { hide(); });
  button1_->Show("Yes");
  button2_->Show("No");
  // In the place of the left button, which the final states do not show.
  loadButton_ = new DrawnButton(this, "formLoadBackground", "formLoadButton",
                                {kWidth - kMargin - 196, buttonY, 92, 32}, [this] {
                                  fontToLoad_ = firstFont_;
                                  hide();
                                });
  loadButton_->Hide();
  installedList_ = widgets::Named<QListWidget>("installedList", this);
  installedList_->setGeometry(kMargin, kHeight - kMargin - kIconSize, kInner, kListHeight - 8);
  installedList_->setFocusPolicy(Qt::NoFocus);
  installedList_->hide();
  if (owner_) owner_->installEventFilter(this);
}

UpdateForm::~UpdateForm() {
  if (owner_) owner_->removeEventFilter(this);
}

QFrame* UpdateForm::Bar(const char* background, const char* bar, int y, QFrame*& barOut) {
  auto* back = Rectangle(this, background, {kMargin, y, kInner, kBarHeight}, "#cfd5de");
  barOut = Rectangle(this, bar, {kMargin, y, kInner, kBarHeight}, "#3a9d5d");
  return back;
}

void UpdateForm::closeEvent(QCloseEvent* event) {
  if (!finished_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void UpdateForm::reject() {
  if (finished_) hide();
}

void UpdateForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (finished_) hide();
    return;
  }
  QDialog::keyPressEvent(event);
}

// The owner moved or changed its size: the dialog stays over its middle.
bool UpdateForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && isVisible() &&
      (event->type() == QEvent::Move || event->type() == QEvent::Resize))
    CentreOverOwner();
  return false;
}

// Its frame is known once it is shown.
void UpdateForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOverOwner();
}

void UpdateForm::CentreOverOwner() {
  if (!owner_) return;
  QRect frame = frameGeometry();
  frame.moveCenter(owner_->frameGeometry().center());
  move(frame.topLeft());
}

void UpdateForm::Arrange(bool withList) {
  const int height = kHeight + (withList ? kListHeight : 0);
  setFixedSize(kWidth, height);
  border_->resize(kWidth, height);
  okIcon_->move(kMargin, height - kMargin - kIconSize);
  warningIcon_->move(kMargin, height - kMargin - kIconSize);
  for (DrawnButton* b : {button1_, button2_, loadButton_}) b->MoveToY(height - kMargin - 32);
  installedList_->setVisible(withList);
  if (isVisible()) CentreOverOwner();
}

void UpdateForm::hideButtons() {
  button1_->Hide();
  button2_->Hide();
}

void UpdateForm::showYesNoButtons() {
  button1_->Show("YES");
  button2_->Show("NO");
}

void UpdateForm::ShowRightButton(const char* caption) {
  button2_->Show(caption);
}

void UpdateForm::ShowBars(bool overall, bool item) {
  progressBackground1_->setVisible(overall);
  progressBar1_->setVisible(overall);
  progressBackground2_->setVisible(item);
  progressBar2_->setVisible(item);
  // Without the item bar the caption may take the room down to the icon:
  // a final message names the fonts folder, which can be long.
  const int bottom = item ? progressBackground2_->y() - 4 : kHeight - kMargin - kIconSize - 4;
  updateElement_->resize(kInner, bottom - updateElement_->y());
}

void UpdateForm::resetForm() {
  finished_ = false;
  fontToLoad_.reset();
  firstFont_.clear();
  installedList_->clear();
  loadButton_->Hide();
  Arrange(false);
  hideButtons();
  formTitle_->setText("Updating items ...");
  ShowBars(true, true);
  progressA(0);
  progressB(0);
  okIcon_->hide();
  warningIcon_->hide();
  updateStep_->show();
  updateStep_->clear();
  updateElement_->show();
  updateElement_->clear();
}

void UpdateForm::updateStep(const std::string& text) {
  updateStep_->setText(QString::fromStdString(text));
}

void UpdateForm::updateElement(const std::string& text) {
  updateElement_->setText(QString::fromStdString(text));
}

void UpdateForm::progressA(int percent) {
  progressBar1_->resize(qRound(fullWidth1_ * percent / 100.0), kBarHeight);
}

void UpdateForm::progressB(int percent) {
  progressBar2_->resize(qRound(fullWidth2_ * percent / 100.0), kBarHeight);
}

void UpdateForm::showWarning(const std::string& text) {
  finished_ = true;
  ShowRightButton("OK");
  formTitle_->setText("Warning!");
  ShowBars(false, false);
  updateStep_->hide();
  updateElement(text);
  warningIcon_->show();
}

void UpdateForm::showMessage(const std::string& text) {
  finished_ = true;
  ShowRightButton("OK");
  progressA(100);
  formTitle_->setText("Success");
  ShowBars(true, false);
  updateStep(update::kStepCompleted);
  updateElement(text);
  okIcon_->show();
}

// Each font on a row of its own: its id and the folder it is in.
void UpdateForm::showInstalled(const std::vector<update::InstalledFont>& fonts) {
  if (fonts.empty()) return;
  for (const update::InstalledFont& font : fonts)
    installedList_->addItem(QString::fromStdString(font.id + " \u2014 " + font.folder));
  firstFont_ = fonts.front().configuration;
  Arrange(true);
  loadButton_->Show("Load");
}

std::optional<std::string> UpdateForm::TakeFontToLoad() {
  return std::exchange(fontToLoad_, std::nullopt);
}

// Shown, the dialog runs onActivate from its own event loop, so the window
// is up and painted while the update works.
void UpdateForm::ShowModal(const std::function<void()>& onActivate) {
  QTimer::singleShot(0, this, [onActivate] { onActivate(); });
  exec();
}

}  // namespace app
