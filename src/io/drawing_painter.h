// Painting a surface's operations with QPainter: the one routine behind the picture on the
// screen, the printed page, the exported files and the clipboard, so that they cannot drift
// apart. Everything is painted in the surface's logical pixels; the painter's transform maps
// them onto its device (a screen image at its pixel ratio, a larger image, a PDF page, an SVG).
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/operation_list.h"
#include "core/surface.h"

namespace curvalis {

class DrawingPainter {
 public:
  DrawingPainter(int widthPx, int heightPx);

  const QFont& font() const { return m_font; }
  // The width of one text column: the canvas font's average character width.
  qreal columnWidth() const { return m_columnWidth; }
  void setScale(const Scale& scale) { m_scale = scale; }
  // Keeps the glyphs of texts printed again and again (see m_shaped): for a picture painted
  // operation by operation over a long time, as the screen's is.
  void setShapesKept(bool kept) { m_shapesKept = kept; }

  // The operations, each painted on `p` with its own pen and hints, so that one painter can
  // take a whole list and a fresh painter a single operation with the same result. A false
  // result: nothing was painted (the coordinates are far outside the drawing).
  void Erase(QPainter& p, Rgb color) const;
  bool Line(QPainter& p, float x1, float y1, float x2, float y2, Rgb color, int width) const;
  bool Point(QPainter& p, float x, float y, Rgb color, int width) const;
  bool Print(QPainter& p, float x, float y, Rgb color, const std::vector<PrintRun>& runs) const;

  // The canvas font: the listings' columns must fit the window (the "Zeri" column, tab 113
  // and "f(x)=-3.142 ", ends inside 632 pixels) and a text line is at most 13 pixels high.
  static QFont CanvasFont();

 private:
  QPointF toPixel(double x, double y) const;
  // The glyphs of `text` as QPainter::drawText shapes them, placed from the start of its
  // baseline; null when the text is left to drawText (see Print).
  const QList<QGlyphRun>* shaped(const std::string& text) const;

  int m_width;
  int m_height;
  Scale m_scale;
  QFont m_font;
  qreal m_columnWidth;
  qreal m_ascent;
  // The listings and the axes print the same few texts at every redraw: shaping them is most
  // of the cost of painting a text, so the glyphs of a text seen twice are kept. A text seen
  // once is left to drawText, cheaper than shaping it to keep; so is every text of a list
  // painted once (an export), where few texts come back often enough to pay for keeping.
  struct Shaped {
    bool kept = false;
    QList<QGlyphRun> glyphs;
  };
  bool m_shapesKept = false;
  mutable std::unordered_map<std::string, Shaped> m_shaped;
};

// Paints the whole list on `p`, in logical pixels, clipped to the drawing.
void PaintOperations(QPainter& p, const OperationList& list);

// The list as an image `scale` times the surface's size, at device pixel ratio 1.
QImage RenderOperations(const OperationList& list, int scale);

// A text control over the drawing, painted on a page at its place: an axis name of the window.
struct DrawingLabel {
  QRectF rect;   // in the drawing's logical pixels
  QString text;  // drawn from the upper-left corner
  QFont font;
  QColor color;
  QColor background;  // the label's own background; invalid: none
};

// The drawing with its labels, as large as fits `area` of `p`'s device with its proportions
// kept, centred.
void PaintFitted(QPainter& p, const QRectF& area, const OperationList& list,
                 const std::vector<DrawingLabel>& labels);

}  // namespace curvalis
