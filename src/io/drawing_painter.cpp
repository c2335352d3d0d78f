#include "io/drawing_painter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QTextLayout>
#include <cmath>

namespace curvalis {
namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// A painter that paints a whole list keeps its state from one operation to the next: a hint
// or a font already as wanted is left alone. Setting the font again costs a font lookup at
// the next text.
void SetHint(QPainter& p, QPainter::RenderHint hint, bool on) {
  if (p.testRenderHint(hint) != on) p.setRenderHint(hint, on);
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
  b = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);  // from `a` as it was
  a = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
  return true;
}

// Texts whose glyphs are kept shaped: left to right, without control characters (Latin,
// Greek, Cyrillic, punctuation, arrows and mathematical signs). Anything else is shaped anew.
bool KeepsShape(const QString& text) {
  for (QChar c : text) {
    const char16_t u = c.unicode();
    const bool plain = (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x0590) ||
                       (u >= 0x2000 && u < 0x2C00 && u != 0x200E && u != 0x200F &&
                        !(u >= 0x202A && u <= 0x202E) && !(u >= 0x2066 && u <= 0x2069));
    if (!plain) return false;
  }
  return true;
}

// Paints every operation a list replays onto one painter.
class PainterSink : public SurfaceSink {
 public:
  PainterSink(QPainter& painter, int widthPx, int heightPx)
      : m_painter(painter), m_drawing(widthPx, heightPx) {}
  void OnBackground(Rgb color) override {
    m_background = color;
    m_drawing.Erase(m_painter, color);
  }
  void OnClear() override { m_drawing.Erase(m_painter, m_background); }
  void OnScale(const Scale& scale) override { m_drawing.setScale(scale); }
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override {
    m_drawing.Line(m_painter, x1, y1, x2, y2, color, width);
  }
  void OnPoint(float x, float y, Rgb color, int width) override {
    m_drawing.Point(m_painter, x, y, color, width);
  }
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string&) override {
    m_drawing.Print(m_painter, x, y, color, runs);
  }

 private:
  QPainter& m_painter;
  DrawingPainter m_drawing;
  Rgb m_background;
};

}  // namespace

QFont DrawingPainter::CanvasFont() {
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(10);
  return font;
}

DrawingPainter::DrawingPainter(int widthPx, int heightPx)
    : m_width(widthPx),
      m_height(heightPx),
      m_font(CanvasFont()),
      m_columnWidth(QFontMetricsF(m_font).averageCharWidth()),
      m_ascent(QFontMetricsF(m_font).ascent()) {}

QPointF DrawingPainter::toPixel(double x, double y) const {
  double px = (x - m_scale.left) / (double(m_scale.right) - m_scale.left) * m_width;
  double py = (y - m_scale.top) / (double(m_scale.bottom) - m_scale.top) * m_height;
  return QPointF(px, py);
}

void DrawingPainter::Erase(QPainter& p, Rgb color) const {
  // One logical pixel more on each side covers a device whose size was rounded up; a page
  // clips it to the drawing.
  p.fillRect(QRectF(0, 0, m_width + 1, m_height + 1), ToQColor(color));
}

bool DrawingPainter::Line(QPainter& p, float x1, float y1, float x2, float y2, Rgb color,
                          int width) const {
  QPointF a = toPixel(x1, y1), b = toPixel(x2, y2);
  // Far coordinates are clipped in double precision before they reach the painter.
  const QRectF bounds(-m_width - 64.0, -m_height - 64.0, 3.0 * m_width + 128, 3.0 * m_height + 128);
  if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
      !std::isfinite(b.y()) || !ClipSegment(a, b, bounds)) {
    return false;
  }
  SetHint(p, QPainter::Antialiasing, false);
  p.setPen(QPen(ToQColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(a, b);
  return true;
}

bool DrawingPainter::Point(QPainter& p, float x, float y, Rgb color, int width) const {
  QPointF a = toPixel(x, y);
  if (!(std::fabs(a.x()) < 1e5 && std::fabs(a.y()) < 1e5)) return false;
  if (width <= 3) {
    // Small dots as squares of `width` pixels. On the screen picture they sit on whole logical
    // pixels, sharp at any device pixel ratio; enlarged (a page, an export) they are centred
    // where they belong, so that a dot on a line does not stick out of it.
    const double half = width / 2.0;
    QRectF square(a.x() - half, a.y() - half, width, width);
    if (p.worldTransform().type() <= QTransform::TxTranslate) {
      square.moveTopLeft(QPointF(std::floor(a.x() - half + 0.5), std::floor(a.y() - half + 0.5)));
    }
    SetHint(p, QPainter::Antialiasing, false);
    p.fillRect(square, ToQColor(color));
  } else {
    SetHint(p, QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawEllipse(a, width / 2.0, width / 2.0);
    p.setBrush(Qt::NoBrush);
  }
  return true;
}

bool DrawingPainter::Print(QPainter& p, float x, float y, Rgb color,
                           const std::vector<PrintRun>& runs) const {
  QPointF a = toPixel(x, y);
  if (!(std::fabs(a.x()) < 1e5 && std::fabs(a.y()) < 1e5)) return false;
  SetHint(p, QPainter::Antialiasing, false);
  SetHint(p, QPainter::TextAntialiasing, true);
  if (p.font() != m_font) p.setFont(m_font);
  p.setPen(ToQColor(color));
  // Kept glyphs paint the pixels of drawText only on an image painted without a transform:
  // under a scale or a translation the raster engine places them differently, and other
  // devices (a PDF, an SVG) keep texts as texts.
  const bool kept = m_shapesKept && p.paintEngine() &&
                    p.paintEngine()->type() == QPaintEngine::Raster &&
                    p.deviceTransform().type() == QTransform::TxNone;
  for (const PrintRun& run : runs) {
    QPointF at(a.x() + (run.column - 1) * m_columnWidth, a.y() + m_ascent);
    const QList<QGlyphRun>* glyphs = kept ? shaped(run.text) : nullptr;
    if (glyphs) {
      for (const QGlyphRun& glyphRun : *glyphs) p.drawGlyphRun(at, glyphRun);
    } else {
      p.drawText(at, QString::fromUtf8(run.text));
    }
  }
  return true;
}

const QList<QGlyphRun>* DrawingPainter::shaped(const std::string& text) const {
  auto found = m_shaped.find(text);
  if (found == m_shaped.end()) {
    // A bound on what a long session keeps: the texts of a few screens.
    if (m_shaped.size() >= 1024) m_shaped.clear();
    m_shaped.emplace(text, Shaped{});
    return nullptr;
  }
  Shaped& shaped = found->second;
  if (!shaped.kept) {
    shaped.kept = true;
    const QString string = QString::fromUtf8(text);
    if (!string.isEmpty() && KeepsShape(string)) {
      QTextLayout layout(string, m_font);
      layout.beginLayout();
      const QTextLine line = layout.createLine();
      layout.endLayout();
      // The layout puts the baseline at the line's ascent: moved to 0, so that each glyph
      // lands at the same fixed-point position as drawText's from the same start.
      shaped.glyphs = layout.glyphRuns();
      for (QGlyphRun& glyphRun : shaped.glyphs) {
        QList<QPointF> positions = glyphRun.positions();
        for (QPointF& position : positions) position.ry() -= line.ascent();
        glyphRun.setPositions(positions);
      }
    }
  }
  return shaped.glyphs.isEmpty() ? nullptr : &shaped.glyphs;
}

void PaintOperations(QPainter& p, const OperationList& list) {
  p.save();
  p.setClipRect(QRectF(0, 0, list.widthPx(), list.heightPx()), Qt::IntersectClip);
  PainterSink sink(p, list.widthPx(), list.heightPx());
  list.Replay(sink);
  p.restore();
}

QImage RenderOperations(const OperationList& list, int scale) {
  QImage image(list.widthPx() * scale, list.heightPx() * scale, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.scale(scale, scale);
  PaintOperations(p, list);
  return image;
}

void PaintFitted(QPainter& p, const QRectF& area, const OperationList& list,
                 const std::vector<DrawingLabel>& labels) {
  const QSizeF drawing(list.widthPx(), list.heightPx());
  QRectF target(QPointF(0, 0), drawing.scaled(area.size(), Qt::KeepAspectRatio));
  target.moveCenter(area.center());
  p.save();
  p.translate(target.topLeft());
  p.scale(target.width() / drawing.width(), target.height() / drawing.height());
  p.setClipRect(QRectF(QPointF(0, 0), drawing), Qt::IntersectClip);
  PaintOperations(p, list);
  for (const DrawingLabel& label : labels) {
    if (label.background.isValid()) p.fillRect(label.rect, label.background);
    p.setFont(label.font);
    p.setPen(label.color);
    p.drawText(label.rect, Qt::AlignLeft | Qt::AlignTop, label.text);
  }
  p.restore();
}

}  // namespace curvalis
