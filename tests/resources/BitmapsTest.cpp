// The bitmaps the build draws: all there, and every "_off" twin visibly the
// disabled look of its button (greyer than the enabled one).

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

namespace {

double MeanSaturation(const QImage& img) {
  double sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) sum += QColor(img.pixel(x, y)).hsvSaturationF();
  return sum / (img.width() * img.height());
}

QImage Load(const QString& name) {
  QImage img(QString(APP_FOLDER) + "/" + name);
  EXPECT_FALSE(img.isNull()) << name.toStdString();
  return img;
}

TEST(Bitmaps, EveryOffTwinIsTheGreyedButton) {
  for (const char* name : {"open", "save", "setup", "download", "update", "UpdLED", "apply"}) {
    const QImage on = Load(QString(name) + ".bmp");
    const QImage off = Load(QString(name) + "_off.bmp");
    ASSERT_EQ(on.size(), off.size()) << name;
    EXPECT_GT(MeanSaturation(on), 0.3) << name;
    EXPECT_LT(MeanSaturation(off), 0.05) << name;
  }
}

TEST(Bitmaps, IndicatorAndLogo) {
  const QImage on = Load("LS_on.bmp");
  const QImage off = Load("LS_off.bmp");
  const QColor onCentre(on.pixel(on.width() / 2, on.height() / 2));
  const QColor offCentre(off.pixel(off.width() / 2, off.height() / 2));
  EXPECT_GT(onCentre.green(), onCentre.red());
  EXPECT_GT(offCentre.red(), offCentre.green());
  EXPECT_GE(Load("taldrix_small.bmp").width(), 100);
}

}  // namespace
