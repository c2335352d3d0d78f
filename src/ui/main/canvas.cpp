#include "ui/main/canvas.h"

#include <QEvent>
#include <QPainter>
#include <QWheelEvent>

namespace curvalis {

Canvas::Canvas(int widthPx, int heightPx, QWidget* parent)
    : QWidget(parent), sink_(widthPx, heightPx, 1, kLightGrey) {
  setFixedSize(widthPx, heightPx);
  setAttribute(Qt::WA_OpaquePaintEvent);
  sink_.setChanged([this] { update(); });
}

bool Canvas::event(QEvent* event) {
  // The picture is kept at the screen's resolution.
  if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show) {
    qreal ratio = devicePixelRatioF();
    if (ratio != sink_.image().devicePixelRatio()) sink_.setDevicePixelRatio(ratio);
  }
  return QWidget::event(event);
}

void Canvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(QRectF(0, 0, width(), height()), sink_.image());
}

void Canvas::wheelEvent(QWheelEvent* event) {
  int dy = event->angleDelta().y();
  if (dy != 0) emit wheelZoom(dy > 0);
  event->accept();
}

}  // namespace curvalis
