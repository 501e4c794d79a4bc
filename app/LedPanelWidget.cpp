#include "app/LedPanelWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <QChart>
#include <QLegend>

#include "widgets/ColorSwatch.h"
#include "widgets/LineChart.h"
#include "widgets/Named.h"
#include "widgets/PulsePreview.h"

namespace app {

using widgets::Named;

namespace {

QString ArrayName(const char* name, int channel) {
  return QString("%1(%2)").arg(name).arg(channel);
}

const QColor kDarkGround(0x24, 0x24, 0x24);

// How long a field whose text was corrected stays lit.
constexpr int kCorrectionFlashMs = 1500;

// Colour values are red + 256 x green + 65536 x blue. Channel names are
// drawn in their emitter's colour, white and amber among them, so they sit
// on a dark ground like the LEDs themselves. A channel the LED type does
// not have (colour 0) is drawn black, like an unlit LED, on the window's
// own ground, where black can be read.
void SetTextColor(QLabel* label, int32_t color) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, QColor(color & 255, (color >> 8) & 255, (color >> 16) & 255));
  p.setColor(QPalette::Window,
             color == 0 ? QApplication::palette(label).color(QPalette::Window) : kDarkGround);
  label->setPalette(p);
}

QColor ToQColor(const led::Rgb& c) {
  return QColor(c.red, c.green, c.blue);
}

// Pulse graphs: level 0..255 against seconds from the pulse's start.
widgets::LineChart* PulseChart(const char* name) {
  auto* chart = new widgets::LineChart(name, "time [s]", "level", true);
  chart->SetXRange(0, 1, true);
  chart->SetYRange(0, led::kLevelMax, 6);  // 0, 51, ... 255
  // The lines have the colours of the channel labels above: no legend, and
  // the room goes to the curves.
  chart->chart()->legend()->hide();
  chart->setMinimumHeight(170);
  return chart;
}

void Draw(widgets::LineChart* chart, const std::vector<led::ChannelCurve>& curves) {
  std::vector<widgets::ChartLine> lines;
  double end = 0;
  for (const auto& curve : curves) {
    widgets::ChartLine line{QString("LED%1").arg(curve.channel), ToQColor(curve.color), {}};
    for (const auto& p : curve.points) line.points.append(QPointF(p.seconds, p.level));
    if (!curve.points.empty()) end = std::max(end, curve.points.back().seconds);
    lines.push_back(std::move(line));
  }
  chart->SetLines(lines);
  // A pulse of no time still gets an axis to stand on.
  chart->SetXRange(0, end > 0 ? end : 1, true);
}

QLabel* ChannelLabel(const QString& name, const QString& text) {
  auto* label = Named<QLabel>(name, text);
  label->setAutoFillBackground(true);
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumWidth(48);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

LedPanelWidget::LedPanelWidget(QGroupBox* frmLED, Bitmaps& bitmaps, seams::UserDialogs& dialogs,
                               const QString& appFolder, session::ConnectionLifecycle& connection,
                               session::ConnectionView& window)
    : QObject(frmLED),
      logic_(*this, dialogs, appFolder.toStdString()),
      bitmaps_(bitmaps),
      connection_(connection),
      window_(window) {
  auto* grid = new QGridLayout(frmLED);
  grid->addWidget(BuildDriverFrame(), 0, 0, 1, 2);
  grid->addWidget(BuildIdleFrame(), 1, 0);
  grid->addWidget(BuildFocFrame(), 1, 1);
  grid->addWidget(BuildLevelFrame(), 2, 0, 1, 2);
  grid->setRowStretch(3, 1);
  PulsesChanged();
}

QAbstractButton* LedPanelWidget::ImageButton(led::LedControl control, const char* name,
                                             const char* bitmap, std::function<void()> onClick) {
  auto* b = Named<QToolButton>(name);
  b->setAutoRaise(true);
  // Taking the focus on a click lets a pulse field being edited lose it,
  // and so be corrected, before the button acts.
  b->setFocusPolicy(Qt::ClickFocus);
  SetUpImageButton(b, bitmaps_, bitmap);
  connect(b, &QToolButton::clicked, this, std::move(onClick));
  controls_[control] = b;
  return b;
}

QPushButton* LedPanelWidget::Button(const char* name, const char* caption,
                                    std::function<void()> onClick) {
  auto* b = Named<QPushButton>(name, caption);
  connect(b, &QPushButton::clicked, this, std::move(onClick));
  return b;
}

QGroupBox* LedPanelWidget::BuildDriverFrame() {
  auto* frame = Named<QGroupBox>("labelLED1", "Driver configuration");
  auto* grid = new QGridLayout(frame);
  grid->addWidget(new QLabel("LED Type"), 0, 0);
  ledCombo_ = Named<QComboBox>("LEDcombo");
  ledCombo_->setMinimumContentsLength(24);
  connect(ledCombo_, &QComboBox::activated, this,
          [this](int index) { logic_.SelectType(ledCombo_->itemText(index).toStdString()); });
  grid->addWidget(ledCombo_, 0, 1);

  grid->addWidget(new QLabel("Output Channels"), 1, 0);
  auto* channels = new QHBoxLayout;
  for (int i = 1; i <= 4; ++i) {
    channelLabels_[i - 1] = ChannelLabel(ArrayName("labelLED", i), QString("LED %1").arg(i));
    SetTextColor(channelLabels_[i - 1], 0);
    channels->addWidget(channelLabels_[i - 1]);
  }
  channels->addStretch(1);
  grid->addLayout(channels, 1, 1);

  grid->addWidget(new QLabel("Overdrive:"), 2, 0);
  auto* row = new QHBoxLayout;
  overdrive_ = Named<QSlider>("OverdriveSlider", Qt::Horizontal);
  overdrive_->setRange(led::kOverdriveMin, led::kOverdriveDesignMax);
  overdrive_->setValue(led::kOverdriveDesignValue);
  overdrive_->setTickInterval(5);
  overdrive_->setTickPosition(QSlider::TicksBelow);
  connect(overdrive_, &QSlider::valueChanged, this,
          [this](int value) { logic_.SetOverdrive(value); });
  row->addWidget(overdrive_, 1);
  overdriveLabel_ = Named<QLabel>("OverdriveLabel", "100%");
  overdriveLabel_->setMinimumWidth(48);
  row->addWidget(overdriveLabel_);
  grid->addLayout(row, 2, 1);

  auto* update = ImageButton(led::LedControl::btnUpdateLED, "btnUpdateLED", "UpdLED.bmp",
                             [this] { logic_.UpdateDriver(); });
  grid->addWidget(update, 0, 2, 3, 1, Qt::AlignCenter);
  grid->setColumnStretch(1, 1);
  return frame;
}

QLineEdit* LedPanelWidget::Field(led::PulseField field) {
  static const std::map<led::PulseField, const char*> names = {
      {led::PulseField::IdleTON, "IdleTON"},     {led::PulseField::IdleTOFF, "IdleTOFF"},
      {led::PulseField::IdleTRISE, "IdleTRISE"}, {led::PulseField::IdleTFALL, "IdleTFALL"},
      {led::PulseField::FocTON, "FocTON"},       {led::PulseField::FocTOFF, "FocTOFF"},
      {led::PulseField::focNREP, "focNREP"}};
  auto* edit = Named<QLineEdit>(names.at(field), led::kFieldDesignText);
  edit->setMaximumWidth(72);
  edit->setAlignment(Qt::AlignRight);
  edit->installEventFilter(this);
  fields_[field] = edit;
  // The graph follows the text as it is typed, read as a send would read it.
  const bool idle = field == led::PulseField::IdleTON || field == led::PulseField::IdleTOFF ||
                    field == led::PulseField::IdleTRISE || field == led::PulseField::IdleTFALL;
  connect(edit, &QLineEdit::textChanged, this, [this, idle] {
    if (idle && idleChart_) DrawIdlePulse();
    if (!idle && focChart_) DrawFocPulse();
  });
  // What a correction said holds until the user types again.
  connect(edit, &QLineEdit::textEdited, this, [edit] {
    edit->setToolTip("");
    edit->setProperty("corrected", false);
  });
  return edit;
}

// The fields with their captions and units, the "Set" buttons below them
// and the send button in the bottom right corner.
QGroupBox* LedPanelWidget::BuildPulseFrame(const PulseFrame& pulse) {
  auto* frame = Named<QGroupBox>(pulse.name, pulse.title);
  controls_[pulse.frame] = frame;
  auto* grid = new QGridLayout(frame);
  int row = 0;
  for (const auto& f : pulse.fields) {
    grid->addWidget(new QLabel(f.caption), row, 0);
    grid->addWidget(Field(f.field), row, 1);
    grid->addWidget(new QLabel(f.unit), row++, 2);
  }
  for (const auto& b : pulse.setButtons) {
    grid->addWidget(new QLabel(b.caption), row, 0);
    grid->addWidget(Button(b.name, "Set", b.click), row, 1);
    auto* swatch = new widgets::ColorSwatch(b.swatch);
    swatches_[b.swatch] = swatch;
    grid->addWidget(swatch, row++, 2);
  }
  // The right-hand column: the idle pulse's live preview on top, the send
  // button at the bottom.
  auto* side = new QVBoxLayout;
  if (pulse.frame == led::LedControl::FrameIdle) {
    idlePreview_ = new widgets::PulsePreview(
        "IdlePreview", [this](double ms) { return ToQColor(logic_.IdleColorAt(ms)); },
        [this] { return logic_.IdleTimes().CycleMs() > 0; });
    idlePreview_->setMinimumSize(64, 40);
    auto* caption = new QLabel("Preview");
    side->addWidget(caption, 0, Qt::AlignRight);
    side->addWidget(idlePreview_, 0, Qt::AlignRight);
  }
  side->addStretch(1);
  side->addWidget(ImageButton(pulse.sendControl, pulse.sendName, "apply.bmp", pulse.send), 0,
                  Qt::AlignRight);
  grid->addLayout(side, 0, 3, row, 1);
  grid->setColumnStretch(3, 1);
  auto* chart = PulseChart(pulse.chart);
  (pulse.frame == led::LedControl::FrameIdle ? idleChart_ : focChart_) = chart;
  grid->addWidget(chart, row, 0, 1, 4);
  grid->setRowStretch(row, 1);
  return frame;
}

QGroupBox* LedPanelWidget::BuildIdleFrame() {
  using F = led::PulseField;
  return BuildPulseFrame({led::LedControl::FrameIdle,
                          "FrameIdle",
                          "Idle Pulse",
                          {{"On time", F::IdleTON, " [s]"},
                           {"Off time", F::IdleTOFF, " [s]"},
                           {"Rise time", F::IdleTRISE, " [s]"},
                           {"Fall time", F::IdleTFALL, " [s]"}},
                          {{"High level", "btnPulseHigh", "PulseHighSwatch",
                            [this] { logic_.OpenLevelEditor(logic_.IdlePulse, true); }},
                           {"Low level", "btnPulseLow", "PulseLowSwatch",
                            [this] { logic_.OpenLevelEditor(logic_.IdlePulse, false); }}},
                          led::LedControl::btnSendPulse,
                          "btnSendPulse",
                          [this] { logic_.SendIdlePulse(); },
                          "IdlePulseChart"});
}

QGroupBox* LedPanelWidget::BuildFocFrame() {
  using F = led::PulseField;
  return BuildPulseFrame({led::LedControl::FrameFoc,
                          "FrameFoc",
                          "Flash on Clash",
                          {{"On time", F::FocTON, "[s]"},
                           {"Off time", F::FocTOFF, "[s]"},
                           {"Repeat", F::focNREP, "times"}},
                          {{"High level", "btnFocHigh", "FocHighSwatch",
                            [this] { logic_.OpenLevelEditor(logic_.FocPulse, true); }}},
                          led::LedControl::btnSendFoc,
                          "btnSendFoc",
                          [this] { logic_.SendFlashOnClash(); },
                          "FocPulseChart"});
}

QGroupBox* LedPanelWidget::BuildLevelFrame() {
  pickFrame_ = Named<QGroupBox>("PickColor_frame", "LED setting");
  pickFrame_->hide();
  auto* v = new QVBoxLayout(pickFrame_);
  auto* grid = new QGridLayout;
  for (int i = 1; i <= 4; ++i) {
    auto* label = ChannelLabel(ArrayName("LabelLedSet", i), QString("LED%1").arg(i));
    auto* slider = Named<QSlider>(ArrayName("SliderLedSet", i), Qt::Horizontal);
    slider->setRange(0, led::kLevelMax);
    slider->setValue(led::kLevelDesignValue);
    auto* value =
        Named<QLabel>(ArrayName("ValueLedSet", i), QString::number(led::kLevelDesignValue));
    value->setMinimumWidth(32);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(slider, &QSlider::valueChanged, value, [this, value](int level) {
      value->setText(QString::number(level));
      if (mixSwatch_) mixSwatch_->SetColor(ToQColor(logic_.MixColor(LevelsShown())));
    });
    grid->addWidget(label, i - 1, 0);
    grid->addWidget(slider, i - 1, 1);
    grid->addWidget(value, i - 1, 2);
    levelLabels_[i - 1] = label;
    levels_[i - 1] = slider;
    levelValues_[i - 1] = value;
  }
  // The blade colour of the sliders' levels, as they move.
  auto* mix = new QVBoxLayout;
  mix->addWidget(new QLabel("Blade colour"), 0, Qt::AlignHCenter);
  mixSwatch_ = new widgets::ColorSwatch("LevelMixSwatch");
  mixSwatch_->setMinimumSize(64, 40);
  mix->addWidget(mixSwatch_, 0, Qt::AlignHCenter);
  mix->addStretch(1);
  grid->addLayout(mix, 0, 3, 4, 1);
  grid->setColumnStretch(1, 1);
  v->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  auto* pick =
      Button("PickColor", "Pick color", [this] { logic_.PickColor(ColorFidelityChecked()); });
  controls_[led::LedControl::PickColor] = pick;
  buttons->addWidget(pick);
  auto* fidelity = Named<QCheckBox>("ColorFidelity", "Color Fidelity");
  controls_[led::LedControl::ColorFidelity] = fidelity;
  buttons->addWidget(fidelity);
  buttons->addStretch(1);
  buttons->addWidget(
      Button("PickColorApply", "Apply", [this] { logic_.ApplyLevels(LevelsShown()); }));
  buttons->addWidget(Button("PickColorOK", "OK", [this] { logic_.StoreLevels(LevelsShown()); }));
  buttons->addWidget(Button("PickColorCancel", "Cancel", [this] { logic_.CloseLevelEditor(); }));
  v->addLayout(buttons);
  return pickFrame_;
}

void LedPanelWidget::SetEnabled(led::LedControl control, bool enabled) {
  switch (control) {
    case led::LedControl::LoadBtn:
      window_.EnableButton(session::ImageButton::LoadBtn, enabled);
      return;
    case led::LedControl::SaveBtn:
      window_.EnableButton(session::ImageButton::SaveBtn, enabled);
      return;
    case led::LedControl::btnUpdateLED:
    case led::LedControl::btnSendPulse:
    case led::LedControl::btnSendFoc:
      EnableImageButton(static_cast<QAbstractButton*>(controls_.at(control)), enabled);
      return;
    default:
      controls_.at(control)->setEnabled(enabled);
  }
}

void LedPanelWidget::AddLedType(const std::string& name) {
  ledCombo_->addItem(QString::fromStdString(name));
}

void LedPanelWidget::SetChannelLabelColor(int channel, int32_t color) {
  SetTextColor(channelLabels_.at(channel - 1), color);
}

void LedPanelWidget::SetOverdriveLabel(const std::string& text) {
  overdriveLabel_->setText(QString::fromStdString(text));
}

std::string LedPanelWidget::FieldText(led::PulseField field) const {
  return fields_.at(field)->text().toStdString();
}

void LedPanelWidget::SetFieldText(led::PulseField field, const std::string& text) {
  fields_.at(field)->setText(QString::fromStdString(text));
}

void LedPanelWidget::FieldCorrected(led::PulseField field, const std::string& note) {
  QLineEdit* edit = fields_.at(field);
  // Rich text, so that what was typed shows as typed, markup and all.
  const QString tip = "<qt>" + QString::fromStdString(note).toHtmlEscaped() + "</qt>";
  edit->setToolTip(tip);
  edit->setProperty("corrected", true);
  edit->setStyleSheet("QLineEdit { background-color: #ffd966; }");
  QTimer::singleShot(kCorrectionFlashMs, edit, [edit] { edit->setStyleSheet(""); });
  QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), tip, edit);
}

void LedPanelWidget::ShowLevelChannel(int channel, bool visible) {
  levelLabels_.at(channel - 1)->setVisible(visible);
  levels_.at(channel - 1)->setVisible(visible);
  levelValues_.at(channel - 1)->setVisible(visible);
}

void LedPanelWidget::SetLevelLabelColor(int channel, int32_t color) {
  SetTextColor(levelLabels_.at(channel - 1), color);
}

void LedPanelWidget::DrawIdlePulse() {
  Draw(idleChart_, logic_.IdleGraph());
  // The preview plays the changed pulse from its start.
  if (idlePreview_) idlePreview_->Restart();
}

void LedPanelWidget::DrawFocPulse() {
  Draw(focChart_, logic_.FocGraph());
}

void LedPanelWidget::ShowLevelColors() {
  swatches_.at("PulseHighSwatch")->SetColor(ToQColor(logic_.LevelColor(logic_.IdlePulse, true)));
  swatches_.at("PulseLowSwatch")->SetColor(ToQColor(logic_.LevelColor(logic_.IdlePulse, false)));
  swatches_.at("FocHighSwatch")->SetColor(ToQColor(logic_.LevelColor(logic_.FocPulse, true)));
  mixSwatch_->SetColor(ToQColor(logic_.MixColor(LevelsShown())));
}

void LedPanelWidget::PulsesChanged() {
  ShowLevelColors();
  DrawIdlePulse();
  DrawFocPulse();
}

bool LedPanelWidget::ColorFidelityChecked() const {
  return static_cast<QCheckBox*>(controls_.at(led::LedControl::ColorFidelity))->isChecked();
}

bool LedPanelWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  for (const auto& [field, edit] : fields_)
    if (edit == watched) logic_.CorrectField(field);
  return false;
}

}  // namespace app
