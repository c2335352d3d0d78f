#include "ui/common/surface_view.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "io/drawing_painter.h"

namespace curvalis {

QImage PaintScaled(const OperationList& list, qreal scale, qreal ratio) {
  const qreal pixels = scale * ratio;
  QImage image(std::max(1, int(std::lround(list.widthPx() * pixels))),
               std::max(1, int(std::lround(list.heightPx() * pixels))), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  const Rgb back = list.background();
  image.fill(QColor(back.r, back.g, back.b));
  QPainter p(&image);
  p.scale(scale, scale);
  PaintOperations(p, list);
  return image;
}

SurfaceView::SurfaceView(int widthPx, int heightPx, Rgb background, QWidget* parent)
    : QWidget(parent),
      m_sink(widthPx, heightPx, 1, background),
      m_operations(widthPx, heightPx, background) {
  setFixedSize(widthPx, heightPx);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_sink.setChanged([this] {
    m_enlargedStale = true;
    update();
  });
}

void SurfaceView::attach(Surface& surface) {
  surface.AddSink(&m_sink);
  surface.AddSink(&m_operations);
}

void SurfaceView::setScalable() {
  m_scalable = true;
  setMinimumSize(logicalSize());
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  place();
}

QRectF SurfaceView::drawingRect() const {
  return QRectF(m_origin, QSizeF(logicalSize()) * m_scale);
}

QPointF SurfaceView::toLogical(QPointF widgetPos) const {
  return (widgetPos - m_origin) / m_scale;
}

QPointF SurfaceView::toWidget(QPointF logical) const {
  return logical * m_scale + m_origin;
}

void SurfaceView::place() {
  const QSize logical = logicalSize();
  qreal scale = 1;
  QPointF origin;
  if (m_scalable) {
    scale = std::max<qreal>(
        1, std::min(qreal(width()) / logical.width(), qreal(height()) / logical.height()));
    // The margin shared between the two sides, the drawing on whole device pixels so that it
    // is copied to the screen without resampling.
    const qreal ratio = devicePixelRatioF();
    auto snap = [ratio](qreal v) { return std::floor(v * ratio) / ratio; };
    origin = QPointF(snap((width() - logical.width() * scale) / 2),
                     snap((height() - logical.height() * scale) / 2));
  }
  if (scale == m_scale && origin == m_origin) return;
  if (scale != m_scale) m_enlargedStale = true;
  m_scale = scale;
  m_origin = origin;
  emit drawingPlaced();
}

void SurfaceView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();
}

bool SurfaceView::event(QEvent* event) {
  // The picture is kept at the screen's resolution, painted again from the list.
  if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show) {
    qreal ratio = devicePixelRatioF();
    if (ratio != m_sink.devicePixelRatio()) {
      m_sink.setDevicePixelRatio(ratio, &m_operations);
      m_enlargedStale = true;
      place();
    }
  }
  return QWidget::event(event);
}

void SurfaceView::setPictureShift(QPointF shift) {
  if (shift == m_shift) return;
  m_shift = shift;
  update();
}

const QImage& SurfaceView::enlarged() {
  const qreal ratio = devicePixelRatioF();
  if (m_enlargedStale || m_enlarged.devicePixelRatio() != ratio) {
    m_enlarged = PaintScaled(m_operations, m_scale, ratio);
    m_enlargedStale = false;
  }
  return m_enlarged;
}

QImage SurfaceView::shownDrawing() {
  return m_scale == 1 ? m_sink.image() : enlarged();
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Rgb back = m_sink.background();
  const QColor backColor(back.r, back.g, back.b);
  if (m_scale == 1 && m_origin.isNull()) {
    // The drawing's own size: the persistent picture, as it always was shown.
    if (!m_shift.isNull()) p.fillRect(rect(), backColor);
    p.drawImage(QRectF(m_shift, QSizeF(width(), height())), m_sink.image());
    return;
  }
  const QRectF drawing = drawingRect();
  // The margin around the drawing, and under it while it is dragged aside.
  QRegion margin(rect());
  if (m_shift.isNull()) margin -= drawing.toAlignedRect().adjusted(1, 1, -1, -1);
  for (const QRect& r : margin) p.fillRect(r, backColor);
  const QImage& picture = m_scale == 1 ? m_sink.image() : enlarged();
  // During a drag the picture moves inside the drawing's place, on whole device pixels.
  const qreal ratio = devicePixelRatioF();
  const QPointF shift = m_shift * m_scale;
  const QPointF at(std::round((m_origin.x() + shift.x()) * ratio) / ratio,
                   std::round((m_origin.y() + shift.y()) * ratio) / ratio);
  p.setClipRect(drawing);
  p.drawImage(at, picture);
}

void SurfaceView::wheelEvent(QWheelEvent* event) {
  int dy = event->angleDelta().y();
  if (dy != 0) emit wheelZoom(dy > 0);
  event->accept();
}

void SurfaceView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && drawingRect().contains(event->position())) {
    emit clicked();
  }
  event->accept();
}

}  // namespace curvalis
