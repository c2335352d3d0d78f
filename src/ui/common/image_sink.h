// A drawing surface's persistent picture: a QImage kept at the screen's device pixel ratio,
// painted operation by operation through the same routine that paints the printed page and
// the exported files.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <functional>

#include "core/operation_list.h"
#include "core/surface.h"
#include "io/drawing_painter.h"

namespace curvalis {

class ImageSink : public SurfaceSink {
 public:
  ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background);
  ~ImageSink() override;
  ImageSink(const ImageSink&) = delete;
  ImageSink& operator=(const ImageSink&) = delete;

  // The picture as painted so far, by value. The painter kept open on the picture is closed
  // first, so the copy shares the pixels instead of taking a copy of them (as Qt does for an
  // image copied while it is painted on); the next operation's painter detaches the picture,
  // so the copy never sees what is painted after it was taken.
  QImage image() const;
  // The picture at logical size, as "Salva grafico" saves it.
  QImage logicalImage() const;
  qreal devicePixelRatio() const { return m_image.devicePixelRatio(); }
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
  // After a line, point or text: one that painted anything leaves the picture not blank.
  void painted(bool any);
  // The painter on the picture, opened at the first operation after the picture was handed
  // out or replaced, and kept open across operations: opening one per line or text costs more
  // than painting it. Every operation sets the pen and hints it paints with, so the pixels are
  // those of a fresh painter per operation.
  QPainter& painter();
  // Closes the painter, so that the picture can be copied or replaced.
  void finishPainting() const;
  // Erases the picture to `color`, unless it is already all of that colour.
  void erase(Rgb color);

  int m_width;
  int m_height;
  QImage m_image;
  // Declared after m_image: closed before the picture it paints on goes.
  mutable QPainter m_painter;
  Rgb m_background;
  DrawingPainter m_drawing;
  std::function<void()> m_changed;
  // Nothing was painted since the picture was erased to m_blankColor: erasing it to that
  // colour again (a command's background followed by its clear) changes no pixel.
  bool m_blank = false;
  Rgb m_blankColor;
};

}  // namespace curvalis
