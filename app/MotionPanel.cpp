#include "app/MotionPanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/LineChart.h"

#include "app/OverlayFrame.h"
#include "widgets/Named.h"

namespace app {

using widgets::Named;

namespace {

// Calls onHide when the watched widget is hidden.
class HideWatch : public QObject {
 public:
  explicit HideWatch(std::function<void()> onHide) : onHide_(std::move(onHide)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide) onHide_();
    return false;
  }

 private:
  std::function<void()> onHide_;
};

constexpr int kImpactThreshold = 2;  // the slider's index

// The plot: the sensor's units on the vertical axis (the magnitude of a
// full-scale hit on all three axes is about 54), seconds before the newest
// reading on the horizontal one.
constexpr double kAxisMin = -40, kAxisMax = 60;

}  // namespace

MotionPanel::MotionPanel(std::function<devlink::TLS*()> link, devlink::AccParams& values,
                         std::function<int()> fw, LiveSensorHooks live)
    : frame_(OverlayFrame("ConfigFrame", "Acceleration Sensor Configuration")),
      link_(std::move(link)),
      values_(values),
      fw_(std::move(fw)),
      hooks_(std::move(live)),
      live_(*this, *hooks_.dialogs) {
  clock_.start();
  auto* grid = new QGridLayout(frame_);
  auto section = [&](int row, const char* caption) {
    auto* l = new QLabel(caption);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    grid->addWidget(l, row, 0, 1, 3);
  };
  section(0, "MOTION DETECTION PARAMETERS");
  AddRow(grid, 1, "Threshold", "MotionThresholdSlider", "MotionThresholdLabel", 0);
  AddRow(grid, 2, "Integration Time", "MotionDebouncingSlider", "MotionDebouncingLabel", 1);
  section(3, "IMPACT DETECTION PARAMETERS");
  AddRow(grid, 4, "Threshold", "ImpactThresholdSlider", "ImpactThresholdLabel", 2);
  AddRow(grid, 5, "Debouncing Time", "ImpactDebouncingslider", "ImpactDebouncingLabel", 3);
  AddRow(grid, 6, "Minimum time between repetitions", "ImpactTimeSlider", "ImpactTimeLabel", 4);
  section(7, "LOCKUP FLASH TIMING");
  QSlider* foc = AddRow(grid, 8, "Flash period [ms]", "FOCTimeSlider", "FOCTimeLabel", 5);
  foc->setSingleStep(4);
  // The flash period moves in steps of 4 ms.
  QObject::connect(foc, &QSlider::valueChanged, frame_, [this, foc](int v) {
    const int snapped = motion::SnapFlashPeriod(v);
    if (snapped != v) foc->setValue(snapped);
    SetLabel(5, foc->value());
  });

  auto* buttons = new QHBoxLayout;
  auto* defaults = Named<QPushButton>("DefaultBtn", "Factory Default");
  auto* send = Named<QPushButton>("SendCmdBtn", "SEND Configuration");
  auto* close = Named<QPushButton>("CloseCfgBtn", "CLOSE Window");
  buttons->addWidget(defaults);
  buttons->addWidget(send);
  buttons->addWidget(close);
  grid->addLayout(buttons, 9, 0, 1, 3);
  grid->addWidget(BuildLive(), 0, 3, 10, 1);
  grid->setColumnStretch(3, 1);
  frame_->setMinimumWidth(520);
  // The threshold line moves with its slider.
  QObject::connect(sliders_[kImpactThreshold], &QSlider::valueChanged, frame_,
                   [this] { ShowReadings(live_.History()); });
  // Closing the panel (or the window) ends polling.
  hideWatch_ = std::make_unique<HideWatch>([this] { live_.Stop(); });
  frame_->installEventFilter(hideWatch_.get());

  QObject::connect(defaults, &QPushButton::clicked, frame_,
                   [this] { ShowSliders(motion::kFactorySliders); });
  QObject::connect(close, &QPushButton::clicked, frame_, [this] { frame_->hide(); });
  QObject::connect(send, &QPushButton::clicked, frame_, [this] {
    devlink::TLS* link = link_();
    const bool sent = link && motion::SendAccData(*link, Shown(), values_);
    if (sent) {
      // The board restarted to take the values: polling ends rather than
      // meet a board that is starting up.
      live_.Stop();
      ShowSliders(motion::SlidersFor(values_, fw_()));
    }
    if (showStatus) showStatus(sent ? motion::kMotionSent : motion::kMotionNotConfirmed, !sent);
  });
}

MotionPanel::~MotionPanel() {
  frame_->removeEventFilter(hideWatch_.get());
}

QWidget* MotionPanel::BuildLive() {
  auto* box = new QWidget;
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  auto* caption = new QLabel("LIVE SENSOR VALUES");
  QFont bold = caption->font();
  bold.setBold(true);
  caption->setFont(bold);
  row->addWidget(caption);
  row->addStretch(1);
  liveCheck_ = Named<QCheckBox>("LiveCheck", "Live");
  liveCheck_->setEnabled(false);
  row->addWidget(liveCheck_);
  v->addLayout(row);
  chart_ = new widgets::LineChart("LiveChart", "time [s] (0 = newest reading)",
                                  "acceleration (sensor units)", false);
  chart_->SetXRange(-motion::kLiveWindowSeconds, 0, false);
  chart_->SetYRange(kAxisMin, kAxisMax, 6);
  chart_->setMinimumSize(400, 260);
  v->addWidget(chart_, 1);
  timer_ = Named<QTimer>("LiveTimer", frame_);
  QObject::connect(timer_, &QTimer::timeout, frame_, [this] { live_.Tick(Now()); });
  QObject::connect(liveCheck_, &QCheckBox::toggled, frame_,
                   [this](bool on) { live_.SetLive(on, Now()); });
  ShowReadings(live_.History());
  return box;
}

void MotionPanel::SetLiveAvailable(bool available) {
  if (!available) live_.Stop();
  liveCheck_->setEnabled(available);
}

void MotionPanel::SetLiveChecked(bool checked) {
  const QSignalBlocker quiet(liveCheck_);
  liveCheck_->setChecked(checked);
}

void MotionPanel::ShowReadings(const motion::LiveHistory& history) {
  const auto& readings = history.Readings();
  const double newest = readings.empty() ? 0 : readings.back().seconds;
  widgets::ChartLine x{"x", QColor(0xd0, 0x30, 0x30), {}};
  widgets::ChartLine y{"y", QColor(0x20, 0x90, 0x20), {}};
  widgets::ChartLine z{"z", QColor(0x30, 0x50, 0xd0), {}};
  widgets::ChartLine magnitude{"magnitude", QColor(0x30, 0x30, 0x30), {}};
  for (const auto& r : readings) {
    const double t = r.seconds - newest;
    x.points.append({t, double(r.x)});
    y.points.append({t, double(r.y)});
    z.points.append({t, double(r.z)});
    magnitude.points.append({t, r.Magnitude()});
  }
  const double threshold = sliders_[kImpactThreshold]->value();
  widgets::ChartLine line{"impact threshold",
                          QColor(0xe0, 0x80, 0x00),
                          {{-motion::kLiveWindowSeconds, threshold}, {0, threshold}},
                          Qt::DashLine};
  chart_->SetLines({x, y, z, magnitude, line});
}

QSlider* MotionPanel::AddRow(QGridLayout* grid, int row, const char* caption, const char* slider,
                             const char* label, int index) {
  auto* s = Named<QSlider>(slider, Qt::Horizontal);
  s->setRange(motion::kSliderRanges[size_t(index)].min, motion::kSliderRanges[size_t(index)].max);
  s->setSingleStep(1);
  s->setPageStep(5);
  s->setTickPosition(QSlider::TicksBelow);
  s->setTickInterval(1);
  auto* value = Named<QLabel>(label, "0");
  value->setMinimumWidth(40);
  grid->addWidget(new QLabel(caption), row, 0);
  grid->addWidget(s, row, 1);
  grid->addWidget(value, row, 2);
  sliders_[size_t(index)] = s;
  labels_[size_t(index)] = value;
  if (index < 5)
    QObject::connect(s, &QSlider::valueChanged, frame_,
                     [this, index](int v) { SetLabel(index, v); });
  return s;
}

void MotionPanel::SetLabel(int index, int value) {
  labels_[size_t(index)]->setText(QString::number(value));
}

void MotionPanel::ShowSliders(const motion::Sliders& s) {
  const int v[] = {s.MotionThreshold,  s.MotionDebouncing, s.ImpactThreshold,
                   s.ImpactDebouncing, s.ImpactTime,       s.FOCTime};
  for (size_t i = 0; i < 6; ++i) {
    const QSignalBlocker quiet(sliders_[i]);
    sliders_[i]->setValue(v[i]);
    // The label tells the board's own value, also one outside the slider.
    SetLabel(int(i), v[i]);
  }
  ShowReadings(live_.History());  // the threshold line, moved quietly
}

motion::Sliders MotionPanel::Shown() const {
  return {sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value(),
          sliders_[3]->value(), sliders_[4]->value(), sliders_[5]->value()};
}

void MotionPanel::ReadAccData() {
  if (devlink::TLS* link = link_()) ShowSliders(motion::ReadAccData(*link, values_, fw_()));
}

void MotionPanel::Show() {
  const bool enabled = motion::FlashPeriodEnabled(fw_());
  sliders_[5]->setEnabled(enabled);
  labels_[5]->setEnabled(enabled);
  frame_->show();
  frame_->raise();
}

}  // namespace app
