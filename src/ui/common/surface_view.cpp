#include "ui/common/surface_view.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace curvalis {

SurfaceView::SurfaceView(int widthPx, int heightPx, Rgb background, QWidget* parent)
    : QWidget(parent),
      m_sink(widthPx, heightPx, 1, background),
      m_operations(widthPx, heightPx, background) {
  setFixedSize(widthPx, heightPx);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_sink.setChanged([this] { update(); });
}

void SurfaceView::attach(Surface& surface) {
  surface.AddSink(&m_sink);
  surface.AddSink(&m_operations);
}

bool SurfaceView::event(QEvent* event) {
  // The picture is kept at the screen's resolution, painted again from the list.
  if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show) {
    qreal ratio = devicePixelRatioF();
    if (ratio != m_sink.image().devicePixelRatio())
      m_sink.setDevicePixelRatio(ratio, &m_operations);
  }
  return QWidget::event(event);
}

void SurfaceView::setPictureShift(QPointF shift) {
  if (shift == m_shift) return;
  m_shift = shift;
  update();
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!m_shift.isNull()) {
    const Rgb back = m_sink.background();
    p.fillRect(rect(), QColor(back.r, back.g, back.b));
  }
  p.drawImage(QRectF(m_shift, QSizeF(width(), height())), m_sink.image());
}

void SurfaceView::wheelEvent(QWheelEvent* event) {
  int dy = event->angleDelta().y();
  if (dy != 0) emit wheelZoom(dy > 0);
  event->accept();
}

void SurfaceView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  event->accept();
}

}  // namespace curvalis
