// A drawing of a window: a widget that shows a surface's persistent picture and repaints from
// it, keeps the same drawing as a list of operations, and tells the wheel and the clicks over it.
// The main window's canvas and the integral window's diagram are both one.
//
// A drawing made scalable (the main window's) grows with its widget: the picture is painted
// from its list of operations into the largest rectangle of the drawing's proportions that
// fits the widget, centred, the margin in the drawing's background colour, every line and text
// at the screen's resolution. Everything else keeps logical pixels: the surface, the list, the
// persistent picture, the pointer and the drag. At the drawing's own size the widget shows the
// persistent picture itself, pixel for pixel.
#pragma once

#include <QImage>
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

  // Lets the widget grow beyond the drawing's size (never below it); the drawing grows with it.
  void setScalable();
  // The drawing's logical size, 632 x 434 for the main window.
  QSize logicalSize() const { return QSize(m_operations.widthPx(), m_operations.heightPx()); }
  // How many widget pixels one logical pixel of the drawing takes now (1 at its own size).
  qreal drawingScale() const { return m_scale; }
  // Where the drawing lies in the widget: its upper-left corner and its size.
  QRectF drawingRect() const;
  // A widget position as a logical pixel of the drawing, and back.
  QPointF toLogical(QPointF widgetPos) const;
  QPointF toWidget(QPointF logical) const;

  // The drawing as the widget paints it now, without the margin and the controls over it: the
  // persistent picture at the drawing's own size, else the list painted at the drawing's scale
  // and the screen's pixel ratio.
  QImage shownDrawing();

  // The drawing's own size: what a window around it starts with.
  QSize sizeHint() const override { return logicalSize(); }

 signals:
  // The wheel turned away from the user (`in`) or towards.
  void wheelZoom(bool in);
  // The left button released over the drawing.
  void clicked();
  // The drawing's place or scale in the widget changed: the controls over it follow.
  void drawingPlaced();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Scale and origin for the widget's size: the largest fit, centred on whole device pixels.
  void place();
  // The list painted at the current scale, when the drawing or its scale changed since.
  const QImage& enlarged();

  ImageSink m_sink;
  QPointF m_shift;
  OperationList m_operations;
  bool m_scalable = false;
  qreal m_scale = 1;
  QPointF m_origin;
  QImage m_enlarged;  // the list painted at m_scale and the screen's pixel ratio
  bool m_enlargedStale = true;
};

// The operations of `list` painted onto a new image at `scale` times its logical size, at
// device pixel ratio `ratio` (the image has scale x ratio times as many pixels, rounded). At a
// whole `scale` and ratio 1 it is the exported picture at that scale, pixel for pixel.
QImage PaintScaled(const OperationList& list, qreal scale, qreal ratio);

}  // namespace curvalis
