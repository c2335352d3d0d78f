#include "ui/common/image_sink.h"

#include <QPainter>
#include <cmath>

namespace curvalis {

ImageSink::ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background)
    : m_width(widthPx), m_height(heightPx), m_background(background), m_drawing(widthPx, heightPx) {
  setDevicePixelRatio(devicePixelRatio);
}

void ImageSink::setDevicePixelRatio(qreal ratio, const OperationList* operations) {
  if (ratio <= 0) ratio = 1;
  QImage old = m_image;
  m_blank = false;
  m_image = QImage(QSize(int(std::ceil(m_width * ratio)), int(std::ceil(m_height * ratio))),
                   QImage::Format_RGB32);
  m_image.setDevicePixelRatio(ratio);
  m_image.fill(QColor(m_background.r, m_background.g, m_background.b));
  QPainter p(&m_image);
  if (operations) {
    PaintOperations(p, *operations);
  } else if (!old.isNull()) {  // what was drawn stays, resampled
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

void ImageSink::erase(Rgb color) {
  if (!m_blank || !(m_blankColor == color)) {
    QPainter p(&m_image);
    m_drawing.Erase(p, color);
  }
  m_blank = true;
  m_blankColor = color;
}

void ImageSink::OnBackground(Rgb color) {
  m_background = color;
  erase(color);
  notify();
}

void ImageSink::OnClear() {
  erase(m_background);
  notify();
}

void ImageSink::OnScale(const Scale& scale) {
  m_drawing.setScale(scale);
}

void ImageSink::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  QPainter p(&m_image);
  const bool painted = m_drawing.Line(p, x1, y1, x2, y2, color, width);
  p.end();
  m_blank = m_blank && !painted;
  if (painted) notify();
}

void ImageSink::OnPoint(float x, float y, Rgb color, int width) {
  QPainter p(&m_image);
  const bool painted = m_drawing.Point(p, x, y, color, width);
  p.end();
  m_blank = m_blank && !painted;
  if (painted) notify();
}

void ImageSink::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
                        const std::string&) {
  QPainter p(&m_image);
  const bool painted = m_drawing.Print(p, x, y, color, runs);
  p.end();
  m_blank = m_blank && !painted;
  if (painted) notify();
}

}  // namespace curvalis
