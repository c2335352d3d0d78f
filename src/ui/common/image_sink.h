// A drawing surface's persistent picture: a QImage kept at the screen's device pixel ratio,
// painted by the surface operations.
#pragma once

#include <QFont>
#include <QImage>
#include <functional>

#include "core/surface.h"

namespace curvalis {

class ImageSink : public SurfaceSink {
 public:
  ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background);

  const QImage& image() const { return m_image; }
  // The picture at logical size, as saved and printed.
  QImage logicalImage() const;
  QFont font() const { return m_font; }
  qreal columnWidth() const { return m_columnWidth; }
  void setDevicePixelRatio(qreal ratio);
  // Called after every change, so a widget can repaint.
  void setChanged(std::function<void()> changed) { m_changed = std::move(changed); }

  void OnBackground(Rgb color) override;
  void OnClear() override;
  void OnScale(const Scale& scale) override;
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override;
  void OnPoint(float x, float y, Rgb color, int width) override;
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string& flat) override;

  // The canvas font: the listings' columns must fit the window (the "Zeri" column, tab 113
  // and "f(x)=-3.142 ", ends inside 632 pixels) and a text line is at most 13 pixels high.
  static QFont CanvasFont();

 private:
  QPointF toPixel(double x, double y) const;
  void notify();

  int m_width;
  int m_height;
  QImage m_image;
  Scale m_scale;
  Rgb m_background;
  QFont m_font;
  qreal m_columnWidth = 5;
  std::function<void()> m_changed;
};

}  // namespace curvalis
