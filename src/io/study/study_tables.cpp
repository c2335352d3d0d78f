#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "io/study/sheet_text.h"
#include "io/study/study_output.h"
#include "study/sheet_writers.h"

namespace curvalis {

using namespace sheet_text;
using study::Arrow;
using study::Number;
using study::Sign;
using study::VariationTable;

namespace {

constexpr qreal kTableFont = 14;  // logical pixels
constexpr qreal kPad = 8;
constexpr qreal kGap = 56;  // the least room between two columns, for a sign or an arrow
constexpr const char* kRowNames[] = {"x", "f′(x)", "f″(x)", "f(x)"};

// Where a text of the f row stands: at the top (a maximum, +∞), in the middle, at the bottom.
enum class Level { Top, Middle, Bottom };

// A maximum (up, then down) stands at the top, a minimum at the bottom; a point the trend
// passes through stands in the middle; an end follows its one arrow.
Level LevelOf(const Number& n, Arrow in, Arrow out) {
  if (std::isinf(n.value)) return n.value > 0 ? Level::Top : Level::Bottom;
  const bool rises = in == Arrow::Up, falls = in == Arrow::Down;
  const bool thenRises = out == Arrow::Up, thenFalls = out == Arrow::Down;
  if ((rises && thenRises) || (falls && thenFalls)) return Level::Middle;
  if (rises || thenFalls) return Level::Top;
  if (falls || thenRises) return Level::Bottom;
  return Level::Middle;
}

// One column of the table laid out: its centre, the texts of the f row and their levels.
struct Column {
  qreal centre = 0;
  qreal width = 0;
  bool bar = false;  // "‖": f undefined at this x (a pole, a gap)
  QString value, left, right;
  Level valueLevel = Level::Middle, leftLevel = Level::Middle, rightLevel = Level::Middle;
};

struct TableLayout {
  qreal header = 0;  // the width of the column of row names
  qreal width = 0, rowHeight = 0, fHeight = 0, height = 0;
  std::vector<Column> columns;
};

Arrow ArrowAt(const VariationTable& t, std::ptrdiff_t i) {
  if (i < 0 || i >= std::ptrdiff_t(t.arrows.size())) return Arrow::Flat;
  return t.arrows[size_t(i)];
}

TableLayout LayOutTable(const VariationTable& t) {
  const QFontMetricsF fm(SheetFont(kTableFont));
  TableLayout l;
  l.rowHeight = fm.height() * 1.7;
  l.fHeight = fm.height() * 3.6;
  for (const char* name : kRowNames) {
    l.header = std::max(l.header, fm.horizontalAdvance(QString::fromUtf8(name)) + 2 * kPad);
  }
  const size_t n = t.xs.size();
  l.columns.resize(n);
  qreal x = l.header;
  for (size_t i = 0; i < n; ++i) {
    Column& c = l.columns[i];
    const Arrow in = ArrowAt(t, std::ptrdiff_t(i) - 1), out = ArrowAt(t, std::ptrdiff_t(i));
    qreal width = LabelWidth(Q(t.xs[i].text), false, kTableFont);
    if (i < t.f.size()) {
      const study::TableFCell& cell = t.f[i];
      c.bar = !cell.inDomain && std::isfinite(t.xs[i].value);
      if (cell.value) {
        c.value = Q(cell.value->text);
        c.valueLevel = LevelOf(*cell.value, in, out);
      }
      if (cell.left && !cell.value) {
        c.left = Q(cell.left->text);
        c.leftLevel = LevelOf(*cell.left, in, Arrow::Flat);
      }
      if (cell.right && !cell.value) {
        c.right = Q(cell.right->text);
        c.rightLevel = LevelOf(*cell.right, Arrow::Flat, out);
      }
      width = std::max(width, LabelWidth(c.value, false, kTableFont));
      // A pole: the two limits stand on either side of the double bar.
      const qreal sides = 2 * std::max(LabelWidth(c.left, false, kTableFont),
                                       LabelWidth(c.right, false, kTableFont));
      width = std::max(width, sides + (c.bar ? 12 : 0));
    }
    c.width = width + kPad;
    if (i == 0) x += kPad;
    c.centre = x + c.width / 2;
    x += c.width + (i + 1 < n ? kGap : 0);
  }
  l.width = x + kPad;
  l.height = 3 * l.rowHeight + l.fHeight;
  return l;
}

void Hatch(QPainter& p, const QRectF& r) {
  p.save();
  p.setClipRect(r, Qt::IntersectClip);
  p.setPen(QPen(QColor(140, 140, 140), 0.8));
  for (qreal x = r.left() - r.height(); x < r.right(); x += 7) {
    p.drawLine(QPointF(x, r.bottom()), QPointF(x + r.height(), r.top()));
  }
  p.restore();
}

void DoubleBar(QPainter& p, qreal x, qreal top, qreal bottom) {
  p.drawLine(QPointF(x - 2, top), QPointF(x - 2, bottom));
  p.drawLine(QPointF(x + 2, top), QPointF(x + 2, bottom));
}

// A row of signs: at each column its sign ("0", or "‖" drawn as a double bar; nothing at ±∞)
// and on each interval its sign, hatched where the quantity is undefined.
void PaintSignRow(QPainter& p, const TableLayout& l, const VariationTable& t,
                  const std::vector<Sign>& atPoint, const std::vector<Sign>& onInterval, bool known,
                  qreal top) {
  const qreal bottom = top + l.rowHeight;
  for (size_t i = 0; i + 1 < l.columns.size(); ++i) {
    const QRectF slot(l.columns[i].centre, top, l.columns[i + 1].centre - l.columns[i].centre,
                      l.rowHeight);
    const Sign s = i < onInterval.size() ? onInterval[i] : Sign::Undefined;
    if (known && s == Sign::Undefined) {
      Hatch(p, slot.adjusted(l.columns[i].width / 2, 1, -l.columns[i + 1].width / 2, -1));
      continue;
    }
    p.drawText(slot, Qt::AlignCenter, known ? Q(study::SignText(s)) : QStringLiteral("?"));
  }
  if (!known) return;
  for (size_t i = 0; i < l.columns.size(); ++i) {
    if (!std::isfinite(t.xs[i].value) || i >= atPoint.size()) continue;
    const qreal c = l.columns[i].centre;
    if (atPoint[i] == Sign::Undefined) {
      DoubleBar(p, c, top, bottom);
    } else if (atPoint[i] == Sign::Zero) {
      p.drawText(QRectF(c - 20, top, 40, l.rowHeight), Qt::AlignCenter, QStringLiteral("0"));
    }
  }
}

qreal LevelY(Level level, qreal top, qreal height, qreal line) {
  return level == Level::Top      ? top + line * 0.8
         : level == Level::Bottom ? top + height - line * 0.8
                                  : top + height / 2;
}

void ArrowHead(QPainter& p, QPointF from, QPointF to) {
  const QPointF d = to - from;
  const qreal len = std::hypot(d.x(), d.y());
  if (len < 1) return;
  const QPointF u = d / len, n(-u.y(), u.x());
  QPainterPath head;
  head.moveTo(to);
  head.lineTo(to - u * 8 + n * 3.5);
  head.lineTo(to - u * 8 - n * 3.5);
  head.closeSubpath();
  p.fillPath(head, p.pen().color());
}

// The row of f: the values and limits at their levels, the arrows between them, "‖" at the
// points where f is undefined, hatching where f is undefined on a whole interval.
void PaintFRow(QPainter& p, const TableLayout& l, const VariationTable& t, qreal top) {
  const QFontMetricsF fm(p.font());
  const qreal line = fm.height();
  const qreal bottom = top + l.fHeight;
  struct Anchor {
    qreal x;
    qreal y;
  };
  // Where an arrow leaves column i (its right side) and where one reaches it (its left side).
  std::vector<Anchor> leaving(l.columns.size()), reaching(l.columns.size());
  for (size_t i = 0; i < l.columns.size(); ++i) {
    const Column& c = l.columns[i];
    if (c.bar) DoubleBar(p, c.centre, top, bottom);
    auto text = [&](const QString& s, Level level, Qt::Alignment align, qreal x) {
      const qreal y = LevelY(level, top, l.fHeight, line);
      const qreal w = LabelWidth(s, false, kTableFont);
      const qreal left = align == Qt::AlignRight ? x - w : align == Qt::AlignLeft ? x : x - w / 2;
      DrawLabel(p, QPointF(left, y + fm.ascent() / 2 - fm.descent() / 2), s, false, kTableFont);
      p.setFont(SheetFont(kTableFont));
      return Anchor{left, y};
    };
    const qreal mid = (top + bottom) / 2;
    reaching[i] = leaving[i] = Anchor{c.centre, mid};
    if (!c.value.isEmpty()) {
      const Anchor a = text(c.value, c.valueLevel, Qt::AlignHCenter, c.centre);
      const qreal w = LabelWidth(c.value, false, kTableFont);
      reaching[i] = Anchor{a.x - 3, a.y};
      leaving[i] = Anchor{a.x + w + 3, a.y};
    }
    const qreal side = c.bar ? 6 : 2;
    if (!c.left.isEmpty()) {
      const Anchor a = text(c.left, c.leftLevel, Qt::AlignRight, c.centre - side);
      reaching[i] = Anchor{a.x - 3, a.y};
    }
    if (!c.right.isEmpty()) {
      const Anchor a = text(c.right, c.rightLevel, Qt::AlignLeft, c.centre + side);
      leaving[i] = Anchor{a.x + LabelWidth(c.right, false, kTableFont) + 3, a.y};
    }
  }
  for (size_t i = 0; i + 1 < l.columns.size(); ++i) {
    const Arrow a = ArrowAt(t, std::ptrdiff_t(i));
    const Anchor from = leaving[i], to = reaching[i + 1];
    if (a == Arrow::None) {
      Hatch(p, QRectF(QPointF(l.columns[i].centre + l.columns[i].width / 2, top + 1),
                      QPointF(l.columns[i + 1].centre - l.columns[i + 1].width / 2, bottom - 1)));
      continue;
    }
    // The arrow runs from the level of the left text towards that of the right one, kept a
    // little inside the row.
    const qreal mid = (top + bottom) / 2, high = top + line * 0.8, low = bottom - line * 0.8;
    qreal y1 = mid, y2 = mid;
    if (a == Arrow::Up) {
      y1 = from.y < mid - 1 ? low : from.y;
      y2 = to.y > mid + 1 ? high : to.y;
      if (y2 >= y1) y1 = low, y2 = high;
    } else if (a == Arrow::Down) {
      y1 = from.y > mid + 1 ? high : from.y;
      y2 = to.y < mid - 1 ? low : to.y;
      if (y2 <= y1) y1 = high, y2 = low;
    }
    const QPointF p1(from.x + 2, y1), p2(to.x - 2, y2);
    p.drawLine(p1, p2);
    ArrowHead(p, p1, p2);
  }
}

// A column's x in the top row, centred, its exponents raised ("e^(3/2)" as e with 3/2 up).
void ColumnHeading(QPainter& p, const TableLayout& l, const Column& c, const QString& text) {
  const QFontMetricsF fm(SheetFont(kTableFont));
  const qreal baseline = l.rowHeight / 2 + fm.ascent() / 2 - fm.descent() / 2;
  DrawLabel(p, QPointF(c.centre - LabelWidth(text, false, kTableFont) / 2, baseline), text, false,
            kTableFont);
  p.setFont(SheetFont(kTableFont));
}

}  // namespace

QSizeF VariationTableSize(const VariationTable& table) {
  const TableLayout l = LayOutTable(table);
  return QSizeF(l.width, l.height);
}

// Opens the painter on a table's frame: scaled down to `area` when wider, its font and pen
// set, its outline drawn. The caller restores the painter. Returns the scale.
static qreal BeginTable(QPainter& p, const QRectF& area, const TableLayout& l) {
  const qreal scale = l.width > area.width() ? area.width() / l.width : 1.0;
  p.save();
  p.translate(area.topLeft());
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(SheetFont(kTableFont));
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0, 0, l.width, l.height));
  return scale;
}

qreal PaintVariationTable(QPainter& p, const QRectF& area, const VariationTable& table) {
  const TableLayout l = LayOutTable(table);
  const qreal scale = BeginTable(p, area, l);
  qreal y = 0;
  const qreal heights[] = {l.rowHeight, l.rowHeight, l.rowHeight, l.fHeight};
  for (int r = 0; r < 4; ++r) {
    p.drawText(QRectF(0, y, l.header, heights[r]), Qt::AlignCenter,
               QString::fromUtf8(kRowNames[r]));
    if (r > 0) p.drawLine(QPointF(0, y), QPointF(l.width, y));
    y += heights[r];
  }
  p.drawLine(QPointF(l.header, 0), QPointF(l.header, l.height));
  for (size_t i = 0; i < l.columns.size(); ++i)
    ColumnHeading(p, l, l.columns[i], Q(table.xs[i].text));
  PaintSignRow(p, l, table, table.d1AtPoint, table.d1OnInterval, table.hasD1, l.rowHeight);
  PaintSignRow(p, l, table, table.d2AtPoint, table.d2OnInterval, table.hasD2, 2 * l.rowHeight);
  PaintFRow(p, l, table, 3 * l.rowHeight);
  p.restore();
  return l.height * scale;
}

namespace {

// The chart laid out as the table is: its columns are those of a table of the same points,
// its header as wide as the longest factor.
TableLayout LayOutChart(const study::SignChart& chart, VariationTable* columns) {
  columns->xs = chart.xs;
  TableLayout l = LayOutTable(*columns);
  const QFontMetricsF fm(SheetFont(kTableFont));
  qreal header = l.header;
  for (const study::SignChartRow& r : chart.rows) {
    header = std::max(header, fm.horizontalAdvance(Q(study::ChartRowTitle(r))) + 2 * kPad);
  }
  const qreal shift = header - l.header;
  for (Column& c : l.columns) c.centre += shift;
  l.header = header;
  l.width += shift;
  l.height = l.rowHeight * qreal(1 + chart.rows.size());
  return l;
}

}  // namespace

QSizeF SignChartSize(const study::SignChart& chart) {
  if (chart.rows.empty()) return QSizeF(0, 0);
  VariationTable columns;
  const TableLayout l = LayOutChart(chart, &columns);
  return QSizeF(l.width, l.height);
}

qreal PaintSignChart(QPainter& p, const QRectF& area, const study::SignChart& chart) {
  if (chart.rows.empty()) return 0;
  VariationTable columns;
  const TableLayout l = LayOutChart(chart, &columns);
  const qreal scale = BeginTable(p, area, l);
  p.drawText(QRectF(0, 0, l.header, l.rowHeight), Qt::AlignCenter, QStringLiteral("x"));
  for (size_t i = 0; i < l.columns.size(); ++i)
    ColumnHeading(p, l, l.columns[i], Q(chart.xs[i].text));
  qreal y = l.rowHeight;
  for (const study::SignChartRow& r : chart.rows) {
    // The row of f stands apart from the factors by a double line.
    const bool fRow = &r == &chart.rows.back();
    p.drawLine(QPointF(0, y), QPointF(l.width, y));
    if (fRow) p.drawLine(QPointF(0, y + 2), QPointF(l.width, y + 2));
    p.drawText(QRectF(0, y, l.header, l.rowHeight), Qt::AlignCenter, Q(study::ChartRowTitle(r)));
    PaintSignRow(p, l, columns, r.atPoint, r.onInterval, true, y);
    y += l.rowHeight;
  }
  p.drawLine(QPointF(l.header, 0), QPointF(l.header, l.height));
  p.restore();
  return l.height * scale;
}

}  // namespace curvalis
