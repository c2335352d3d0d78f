#include "ui/tools/diagram_view.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace curvalis {

DiagramView::DiagramView(int widthPx, int heightPx, Rgb background, QWidget* parent)
    : QWidget(parent), m_sink(widthPx, heightPx, 1, background) {
  setFixedSize(widthPx, heightPx);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_sink.setChanged([this] { update(); });
}

bool DiagramView::event(QEvent* event) {
  // The picture is kept at the screen's resolution.
  if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show) {
    qreal ratio = devicePixelRatioF();
    if (ratio != m_sink.image().devicePixelRatio()) m_sink.setDevicePixelRatio(ratio);
  }
  return QWidget::event(event);
}

void DiagramView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(QRectF(0, 0, width(), height()), m_sink.image());
}

void DiagramView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  event->accept();
}

DocumentView::DocumentView(QWidget* parent)
    : QWidget(parent), m_picture(QStringLiteral(":/tools/integral_sign.png")) {}

void DocumentView::setDocument(const QString& path) {
  m_document = path;
  setToolTip(QFileInfo::exists(path) ? QFileInfo(path).fileName() : QString());
}

void DocumentView::paintEvent(QPaintEvent*) {
  if (m_picture.isNull()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.drawPixmap(rect(), m_picture);
}

void DocumentView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!m_document.isEmpty() && QFileInfo::exists(m_document)) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_document));
  }
  event->accept();
}

}  // namespace curvalis
