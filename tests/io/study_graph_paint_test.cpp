// The study's graph painted: a removable discontinuity is an empty circle, every other point a
// filled mark, both where the layout puts them.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "io/study/study_output.h"

namespace curvalis {
namespace {

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "study_graph_paint_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

study::Number N(double v) {
  return study::Number{"", "", v, true};
}

TEST(StudyGraphPaint, HoleIsAnEmptyCircle) {
  App();
  study::Sheet s;
  s.tableReady = true;
  s.view = {-5, 5, -5, 5};
  s.points = {{{N(1), N(1)}, study::PointKind::Hole, "(1; 1)"},
              {{N(-2), N(-2)}, study::PointKind::Maximum, "(−2; −2)"}};
  QImage image(600, 600, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    PaintStudyGraph(p, QRectF(0, 0, 600, 600), s);
  }
  auto at = [&](double x, double y) {
    return image.pixelColor(int((x + 5) / 10 * 600), int((5 - y) / 10 * 600));
  };
  auto green = [](const QColor& c) { return c.green() > 80 && c.red() < 60 && c.blue() < 60; };
  EXPECT_TRUE(green(at(-2, -2))) << "a filled mark";
  EXPECT_FALSE(green(at(1, 1))) << "the hole is empty inside";
  EXPECT_GT(at(1, 1).lightness(), 200);
  // Its ring: green pixels around the centre.
  int ring = 0;
  for (int dx = -6; dx <= 6; ++dx) {
    for (int dy = -6; dy <= 6; ++dy) {
      if (green(image.pixelColor(360 + dx, 240 + dy))) ++ring;
    }
  }
  EXPECT_GT(ring, 8);
}

}  // namespace
}  // namespace curvalis
