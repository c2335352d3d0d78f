// A drawing of a window: a widget that shows a surface's persistent picture and repaints from
// it, keeps the same drawing as a list of operations, and tells the wheel and the clicks over it.
// The main window's canvas and the integral window's diagram are both one.
#pragma once

#include <QWidget>

#include "core/operation_list.h"
#include "ui/common/image_sink.h"

namespace curvalis {

class SurfaceView : public QWidget {
  Q_OBJECT
 public:
  SurfaceView(int widthPx, int heightPx, Rgb background, QWidget* parent = nullptr);
  ImageSink& sink() { return m_sink; }
  // Shows the picture moved by `shift` logical pixels, the uncovered part in the background
  // colour, while a drag of the main drawing is under way; (0, 0) shows it in place.
  void setPictureShift(QPointF shift);
  QPointF pictureShift() const { return m_shift; }
  // The drawing as operations since the last erase: printing and export paint from it.
  OperationList& operations() { return m_operations; }
  const OperationList& operations() const { return m_operations; }
  // Adds the picture and the list to `surface`'s sinks.
  void attach(Surface& surface);

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
  QPointF m_shift;
  OperationList m_operations;
};

}  // namespace curvalis
