#include "ui/common/image_sink.h"

#include <QPainter>
#include <cmath>

namespace curvalis {

ImageSink::ImageSink(int widthPx, int heightPx, qreal devicePixelRatio, Rgb background)
    : m_width(widthPx), m_height(heightPx), m_background(background), m_drawing(widthPx, heightPx) {
  m_drawing.setShapesKept(true);
  setDevicePixelRatio(devicePixelRatio);
}

ImageSink::~ImageSink() {
  finishPainting();
}

QPainter& ImageSink::painter() {
  if (!m_painter.isActive()) m_painter.begin(&m_image);
  return m_painter;
}

void ImageSink::finishPainting() const {
  if (m_painter.isActive()) m_painter.end();
}

QImage ImageSink::image() const {
  finishPainting();
  return m_image;
}

void ImageSink::setDevicePixelRatio(qreal ratio, const OperationList* operations) {
  if (ratio <= 0) ratio = 1;
  finishPainting();
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
  finishPainting();
  if (m_image.devicePixelRatio() == 1) return m_image;
  QImage out = m_image.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  out.setDevicePixelRatio(1);
  return out;
}

void ImageSink::notify() {
  if (m_changed) m_changed();
}

void ImageSink::painted(bool any) {
  if (!any) return;
  m_blank = false;
  notify();
}

void ImageSink::erase(Rgb color) {
  if (!m_blank || !(m_blankColor == color)) {
    QPainter& p = painter();
    // As on a fresh painter: a dot before may have left antialiasing on.
    p.setRenderHint(QPainter::Antialiasing, false);
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
  painted(m_drawing.Line(painter(), x1, y1, x2, y2, color, width));
}

void ImageSink::OnPoint(float x, float y, Rgb color, int width) {
  painted(m_drawing.Point(painter(), x, y, color, width));
}

void ImageSink::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
                        const std::string&) {
  painted(m_drawing.Print(painter(), x, y, color, runs));
}

}  // namespace curvalis
