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
    : width_(widthPx), height_(heightPx), background_(background), font_(CanvasFont()) {
  setDevicePixelRatio(devicePixelRatio);
  QFontMetricsF fm(font_);
  columnWidth_ = fm.averageCharWidth();
}

void ImageSink::setDevicePixelRatio(qreal ratio) {
  if (ratio <= 0) ratio = 1;
  QImage old = image_;
  image_ = QImage(QSize(int(std::ceil(width_ * ratio)), int(std::ceil(height_ * ratio))),
                  QImage::Format_RGB32);
  image_.setDevicePixelRatio(ratio);
  image_.fill(ToQColor(background_));
  if (!old.isNull()) {  // what was drawn stays, resampled; the next command draws it sharp
    QPainter p(&image_);
    p.drawImage(QRectF(0, 0, width_, height_), old);
  }
}

QImage ImageSink::logicalImage() const {
  if (image_.devicePixelRatio() == 1) return image_;
  QImage out = image_.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  out.setDevicePixelRatio(1);
  return out;
}

void ImageSink::notify() {
  if (changed_) changed_();
}

QPointF ImageSink::toPixel(double x, double y) const {
  double px = (x - scale_.left) / (double(scale_.right) - scale_.left) * width_;
  double py = (y - scale_.top) / (double(scale_.bottom) - scale_.top) * height_;
  return QPointF(px, py);
}

void ImageSink::OnBackground(Rgb color) {
  background_ = color;
  image_.fill(ToQColor(color));
  notify();
}

void ImageSink::OnClear() {
  image_.fill(ToQColor(background_));
  notify();
}

void ImageSink::OnScale(const Scale& scale) {
  scale_ = scale;
}

void ImageSink::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  QPointF a = toPixel(x1, y1), b = toPixel(x2, y2);
  // Far coordinates are clipped in double precision before they reach the painter.
  const QRectF bounds(-width_ - 64.0, -height_ - 64.0, 3.0 * width_ + 128, 3.0 * height_ + 128);
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y()) || !ClipSegment(a, b, bounds)) {
    return;
  }
  QPainter p(&image_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(ToQColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(a, b);
  notify();
}

void ImageSink::OnPoint(float x, float y, Rgb color, int width) {
  QPointF a = toPixel(x, y);
  if (!(std::fabs(a.x()) < 1e5 && std::fabs(a.y()) < 1e5)) return;
  QPainter p(&image_);
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
  QPainter p(&image_);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(font_);
  p.setPen(ToQColor(color));
  QFontMetricsF fm(font_);
  for (const PrintRun& run : runs) {
    QPointF at(a.x() + (run.column - 1) * columnWidth_, a.y() + fm.ascent());
    p.drawText(at, QString::fromUtf8(run.text.data(), qsizetype(run.text.size())));
  }
  notify();
}

}  // namespace curvalis
