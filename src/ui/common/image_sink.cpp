#include "ui/common/image_sink.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace curvalis {
namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// Liang-Barsky: clips the segment to `r`; false if nothing of it is inside.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  QPointF na(a.x() + t0 * dx, a.y() + t0 * dy), nb(a.x() + t1 * dx, a.y() + t1 * dy);
  a = na;
  b = nb;
  return true;
}

}  // namespace

QFont ImageSink::CanvasFont() {
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(10);
  return font;
}

ImageSink::ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background)
    : m_width(widthPx), m_height(heightPx), m_background(background), m_font(CanvasFont()) {
  setDevicePixelRatio(devicePixelRatio);
  QFontMetricsF fm(m_font);
  m_columnWidth = fm.averageCharWidth();
}

void ImageSink::setDevicePixelRatio(qreal ratio) {
  if (ratio <= 0) ratio = 1;
  QImage old = m_image;
  m_image = QImage(QSize(int(std::ceil(m_width * ratio)), int(std::ceil(m_height * ratio))),
                  QImage::Format_RGB32);
  m_image.setDevicePixelRatio(ratio);
  m_image.fill(ToQColor(m_background));
  if (!old.isNull()) {  // what was drawn stays, resampled; the next command draws it sharp
    QPainter p(&m_image);
    p.drawImage(QRectF(0, 0, m_width, m_height), old);
  }
}

QImage ImageSink::logicalImage() const {
  if (m_image.devicePixelRatio() == 1) return m_image;
  QImage out = m_image.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  out.setDevicePixelRatio(1);
  return out;
}

void ImageSink::notify() {
  if (m_changed) m_changed();
}

QPointF ImageSink::toPixel(double x, double y) const {
  double px = (x - m_scale.left) / (double(m_scale.right) - m_scale.left) * m_width;
  double py = (y - m_scale.top) / (double(m_scale.bottom) - m_scale.top) * m_height;
  return QPointF(px, py);
}

void ImageSink::OnBackground(Rgb color) {
  m_background = color;
  m_image.fill(ToQColor(color));
  notify();
}

void ImageSink::OnClear() {
  m_image.fill(ToQColor(m_background));
  notify();
}

void ImageSink::OnScale(const Scale& scale) {
  m_scale = scale;
}

void ImageSink::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  QPointF a = toPixel(x1, y1), b = toPixel(x2, y2);
  // Far coordinates are clipped in double precision before they reach the painter.
  const QRectF bounds(-m_width - 64.0, -m_height - 64.0, 3.0 * m_width + 128, 3.0 * m_height + 128);
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y()) || !ClipSegment(a, b, bounds)) {
    return;
  }
  QPainter p(&m_image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(ToQColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(a, b);
  notify();
}

void ImageSink::OnPoint(float x, float y, Rgb color, int width) {
  QPointF a = toPixel(x, y);
  if (!(std::fabs(a.x()) < 1e5 && std::fabs(a.y()) < 1e5)) return;
  QPainter p(&m_image);
  if (width <= 3) {
    // Small dots as squares of `width` pixels, sharp at any device pixel ratio.
    double half = width / 2.0;
    p.fillRect(QRectF(std::floor(a.x() - half + 0.5), std::floor(a.y() - half + 0.5), width, width),
               ToQColor(color));
  } else {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawEllipse(a, width / 2.0, width / 2.0);
  }
  notify();
}

void ImageSink::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
                        const std::string&) {
  QPointF a = toPixel(x, y);
  if (!(std::fabs(a.x()) < 1e5 && std::fabs(a.y()) < 1e5)) return;
  QPainter p(&m_image);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(m_font);
  p.setPen(ToQColor(color));
  QFontMetricsF fm(m_font);
  for (const PrintRun& run : runs) {
    QPointF at(a.x() + (run.column - 1) * m_columnWidth, a.y() + fm.ascent());
    p.drawText(at, QString::fromUtf8(run.text.data(), qsizetype(run.text.size())));
  }
  notify();
}

}  // namespace curvalis
