#pragma once
// A chart of a few lines against time, on Qt Charts: the LED pulse graphs
// and the live motion sensor plot. Qt Charts gives the axes with their
// scales and titles, the legend and anti-aliased lines that these pictures
// need, which a painted widget would have to redo. (A waveform, thousands
// of columns with nothing to label, is better painted.)

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <vector>

class QLineSeries;
class QValueAxis;

namespace widgets {

struct ChartLine {
  QString name;  // in the legend
  QColor color;
  QList<QPointF> points;
  Qt::PenStyle style = Qt::SolidLine;
};

class LineChart : public QChartView {
 public:
  // dark: a dark ground, for lines in the LEDs' own colours (white and
  // amber among them).
  LineChart(const QString& name, const QString& xTitle, const QString& yTitle, bool dark,
            QWidget* parent = nullptr);

  // Replaces the lines; lines that stay keep their series, so redrawing at
  // a steady rate costs no new objects.
  void SetLines(const std::vector<ChartLine>& lines);
  // The time axis; nice: widened to round numbers for its scale.
  void SetXRange(double min, double max, bool nice);
  void SetYRange(double min, double max, int ticks);
  // The series as drawn, in SetLines order.
  const std::vector<QLineSeries*>& Series() const { return series_; }

 private:
  QValueAxis* xAxis_;
  QValueAxis* yAxis_;
  std::vector<QLineSeries*> series_;
};

}  // namespace widgets
