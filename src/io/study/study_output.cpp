#include "io/study/study_output.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "io/save_file.h"
#include "study/sheet_writers.h"

namespace curvalis {
namespace {

using study::Arrow;
using study::Number;
using study::Sign;
using study::VariationTable;

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The sheet's font: a sans-serif that has the student notation's signs (∞, √, ≠, ∪, ′, ″).
QFont SheetFont(qreal pixelSize, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  // No ligatures: "fi" stays two letters, so a PDF reader finds "Grafico" and copies it whole.
  f.setStyleStrategy(QFont::PreferNoShaping);
  f.setPixelSize(int(std::lround(pixelSize)));
  f.setBold(bold);
  return f;
}

// --- Lines with raised exponents ---------------------------------------------------------

constexpr qreal kTickFont = 10, kLabelFont = 11, kRaisedFont = 8;  // of the 600-wide box
constexpr qreal kRaise = 4;  // how far an exponent's baseline stands above the line's

// A piece of a label: its text and how many powers up it stands.
struct Run {
  QString text;
  int level = 0;
};

// The end of the group opened by "(" at text[at], nested groups included; -1 when unclosed.
qsizetype GroupEnd(const QString& text, qsizetype at) {
  int depth = 0;
  for (qsizetype i = at; i < text.size(); ++i) {
    if (text[i] == u'(') ++depth;
    if (text[i] == u')' && --depth == 0) return i + 1;
  }
  return -1;
}

// A label as the student notation writes it, cut into pieces with each power's exponent raised:
// "e^(−2 − √5)" is "e" and, one level up, "−2 − √5" (the parentheses only delimit it);
// "x^4" is "x" and "4".
void SplitRuns(const QString& text, int level, std::vector<Run>& out) {
  QString plain;
  auto flush = [&] {
    if (!plain.isEmpty()) out.push_back({plain, level});
    plain.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'^' || i + 1 >= text.size()) {
      plain += text[i];
      continue;
    }
    qsizetype j = i + 1;
    QString exponent;
    if (text[j] == u'(') {
      const qsizetype close = GroupEnd(text, j);
      if (close < 0) {
        plain += text[i];
        continue;
      }
      exponent = text.mid(j + 1, close - j - 2);
      j = close;
    } else {
      if (text[j] == u'-' || text[j] == u'−') ++j;
      while (j < text.size() && (text[j].isLetterOrNumber() || text[j] == u'.')) ++j;
      exponent = text.mid(i + 1, j - i - 1);
    }
    if (exponent.isEmpty()) {
      plain += text[i];
      continue;
    }
    flush();
    SplitRuns(exponent, level + 1, out);
    i = j - 1;
  }
  flush();
}

// The font of a piece `level` powers up, for a line set at `size`: exponents at 8/11 of it.
QFont RunFont(int level, bool bold, qreal size = kLabelFont) {
  return SheetFont(level == 0 ? size : size * kRaisedFont / kLabelFont, bold);
}

qreal LabelWidth(const QString& text, bool bold = false, qreal size = kLabelFont) {
  std::vector<Run> runs;
  SplitRuns(text, 0, runs);
  qreal w = 0;
  for (const Run& r : runs)
    w += QFontMetricsF(RunFont(r.level, bold, size)).horizontalAdvance(r.text);
  return w;
}

// Paints a line of the student notation with its baseline at `origin`, its exponents raised.
void DrawLabel(QPainter& p, QPointF origin, const QString& text, bool bold,
               qreal size = kLabelFont) {
  std::vector<Run> runs;
  SplitRuns(text, 0, runs);
  for (const Run& r : runs) {
    const QFont font = RunFont(r.level, bold, size);
    p.setFont(font);
    p.drawText(origin - QPointF(0, kRaise * size / kLabelFont * std::min(r.level, 2)), r.text);
    origin.rx() += QFontMetricsF(font).horizontalAdvance(r.text);
  }
}

// --- The table ---------------------------------------------------------------------------

constexpr qreal kTableFont = 14;  // logical pixels
constexpr qreal kPad = 8;
constexpr qreal kGap = 56;  // the least room between two columns, for a sign or an arrow

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
  for (const char* name : {"x", "f′(x)", "f″(x)", "f(x)"}) {
    l.header = std::max(l.header, fm.horizontalAdvance(QString::fromUtf8(name)) + 2 * kPad);
  }
  const size_t n = t.xs.size();
  l.columns.resize(n);
  qreal x = l.header;
  for (size_t i = 0; i < n; ++i) {
    Column& c = l.columns[i];
    const Arrow in = ArrowAt(t, std::ptrdiff_t(i) - 1), out = ArrowAt(t, std::ptrdiff_t(i));
    qreal width = fm.horizontalAdvance(Q(t.xs[i].text));
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
  switch (level) {
    case Level::Top:
      return top + line * 0.8;
    case Level::Bottom:
      return top + height - line * 0.8;
    case Level::Middle:
      break;
  }
  return top + height / 2;
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
  const char* names[] = {"x", "f′(x)", "f″(x)", "f(x)"};
  const qreal heights[] = {l.rowHeight, l.rowHeight, l.rowHeight, l.fHeight};
  for (int r = 0; r < 4; ++r) {
    p.drawText(QRectF(0, y, l.header, heights[r]), Qt::AlignCenter, QString::fromUtf8(names[r]));
    if (r > 0) p.drawLine(QPointF(0, y), QPointF(l.width, y));
    y += heights[r];
  }
  p.drawLine(QPointF(l.header, 0), QPointF(l.header, l.height));
  for (size_t i = 0; i < l.columns.size(); ++i) {
    const Column& c = l.columns[i];
    p.drawText(QRectF(c.centre - c.width / 2 - kGap / 2, 0, c.width + kGap, l.rowHeight),
               Qt::AlignCenter, Q(table.xs[i].text));
  }
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
  for (size_t i = 0; i < l.columns.size(); ++i) {
    const Column& c = l.columns[i];
    p.drawText(QRectF(c.centre - c.width / 2 - kGap / 2, 0, c.width + kGap, l.rowHeight),
               Qt::AlignCenter, Q(chart.xs[i].text));
  }
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

// --- The graph ---------------------------------------------------------------------------

namespace {

study::GraphFonts PainterFonts() {
  study::GraphFonts f;
  const QFontMetricsF tick(SheetFont(kTickFont)), label(SheetFont(kLabelFont));
  f.tickWidth = [tick](const std::string& t) { return tick.horizontalAdvance(Q(t)); };
  f.tickHeight = tick.height();
  f.tickAscent = tick.ascent();
  f.labelWidth = [](const std::string& t) { return LabelWidth(Q(t)); };
  // Room above the line for a raised exponent.
  f.labelHeight = label.height() + kRaise;
  f.labelAscent = label.ascent() + kRaise;
  return f;
}

}  // namespace

void PaintStudyGraph(QPainter& p, const QRectF& area, const study::Sheet& sheet) {
  if (area.width() < 4 || area.height() < 4) return;
  const study::GraphView v = sheet.tableReady ? sheet.view : study::GraphView{};
  if (!(v.right > v.left) || !(v.top > v.bottom) || !std::isfinite(v.right - v.left) ||
      !std::isfinite(v.top - v.bottom)) {
    return;
  }
  // Samples: twice the device pixels across, so the curve is smooth on any output.
  const qreal devicePixels = p.deviceTransform().mapRect(area).width();
  const study::StudyGraph graph =
      study::MakeStudyGraph(sheet, std::clamp(int(devicePixels * 2), 200, 20000));

  // Everything below is drawn in logical units of a box 600 wide, scaled onto `area`, so the
  // texts and marks keep their proportions on the screen and on paper. The labels that found
  // no room beside their points are listed under the frame, which gives up the room they need.
  const qreal w = 600, h = w * area.height() / area.width();
  const study::GraphFonts fonts = PainterFonts();
  qreal frameH = h;
  study::GraphLayout l = study::LayOutGraph(graph, w, frameH, fonts);
  for (int again = 0; again < 3 && !l.legend.empty(); ++again) {
    const qreal want = h - (qreal(l.legend.size()) * fonts.labelHeight + 6);
    if (std::abs(want - frameH) < 0.5 || want < h / 2) break;
    frameH = want;
    l = study::LayOutGraph(graph, w, frameH, fonts);
  }
  p.save();
  p.translate(area.topLeft());
  p.scale(area.width() / w, area.height() / h);
  p.setClipRect(QRectF(0, 0, w, h));
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(QRectF(0, 0, w, h), Qt::white);
  p.save();
  p.setClipRect(QRectF(0, 0, w, frameH));
  auto at = [&](double x, double y) { return QPointF(l.X(x), l.Y(y)); };

  // Grid and axes.
  p.setPen(QPen(QColor(225, 225, 225), 0.6));
  for (double x : l.xGrid) p.drawLine(QPointF(l.X(x), 0), QPointF(l.X(x), frameH));
  for (double y : l.yGrid) p.drawLine(QPointF(0, l.Y(y)), QPointF(w, l.Y(y)));
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(0, l.axisY), QPointF(w, l.axisY));
  p.drawLine(QPointF(l.axisX, 0), QPointF(l.axisX, frameH));

  // The asymptotes, dashed, each drawn once over the whole view.
  p.setPen(QPen(QColor(30, 90, 200), 1.2, Qt::DashLine));
  for (const study::GraphLine& a : graph.asymptotes) p.drawLine(at(a.x1, a.y1), at(a.x2, a.y2));

  // The curve, its runs as the graph cut them.
  if (!graph.curve.empty()) {
    p.setPen(QPen(QColor(200, 0, 0), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    for (const auto& run : graph.curve) {
      path.moveTo(at(run.front().first, run.front().second));
      for (std::size_t k = 1; k < run.size(); ++k) path.lineTo(at(run[k].first, run[k].second));
    }
    p.drawPath(path);
  }

  // The numbers of the ticks and the names of the axes, where the layout put them.
  p.setFont(SheetFont(kTickFont));
  p.setPen(QColor(90, 90, 90));
  for (const study::GraphText& t : l.tickTexts) {
    p.drawText(QPointF(t.box.left, t.box.top + fonts.tickAscent), Q(t.text));
  }

  // The noteworthy points: a filled mark, a hole an empty circle.
  for (const study::GraphPoint& g : graph.points) {
    const QPointF c = at(g.p.x.value, g.p.y.value);
    if (!(c.x() >= 0 && c.x() <= w && c.y() >= 0 && c.y() <= frameH)) continue;
    if (g.kind == study::PointKind::Hole) {
      p.setPen(QPen(QColor(0, 110, 0), 1.4));
      p.setBrush(Qt::white);
    } else {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 110, 0));
    }
    p.drawEllipse(c, 3.5, 3.5);
  }
  p.setBrush(Qt::NoBrush);

  // The labels of the points and the equations of the asymptotes.
  p.setFont(SheetFont(kLabelFont));
  for (const study::GraphLabel& label : l.labels) {
    const study::GraphBox& b = label.placed.box;
    const QRectF box(b.left, b.top, b.width, b.height);
    if (label.leader) {
      p.setPen(QPen(QColor(140, 140, 140), 0.6));
      const QPointF from(label.anchorX, label.anchorY);
      p.drawLine(from, QPointF(std::clamp(from.x(), box.left(), box.right()),
                               std::clamp(from.y(), box.top(), box.bottom())));
    }
    p.fillRect(box, QColor(255, 255, 255, 210));
    p.setPen(label.asymptote >= 0 ? QColor(20, 70, 170) : QColor(0, 90, 0));
    DrawLabel(p, QPointF(b.left + 1, b.top + fonts.labelAscent), Q(label.placed.text),
              label.number > 0);
  }
  p.restore();
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(QRectF(0, 0, w, frameH));

  // The legend: what each number stands for.
  p.setFont(SheetFont(kLabelFont));
  p.setPen(Qt::black);
  qreal y = frameH + 4 + fonts.labelAscent;
  for (const study::GraphText& t : l.legend) {
    DrawLabel(p, QPointF(4, y), Q(t.text), false);
    y += fonts.labelHeight;
  }
  p.restore();
  p.save();
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(area);
  p.restore();
}

bool WriteStudyGraphSvg(QIODevice& out, const study::Sheet& sheet, QString* why) {
  QSvgGenerator svg;
  svg.setOutputDevice(&out);
  const QSize size(720, 540);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setResolution(96);
  svg.setTitle(QStringLiteral("Grafico di f(x) = ") + Q(sheet.function.data.f.text));
  svg.setDescription(QStringLiteral("Curvalis, studio di funzione"));
  QPainter p;
  if (!p.begin(&svg)) {
    *why = QStringLiteral("il file SVG non può essere scritto");
    return false;
  }
  PaintStudyGraph(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), sheet);
  if (!p.end()) {
    *why = QStringLiteral("il file SVG non può essere scritto");
    return false;
  }
  return true;
}

// --- The pages ---------------------------------------------------------------------------

namespace {

// The whole sheet on pages of `device`: the formula studied, each section with its heading and
// lines, the table and the graph; a new page where the next block does not fit.
bool PaintSheetPages(QPagedPaintDevice& device, const study::Sheet& sheet, QString* why) {
  QPainter p;
  if (!p.begin(&device)) {
    *why = QStringLiteral("il documento non può essere scritto");
    return false;
  }
  // Logical units of 96 to the inch, whatever the device's resolution.
  const qreal dpi = device.logicalDpiX();
  const qreal unit = dpi / 96.0;
  p.scale(unit, unit);
  const QRectF page(0, 0, device.width() / unit, device.height() / unit);
  const QFont title = SheetFont(18, true), heading = SheetFont(14, true), body = SheetFont(12);
  qreal y = 0;
  auto room = [&](qreal needed) {
    if (y + needed <= page.height() || y == 0) return;
    device.newPage();
    y = 0;
  };
  auto paragraph = [&](const QString& text, const QFont& font, qreal indent, qreal after) {
    // A line with a power that fits the page is set with its exponent raised ("x^4" as x⁴,
    // "e^(−x)" with −x up, the parentheses that only delimit it left out).
    const qreal size = font.pixelSize();
    if (text.contains(u'^') && !font.bold() &&
        LabelWidth(text, false, size) <= page.width() - indent) {
      const QFontMetricsF fm(font);
      const qreal height = fm.height() + kRaise * size / kLabelFont;
      room(height);
      DrawLabel(p, QPointF(indent, y + kRaise * size / kLabelFont + fm.ascent()), text, false,
                size);
      y += height + after;
      return;
    }
    p.setFont(font);
    const QRectF box(indent, 0, page.width() - indent, 1e6);
    const QRectF need = p.boundingRect(box, Qt::TextWordWrap, text);
    room(need.height());
    p.drawText(QRectF(indent, y, page.width() - indent, need.height() + 2), Qt::TextWordWrap, text);
    y += need.height() + after;
  };

  paragraph(Q(study::kSheetTitle), title, 0, 4);
  // f as the sheet writes it; the text as typed only when the sheet has none.
  const std::string& f = sheet.function.determined && !sheet.function.data.f.text.empty()
                             ? sheet.function.data.f.text
                             : sheet.function.data.typed;
  if (!f.empty()) paragraph(QStringLiteral("f(x) = ") + Q(f), body, 0, 10);
  for (int s = 0; s < study::kSectionCount; ++s) {
    const auto id = study::SectionId(s);
    room(60);
    paragraph(Q(study::SectionTitle(id)), heading, 0, 2);
    for (const std::string& line : study::SectionLines(sheet, id)) {
      paragraph(Q(line), body, 16, 1);
    }
    if (id == study::SectionId::Sign && sheet.sign.determined) {
      const study::SignChart& chart = sheet.sign.data.chart;
      const QSizeF size = SignChartSize(chart);
      if (!chart.rows.empty()) {
        const qreal scale = std::min(1.0, (page.width() - 16) / size.width());
        room(24 + size.height() * scale);
        paragraph(QStringLiteral("Schema del segno"), SheetFont(12, true), 16, 4);
        y += PaintSignChart(p, QRectF(16, y, page.width() - 16, size.height()), chart) + 6;
      }
    }
    // The working under the results, its lines numbered as in the other documents.
    const std::vector<study::Step>& steps = study::SectionSteps(sheet, id);
    if (!steps.empty()) {
      y += 3;
      paragraph(Q(study::kWorkingTitle), SheetFont(12, true), 16, 1);
      for (std::size_t k = 0; k < steps.size(); ++k) {
        paragraph(QString::number(k + 1) + QStringLiteral(". ") + Q(steps[k].text), body, 28, 1);
      }
    }
    y += 8;
  }
  if (sheet.tableReady) {
    const QSizeF size = VariationTableSize(sheet.table);
    const qreal scale = std::min(1.0, page.width() / size.width());
    room(30 + size.height() * scale);
    paragraph(QStringLiteral("Tabella dei segni e della variazione"), heading, 0, 6);
    y += PaintVariationTable(p, QRectF(0, y, page.width(), size.height()), sheet.table) + 14;

    const qreal graphHeight = std::min(page.width() * 0.75, page.height() - 40);
    room(30 + graphHeight);
    paragraph(QStringLiteral("Grafico"), heading, 0, 6);
    PaintStudyGraph(p, QRectF(0, y, page.width(), graphHeight), sheet);
    y += graphHeight;
  }
  return p.end();
}

bool WriteSheetPdf(QIODevice& out, const study::Sheet& sheet, QString* why) {
  QPdfWriter writer(&out);
  writer.setCreator(QStringLiteral("Curvalis"));
  writer.setTitle(Q(study::kSheetTitle));
  writer.setResolution(1200);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
  if (!PaintSheetPages(writer, sheet, why)) {
    if (why->isEmpty()) *why = QStringLiteral("il file PDF non può essere scritto");
    return false;
  }
  return true;
}

bool WriteText(QIODevice& out, const std::string& text, QString* why) {
  if (out.write(text.data(), qint64(text.size())) != qint64(text.size())) {
    *why = out.errorString();
    return false;
  }
  return true;
}

// The graph beside a Markdown document: the same name with the ending ".svg", written whole
// or not at all; the document links it, or says why it is missing.
study::MarkdownGraph WriteGraphBeside(const study::Sheet& sheet, const QString& path) {
  const QFileInfo info(path);
  const QString svg =
      info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".svg");
  QString reason;
  if (WriteWhole(svg, &reason, [&](QIODevice& out, QString* why) {
        return WriteStudyGraphSvg(out, sheet, why);
      })) {
    return {QFileInfo(svg).fileName().toStdString(), {}};
  }
  return {{}, (QFileInfo(svg).fileName() + QStringLiteral(": ") + reason).toStdString()};
}

}  // namespace

std::optional<StudyFormat> StudyFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  for (StudyFormat f : {StudyFormat::Pdf, StudyFormat::Latex, StudyFormat::Markdown}) {
    if (suffix == StudySuffix(f)) return f;
  }
  return std::nullopt;
}

QString StudySuffix(StudyFormat format) {
  switch (format) {
    case StudyFormat::Pdf:
      return QStringLiteral("pdf");
    case StudyFormat::Latex:
      return QStringLiteral("tex");
    case StudyFormat::Markdown:
      return QStringLiteral("md");
  }
  return {};
}

bool ExportStudy(const study::Sheet& sheet, const QString& path, StudyFormat format,
                 QString* reason) {
  return WriteWhole(path, reason, [&](QIODevice& out, QString* why) {
    switch (format) {
      case StudyFormat::Pdf:
        return WriteSheetPdf(out, sheet, why);
      case StudyFormat::Latex:
        return WriteText(out, study::SheetLatex(sheet), why);
      case StudyFormat::Markdown:
        return WriteText(out, study::SheetMarkdown(sheet, WriteGraphBeside(sheet, path)), why);
    }
    return false;
  });
}

bool WriteStudyPdf(const study::Sheet& sheet, const std::string& path, std::string* error) {
  QString reason;
  const bool written = ExportStudy(sheet, QString::fromStdString(path), StudyFormat::Pdf, &reason);
  if (!written && error) *error = reason.toStdString();
  return written;
}

bool PrintStudy(const study::Sheet& sheet, const QString& pdfPath, QString* reason) {
  if (!pdfPath.isEmpty()) return ExportStudy(sheet, pdfPath, StudyFormat::Pdf, reason);
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    if (reason) *reason = QStringLiteral("nessuna stampante predefinita");
    return false;
  }
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(Q(study::kSheetTitle));
  return PrintStudyOn(printer, sheet, reason);
}

bool PrintStudyOn(QPrinter& printer, const study::Sheet& sheet, QString* reason) {
  // A printer set up in the print dialog to print into a file is named by the file.
  const QString who =
      printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
  QString why;
  if (!PaintSheetPages(printer, sheet, &why)) {
    if (reason)
      *reason = who + QStringLiteral(": ") +
                (why.isEmpty() ? QStringLiteral("la stampante non risponde") : why);
    return false;
  }
  if (printer.printerState() == QPrinter::Error) {
    if (reason) *reason = who + QStringLiteral(": errore della stampante");
    return false;
  }
  return true;
}

}  // namespace curvalis
