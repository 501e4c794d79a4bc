#include "app/MotionPanel.h"

#include <QGridLayout>
#include <QPushButton>

#include "app/OverlayFrame.h"
#include "widgets/Named.h"

namespace app {

using widgets::Named;

MotionPanel::MotionPanel(std::function<devlink::TLS*()> link, devlink::AccParams& values,
                         std::function<int()> fw)
    : frame_(OverlayFrame("ConfigFrame", "Acceleration Sensor Configuration")),
      link_(std::move(link)),
      values_(values),
      fw_(std::move(fw)) {
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
  frame_->setMinimumWidth(520);

  QObject::connect(defaults, &QPushButton::clicked, frame_,
                   [this] { ShowSliders(motion::kFactorySliders); });
  QObject::connect(close, &QPushButton::clicked, frame_, [this] { frame_->hide(); });
  QObject::connect(send, &QPushButton::clicked, frame_, [this] {
    devlink::TLS* link = link_();
    if (link && motion::SendAccData(*link, Shown(), values_))
      ShowSliders(motion::SlidersFor(values_, fw_()));
  });
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
