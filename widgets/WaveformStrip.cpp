#include "widgets/WaveformStrip.h"

#include <QFileInfo>
#include <QPainter>
#include <QVector>
#include <algorithm>

#include "sound/LSU_SoundFile.h"

namespace widgets {

namespace {

// The height of the strip's inside: a line for the name and the length,
// the waveform under it, its full scale a few pixels inside the edges.
constexpr int kHeight = 88;
constexpr int kFullScaleInset = 3;
const QColor kWave(40, 110, 190);
const QColor kFullScaleLine(200, 120, 40);
const QColor kPlayHead(210, 30, 30);

QString NameOf(const QString& path) {
  return QFileInfo(path).fileName();
}

}  // namespace

WaveformStrip::WaveformStrip(const QString& name, sound::WaveformService::Reader reader,
                             QWidget* parent)
    : QFrame(parent), service_(std::make_unique<sound::WaveformService>(std::move(reader))) {
  setObjectName(name);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  Clear();
}

WaveformStrip::~WaveformStrip() {
  // The worker stops before the strip goes: nothing arrives afterwards.
  service_.reset();
}

QSize WaveformStrip::sizeHint() const {
  return {320, kHeight + 2 * frameWidth()};
}

QSize WaveformStrip::minimumSizeHint() const {
  return {80, kHeight + 2 * frameWidth()};
}

void WaveformStrip::ShowFile(const QString& path, int volume) {
  volume = std::clamp(volume, 0, 100);
  const bool sameFile = path == path_ && state_ != State::Empty;
  path_ = path;
  volume_ = volume;
  if (Summary summary = service_->Cached(path.toStdString())) {
    Use(std::move(summary));
    return;
  }
  // Still the file being read (only its volume changed): the answer comes.
  if (sameFile && state_ == State::Reading) return;
  summary_ = nullptr;
  picture_ = {};
  SetNote(State::Reading, QString("Reading %1 \u2026").arg(NameOf(path)));
  service_->Request(
      path.toStdString(), [this](const std::string& file, const seams::ResultOf<Summary>& summary) {
        // From the worker to the window's thread; a strip that
        // went first took the call with it.
        QMetaObject::invokeMethod(
            this, [this, file = QString::fromStdString(file), summary] { Arrived(file, summary); },
            Qt::QueuedConnection);
      });
}

void WaveformStrip::Clear() {
  path_.clear();
  summary_ = nullptr;
  picture_ = {};
  playHead_.reset();
  SetNote(State::Empty, "Choose a sound file to see its waveform");
}

void WaveformStrip::Reload() {
  service_->Forget();
  if (state_ != State::Empty) {
    const QString path = path_;
    state_ = State::Empty;
    ShowFile(path, volume_);
  }
}

void WaveformStrip::SetPlayHead(double seconds) {
  playHead_ = std::max(0.0, seconds);
  update();
}

void WaveformStrip::HidePlayHead() {
  if (!playHead_) return;
  playHead_.reset();
  update();
}

void WaveformStrip::Arrived(const QString& path, const seams::ResultOf<Summary>& summary) {
  if (path != path_ || state_ != State::Reading) return;  // the user went on meanwhile
  if (summary.Ok())
    Use(*summary);
  else
    SetNote(State::Failed, QString::fromStdString(summary.Message()));
}

void WaveformStrip::Use(Summary summary) {
  summary_ = std::move(summary);
  state_ = State::Shown;
  note_.clear();
  Derive();
  UpdateTip();
  update();
}

void WaveformStrip::Derive() {
  if (summary_) picture_ = sound::PictureAt(*summary_, contentsRect().width(), volume_);
}

void WaveformStrip::SetNote(State state, const QString& note) {
  state_ = state;
  note_ = note;
  UpdateTip();
  update();
}

void WaveformStrip::UpdateTip() {
  if (state_ != State::Shown) {
    setToolTip(note_);
    return;
  }
  setToolTip(QString("%1 at volume %2 %, %3 long. The dashed lines are the board's full scale.")
                 .arg(NameOf(path_))
                 .arg(volume_)
                 .arg(QString::fromStdString(sound::LengthText(picture_.seconds))));
}

void WaveformStrip::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  Derive();
}

void WaveformStrip::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  const QRect inside = contentsRect();
  p.fillRect(inside, palette().base());
  p.setClipRect(inside);
  if (state_ != State::Shown) {
    p.setPen(palette().color(QPalette::PlaceholderText));
    p.drawText(inside, Qt::AlignCenter | Qt::TextWordWrap, note_);
    return;
  }
  // The name and the length on a line of their own, over the waveform.
  const QRect text = inside.adjusted(4, 1, -4, 0);
  const QRect wave = inside.adjusted(0, fontMetrics().height() + 2, 0, 0);
  const int full = sound::LSU_SoundFile::kFullScale;
  const double middle = wave.top() + wave.height() / 2.0;
  const double unit = (wave.height() / 2.0 - kFullScaleInset) / full;
  auto y = [&](int value) { return int(std::lround(middle - value * unit)); };
  p.setPen(QPen(kFullScaleLine, 1, Qt::DashLine));
  p.drawLine(inside.left(), y(full), inside.right(), y(full));
  p.drawLine(inside.left(), y(-full), inside.right(), y(-full));

  QVector<QLine> lines;
  lines.reserve(int(picture_.columns.size()));
  for (size_t i = 0; i < picture_.columns.size(); ++i) {
    const int x = inside.left() + int(i);
    lines.append(QLine(x, y(picture_.columns[i].high), x, y(picture_.columns[i].low)));
  }
  p.setPen(QPen(kWave, 1));
  p.drawLines(lines);

  p.setPen(palette().color(QPalette::Text));
  const QString length = QString::fromStdString(sound::LengthText(picture_.seconds));
  p.drawText(text, Qt::AlignRight | Qt::AlignTop, length);
  const int nameWidth = text.width() - fontMetrics().horizontalAdvance(length) - 8;
  p.drawText(text, Qt::AlignLeft | Qt::AlignTop,
             fontMetrics().elidedText(NameOf(path_), Qt::ElideMiddle, std::max(0, nameWidth)));

  if (playHead_ && picture_.seconds > 0) {
    const double part = std::min(1.0, *playHead_ / picture_.seconds);
    const int x = inside.left() + int(std::lround(part * (inside.width() - 1)));
    p.setPen(QPen(kPlayHead, 2));
    p.drawLine(x, inside.top(), x, inside.bottom());
  }
}

}  // namespace widgets
