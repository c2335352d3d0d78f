// A drawing of a window: a widget that shows a surface's persistent picture and repaints from
// it, and tells the wheel and the clicks over it. The main window's canvas and the integral
// window's diagram are both one.
#pragma once

#include <QWidget>

#include "ui/common/image_sink.h"

namespace curvalis {

class SurfaceView : public QWidget {
  Q_OBJECT
 public:
  SurfaceView(int widthPx, int heightPx, Rgb background, QWidget* parent = nullptr);
  ImageSink& sink() { return m_sink; }

 signals:
  // The wheel turned away from the user (`in`) or towards.
  void wheelZoom(bool in);
  // The left button released over the drawing.
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  ImageSink m_sink;
};

}  // namespace curvalis
