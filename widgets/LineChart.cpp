#include "widgets/LineChart.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

namespace widgets {

LineChart::LineChart(const QString& name, const QString& xTitle, const QString& yTitle, bool dark,
                     QWidget* parent)
    : QChartView(new QChart, parent), xAxis_(new QValueAxis), yAxis_(new QValueAxis) {
  setObjectName(name);
  QChart* chart = this->chart();  // the view owns it
  chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
  chart->setMargins(QMargins(2, 2, 2, 2));
  chart->legend()->setAlignment(Qt::AlignBottom);
  xAxis_->setTitleText(xTitle);
  yAxis_->setTitleText(yTitle);
  for (QValueAxis* axis : {xAxis_, yAxis_}) {
    axis->setLabelFormat("%g");
    QFont small = axis->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    axis->setLabelsFont(small);
    axis->setTitleFont(small);
  }
  chart->addAxis(xAxis_, Qt::AlignBottom);
  chart->addAxis(yAxis_, Qt::AlignLeft);
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(280, 150);
}

void LineChart::SetLines(const std::vector<ChartLine>& lines) {
  QChart* c = chart();
  while (series_.size() > lines.size()) {
    c->removeSeries(series_.back());
    delete series_.back();
    series_.pop_back();
  }
  while (series_.size() < lines.size()) {
    auto* s = new QLineSeries;
    c->addSeries(s);
    s->attachAxis(xAxis_);
    s->attachAxis(yAxis_);
    series_.push_back(s);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    QLineSeries* s = series_[i];
    if (s->name() != lines[i].name) s->setName(lines[i].name);
    QPen pen(lines[i].color, 2, lines[i].style);
    if (s->pen() != pen) s->setPen(pen);
    s->replace(lines[i].points);
  }
}

void LineChart::SetXRange(double min, double max, bool nice) {
  xAxis_->setTickCount(5);
  xAxis_->setRange(min, max);
  if (nice) xAxis_->applyNiceNumbers();
}

void LineChart::SetYRange(double min, double max, int ticks) {
  yAxis_->setTickCount(ticks);
  yAxis_->setRange(min, max);
}

}  // namespace widgets
