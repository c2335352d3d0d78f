// A drawing surface's persistent picture: a QImage kept at the screen's device pixel ratio,
// painted operation by operation through the same routine that paints the printed page and
// the exported files.
#pragma once

#include <QFont>
#include <QImage>
#include <functional>

#include "core/operation_list.h"
#include "core/surface.h"
#include "io/drawing_painter.h"

namespace curvalis {

class ImageSink : public SurfaceSink {
 public:
  ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background);

  const QImage& image() const { return m_image; }
  // The picture at logical size, as "Salva grafico" saves it.
  QImage logicalImage() const;
  QFont font() const { return m_drawing.font(); }
  Rgb background() const { return m_background; }
  qreal columnWidth() const { return m_drawing.columnWidth(); }
  // A new pixel ratio: the picture is painted again from `operations` when it is given (the
  // same picture, sharp), otherwise the old one is resampled.
  void setDevicePixelRatio(qreal ratio, const OperationList* operations = nullptr);
  // Called after every change, so a widget can repaint.
  void setChanged(std::function<void()> changed) { m_changed = std::move(changed); }

  void OnBackground(Rgb color) override;
  void OnClear() override;
  void OnScale(const Scale& scale) override;
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override;
  void OnPoint(float x, float y, Rgb color, int width) override;
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string& flat) override;

  static QFont CanvasFont() { return DrawingPainter::CanvasFont(); }

 private:
  void notify();
  // Erases the picture to `color`, unless it is already all of that colour.
  void erase(Rgb color);

  int m_width;
  int m_height;
  QImage m_image;
  Rgb m_background;
  DrawingPainter m_drawing;
  std::function<void()> m_changed;
  // Nothing was painted since the picture was erased to m_blankColor: erasing it to that
  // colour again (a command's background followed by its clear) changes no pixel.
  bool m_blank = false;
  Rgb m_blankColor;
};

}  // namespace curvalis
