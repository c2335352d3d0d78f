// The mouse over the main drawing: the coordinates under the pointer in a tooltip, and the drag
// that moves the view. It only turns the canvas's events into calls; what the text says and
// how the view moves is the main window's (and its commands'). Positions are the drawing's
// logical pixels at any size of the window: the canvas maps the mouse through its scale.
#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <functional>

namespace curvalis {

class SurfaceView;

class CanvasPointer : public QObject {
  Q_OBJECT
 public:
  // `readout` gives the tooltip's text for the pointer at a logical pixel of the drawing
  // (empty: no tooltip).
  CanvasPointer(SurfaceView* canvas, std::function<QString(QPointF)> readout);

 signals:
  // The left button was released after a drag by `by` logical pixels (rightwards and
  // downwards positive). A click without a drag, and a drag cancelled with Escape, are not
  // told.
  void dragged(QPointF by);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void press(QPointF at);
  void move(QPointF at, QPointF global, Qt::MouseButtons buttons);
  void release(QPointF at);
  // Ends the press: the picture back in place, keyboard and cursor given back.
  void endPress();
  void showReadout(QPointF at, QPointF global);

  SurfaceView* m_canvas;
  std::function<QString(QPointF)> m_readout;
  bool m_pressed = false;
  bool m_dragging = false;
  QPointF m_pressAt;
  QObject* m_escape = nullptr;  // catches Escape while a drag is under way
};

}  // namespace curvalis
