// Draws the button and indicator bitmaps and the logo into the application
// folder. Every button is a rounded tile with a white glyph; its "_off" twin
// is the same drawing in greys, the look of a disabled button.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kButton = 48;
const QColor kBackground(239, 239, 239);  // the window's own grey

struct Look {
  QColor top, bottom, glyph, accent;
};
const Look kOn = {QColor(52, 110, 168), QColor(22, 58, 98), Qt::white, QColor(255, 196, 64)};
const Look kOff = {QColor(196, 196, 196), QColor(168, 168, 168), QColor(228, 228, 228),
                   QColor(214, 214, 214)};

using Glyph = std::function<void(QPainter&, const Look&)>;

QPen Stroke(const QColor& c, double width) {
  return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c, double width) {
  p.setPen(Stroke(c, width));
  p.drawLine(from, to);
  const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF n(-d.y(), d.x());
  const double head = width * 2.2;
  QPolygonF tip({to + d * head * 0.6, to - d * head + n * head, to - d * head - n * head});
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(tip);
}

void OpenGlyph(QPainter& p, const Look& l) {
  p.setPen(Stroke(l.glyph, 2.2));
  p.setBrush(Qt::NoBrush);
  QPolygonF back({{11, 33}, {11, 15}, {19, 15}, {22, 18}, {34, 18}, {34, 22}});
  p.drawPolyline(back);
  p.setBrush(l.glyph);
  p.drawPolygon(QPolygonF({{11, 34}, {16, 22}, {38, 22}, {33, 34}}));
  Arrow(p, {29, 30}, {29, 12}, l.accent, 2.4);
}

void SaveGlyph(QPainter& p, const Look& l) {
  p.setPen(Stroke(l.glyph, 2.2));
  p.setBrush(Qt::NoBrush);
  QPainterPath disk;
  disk.moveTo(12, 12);
  disk.lineTo(32, 12);
  disk.lineTo(36, 16);
  disk.lineTo(36, 36);
  disk.lineTo(12, 36);
  disk.closeSubpath();
  p.drawPath(disk);
  p.setBrush(l.glyph);
  p.drawRect(QRectF(17, 12, 12, 8));
  p.setBrush(l.accent);
  p.setPen(Stroke(l.accent, 1));
  p.drawRect(QRectF(16, 25, 16, 9));
}

void SetupGlyph(QPainter& p, const Look& l) {
  p.save();
  p.translate(24, 24);
  p.setPen(Qt::NoPen);
  p.setBrush(l.glyph);
  for (int i = 0; i < 8; ++i) {
    p.drawRoundedRect(QRectF(-3.2, -15, 6.4, 8), 1.5, 1.5);
    p.rotate(45);
  }
  p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
  p.setBrush(l.accent);
  p.drawEllipse(QPointF(0, 0), 4.2, 4.2);
  p.restore();
}

void DownloadGlyph(QPainter& p, const Look& l) {
  // A board with its pins, and an arrow coming down into it.
  p.setPen(Stroke(l.glyph, 2));
  for (int x = 15; x <= 33; x += 6) p.drawLine(QPointF(x, 36), QPointF(x, 39));
  p.setPen(Qt::NoPen);
  p.setBrush(l.glyph);
  p.drawRoundedRect(QRectF(11, 27, 26, 9), 2, 2);
  Arrow(p, {24, 8}, {24, 21}, l.accent, 3);
}

void CircleArrow(QPainter& p, double startDeg, const QColor& c) {
  const QRectF r(12, 12, 24, 24);
  p.setPen(Stroke(c, 2.6));
  p.setBrush(Qt::NoBrush);
  p.drawArc(r, int(startDeg * 16), 140 * 16);
  const double end = (startDeg + 140) * M_PI / 180;
  const QPointF tip(24 + 12 * std::cos(end), 24 - 12 * std::sin(end));
  const QPointF tangent(-std::sin(end), -std::cos(end));
  const QPointF normal(std::cos(end), -std::sin(end));
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(QPolygonF({tip + tangent * 5, tip + normal * 4.5, tip - normal * 4.5}));
}

void UpdateGlyph(QPainter& p, const Look& l) {
  CircleArrow(p, 20, l.glyph);
  CircleArrow(p, 200, l.glyph);
  p.setPen(Qt::NoPen);
  p.setBrush(l.accent);
  p.drawEllipse(QPointF(24, 24), 4, 4);
}

void UpdLedGlyph(QPainter& p, const Look& l) {
  // An LED: dome, rim and two legs, lit in the accent colour.
  p.setPen(Qt::NoPen);
  p.setBrush(l.accent);
  QPainterPath dome;
  dome.moveTo(15, 28);
  dome.lineTo(15, 18);
  dome.arcTo(QRectF(15, 9, 18, 18), 180, -180);
  dome.lineTo(33, 28);
  dome.closeSubpath();
  p.drawPath(dome);
  p.setBrush(l.glyph);
  p.drawRect(QRectF(12, 28, 24, 4));
  p.setPen(Stroke(l.glyph, 2.2));
  p.drawLine(QPointF(19, 32), QPointF(19, 40));
  p.drawLine(QPointF(29, 32), QPointF(29, 37));
}

void ApplyGlyph(QPainter& p, const Look& l) {
  p.setPen(Stroke(l.glyph, 4));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF({{12, 25}, {20, 33}, {36, 15}}));
  p.setPen(Qt::NoPen);
  p.setBrush(l.accent);
  p.drawEllipse(QPointF(35, 35), 3.5, 3.5);
}

QImage Canvas(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(kBackground);
  return img;
}

// A rounded tile with its glyph, in the 48-pixel square of a button.
void Tile(QPainter& p, const Glyph& glyph, const Look& l) {
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 2, 0, kButton - 2);
  g.setColorAt(0, l.top);
  g.setColorAt(1, l.bottom);
  p.setPen(QPen(l.bottom.darker(120), 1));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(2.5, 2.5, kButton - 5, kButton - 5), 8, 8);
  glyph(p, l);
}

QImage Button(const Glyph& glyph, const Look& l) {
  QImage img = Canvas(kButton, kButton);
  QPainter p(&img);
  Tile(p, glyph, l);
  return img;
}

// The desktop's icon for the programs: the download tile on transparency,
// drawn at the size asked for rather than scaled from one picture.
QImage Icon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.scale(double(size) / kButton, double(size) / kButton);
  Tile(p, DownloadGlyph, kOn);
  return img;
}

QImage Indicator(bool on) {
  QImage img = Canvas(22, 22);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient g(QPointF(9, 8), 11);
  g.setColorAt(0, on ? QColor(190, 255, 190) : QColor(200, 120, 120));
  g.setColorAt(0.5, on ? QColor(40, 200, 60) : QColor(150, 30, 30));
  g.setColorAt(1, on ? QColor(10, 110, 30) : QColor(80, 15, 15));
  p.setPen(QPen(QColor(70, 70, 70), 1));
  p.setBrush(g);
  p.drawEllipse(QRectF(2, 2, 18, 18));
  return img;
}

QImage Logo() {
  QImage img = Canvas(180, 56);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // A blade with its glow over a hilt, under the brand word.
  QLinearGradient glow(0, 40, 0, 50);
  glow.setColorAt(0, QColor(120, 190, 255, 0));
  glow.setColorAt(0.5, QColor(70, 150, 255, 200));
  glow.setColorAt(1, QColor(120, 190, 255, 0));
  p.fillRect(QRectF(40, 40, 134, 10), glow);
  p.setPen(Stroke(QColor(235, 245, 255), 3));
  p.drawLine(QPointF(42, 45), QPointF(172, 45));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 66));
  p.drawRoundedRect(QRectF(6, 41, 36, 8), 2, 2);
  p.setBrush(QColor(200, 160, 60));
  p.drawRect(QRectF(14, 41, 4, 8));
  p.drawRect(QRectF(30, 41, 4, 8));
  QFont f("DejaVu Sans", 22, QFont::Bold);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  p.setFont(f);
  p.setPen(QColor(22, 58, 98));
  p.drawText(QRectF(0, 2, 180, 36), Qt::AlignCenter, "TALDRIX");
  return img;
}

bool Save(const QImage& img, const QString& folder, const QString& name) {
  const QString path = folder + "/" + name;
  if (img.save(path, "BMP")) return true;
  std::fprintf(stderr, "make_bitmaps: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc == 3 || argc < 2) {
    std::fprintf(stderr, "usage: make_bitmaps FOLDER [ICONS SIZE...]\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const std::pair<const char*, Glyph> buttons[] = {
      {"open", OpenGlyph},         {"save", SaveGlyph},     {"setup", SetupGlyph},
      {"download", DownloadGlyph}, {"update", UpdateGlyph}, {"UpdLED", UpdLedGlyph},
      {"apply", ApplyGlyph}};
  bool ok = true;
  for (const auto& [name, glyph] : buttons) {
    ok &= Save(Button(glyph, kOn), folder, QString(name) + ".bmp");
    ok &= Save(Button(glyph, kOff), folder, QString(name) + "_off.bmp");
  }
  ok &= Save(Indicator(true), folder, "LS_on.bmp");
  ok &= Save(Indicator(false), folder, "LS_off.bmp");
  ok &= Save(Logo(), folder, "taldrix_small.bmp");
  // The desktop's icon at each size asked for: ICONS/NxN/morvane.png.
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString folder = QString("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    ok &= size > 0 && QDir().mkpath(folder) && Icon(size).save(folder + "/morvane.png", "PNG");
  }
  return ok ? 0 : 1;
}
