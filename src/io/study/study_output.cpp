#include "io/study/study_output.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
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
      width = std::max(width, fm.horizontalAdvance(c.value));
      // A pole: the two limits stand on either side of the double bar.
      const qreal sides = 2 * std::max(fm.horizontalAdvance(c.left), fm.horizontalAdvance(c.right));
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
      const qreal w = fm.horizontalAdvance(s);
      const qreal left = align == Qt::AlignRight ? x - w : align == Qt::AlignLeft ? x : x - w / 2;
      p.drawText(QPointF(left, y + fm.ascent() / 2 - fm.descent() / 2), s);
      return Anchor{left, y};
    };
    const qreal mid = (top + bottom) / 2;
    reaching[i] = leaving[i] = Anchor{c.centre, mid};
    if (!c.value.isEmpty()) {
      const Anchor a = text(c.value, c.valueLevel, Qt::AlignHCenter, c.centre);
      const qreal w = fm.horizontalAdvance(c.value);
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
      leaving[i] = Anchor{a.x + fm.horizontalAdvance(c.right) + 3, a.y};
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

qreal PaintVariationTable(QPainter& p, const QRectF& area, const VariationTable& table) {
  const TableLayout l = LayOutTable(table);
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

// --- The graph ---------------------------------------------------------------------------

namespace {

// A step of 1, 2 or 5 times a power of ten that gives about `count` ticks over `span`.
double TickStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

QString TickText(double v, double step) {
  if (std::abs(v) < step * 1e-6) return QStringLiteral("0");
  const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
  return QString::number(v, 'f', decimals).replace(QLatin1Char('-'), QChar(0x2212));
}

}  // namespace

void PaintStudyGraph(QPainter& p, const QRectF& area, const study::Sheet& sheet) {
  if (area.width() < 4 || area.height() < 4) return;
  const study::GraphView v = sheet.tableReady ? sheet.view : study::GraphView{};
  if (!(v.right > v.left) || !(v.top > v.bottom)) return;
  // Samples: twice the device pixels across, so the curve is smooth on any output.
  const qreal devicePixels = p.deviceTransform().mapRect(area).width();
  const study::StudyGraph graph =
      study::MakeStudyGraph(sheet, std::clamp(int(devicePixels * 2), 200, 20000));

  // Everything below is drawn in logical units of a box 600 wide, scaled onto `area`, so the
  // texts and marks keep their proportions on the screen and on paper.
  const qreal w = 600, h = w * area.height() / area.width();
  p.save();
  p.translate(area.topLeft());
  p.scale(area.width() / w, area.height() / h);
  p.setClipRect(QRectF(0, 0, w, h));
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(QRectF(0, 0, w, h), Qt::white);
  auto px = [&](double x) { return (x - v.left) / (v.right - v.left) * w; };
  auto py = [&](double y) { return (v.top - y) / (v.top - v.bottom) * h; };
  auto at = [&](double x, double y) { return QPointF(px(x), py(y)); };

  // Grid, axes and their numbers.
  const QFont small = SheetFont(10);
  p.setFont(small);
  const QFontMetricsF fm(small);
  const double sx = TickStep(v.right - v.left, 8), sy = TickStep(v.top - v.bottom, 6);
  const qreal axisY = std::clamp(py(0), 0.0, h), axisX = std::clamp(px(0), 0.0, w);
  // A periodic f has its x ticks in multiples of π (the graph's data says which).
  std::vector<std::pair<double, QString>> xTicks;
  if (v.piStep > 0) {
    for (const auto& [x, text] : study::PiTicks(v.left, v.right, v.piStep))
      xTicks.emplace_back(x, Q(text));
  } else {
    for (double x = std::ceil(v.left / sx) * sx; x <= v.right; x += sx)
      xTicks.emplace_back(x, TickText(x, sx));
  }
  for (const auto& [x, text] : xTicks) {
    p.setPen(QPen(QColor(225, 225, 225), 0.6));
    p.drawLine(QPointF(px(x), 0), QPointF(px(x), h));
    if (std::abs(x) < (v.right - v.left) * 1e-9) continue;
    p.setPen(QColor(90, 90, 90));
    p.drawText(QPointF(px(x) + 2, std::min(axisY + fm.ascent() + 1, h - 2)), text);
  }
  for (double y = std::ceil(v.bottom / sy) * sy; y <= v.top; y += sy) {
    p.setPen(QPen(QColor(225, 225, 225), 0.6));
    p.drawLine(QPointF(0, py(y)), QPointF(w, py(y)));
    if (std::abs(y) < sy * 1e-6) continue;
    p.setPen(QColor(90, 90, 90));
    p.drawText(QPointF(std::min(axisX + 3, w - 30), py(y) - 2), TickText(y, sy));
  }
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(0, axisY), QPointF(w, axisY));
  p.drawLine(QPointF(axisX, 0), QPointF(axisX, h));
  p.drawText(QPointF(w - 12, axisY - 4), QStringLiteral("x"));
  p.drawText(QPointF(axisX + 4, 12), QStringLiteral("y"));

  // The asymptotes, dashed; a line that serves both sides of infinity is drawn once over the
  // whole view.
  p.setPen(QPen(QColor(30, 90, 200), 1.2, Qt::DashLine));
  for (const study::GraphLine& l : graph.asymptotes) p.drawLine(at(l.x1, l.y1), at(l.x2, l.y2));

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

  // The noteworthy points, marked and labelled with their exact coordinates. A label takes
  // the first place around its point (above or below, right or left, then further away) that
  // covers no label and no mark already there.
  const QFont labels = SheetFont(11);
  const QFontMetricsF lm(labels);
  p.setFont(labels);
  std::vector<QRectF> taken;
  for (const study::GraphPoint& g : graph.points) {
    const QPointF c = at(g.p.x.value, g.p.y.value);
    if (std::isfinite(c.x()) && std::isfinite(c.y()))
      taken.push_back(QRectF(c.x() - 4, c.y() - 4, 8, 8));
  }
  for (const study::GraphPoint& g : graph.points) {
    const QPointF c = at(g.p.x.value, g.p.y.value);
    if (!std::isfinite(c.x()) || !std::isfinite(c.y())) continue;
    if (g.kind == study::PointKind::Hole) {
      // A removable discontinuity: an empty circle over the curve.
      p.setPen(QPen(QColor(0, 110, 0), 1.4));
      p.setBrush(Qt::white);
    } else {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 110, 0));
    }
    p.drawEllipse(c, 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
    const QString text = Q(g.label);
    const QSizeF size(lm.horizontalAdvance(text) + 2, lm.height());
    // Nearest first: beside the point, then a line further up or down each time.
    std::vector<QPointF> corners;
    for (int k = 0; k < 4; ++k) {
      const qreal up = c.y() - 6 - size.height() - k * size.height();
      const qreal down = c.y() + 6 + k * size.height();
      for (qreal y : {up, down}) {
        corners.emplace_back(c.x() + 6, y);
        corners.emplace_back(c.x() - 6 - size.width(), y);
      }
    }
    QRectF box;
    for (const QPointF& corner : corners) {
      QRectF r(corner, size);
      // Kept inside the view.
      r.moveLeft(std::clamp(r.left(), 1.0, std::max(1.0, w - r.width() - 1)));
      r.moveTop(std::clamp(r.top(), 1.0, std::max(1.0, h - r.height() - 1)));
      if (box.isNull()) box = r;
      if (std::none_of(taken.begin(), taken.end(),
                       [&](const QRectF& t) { return t.intersects(r); })) {
        box = r;
        break;
      }
    }
    taken.push_back(box);
    p.fillRect(box, QColor(255, 255, 255, 210));
    p.setPen(QColor(0, 90, 0));
    p.drawText(QPointF(box.left() + 1, box.top() + lm.ascent()), text);
  }
  p.restore();
  p.save();
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(area);
  p.restore();
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
    p.setFont(font);
    const QRectF box(indent, 0, page.width() - indent, 1e6);
    const QRectF need = p.boundingRect(box, Qt::TextWordWrap, text);
    room(need.height());
    p.drawText(QRectF(indent, y, page.width() - indent, need.height() + 2), Qt::TextWordWrap, text);
    y += need.height() + after;
  };

  paragraph(Q(study::kSheetTitle), title, 0, 4);
  if (!sheet.function.data.typed.empty()) {
    paragraph(QStringLiteral("f(x) = ") + Q(sheet.function.data.typed), body, 0, 10);
  }
  for (const study::SectionId id : study::kOutline) {
    room(60);
    paragraph(Q(study::SectionTitle(id)), heading, 0, 2);
    for (const std::string& line : study::SectionLines(sheet, id)) {
      paragraph(Q(line), body, 16, 1);
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
        return WriteText(out, study::SheetMarkdown(sheet), why);
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
