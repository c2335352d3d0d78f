#include <QFontMetricsF>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "io/study/sheet_text.h"
#include "io/study/study_output.h"

namespace curvalis {

using namespace sheet_text;

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

// The graph laid out in a box `w` × `h`. The labels that found no room beside their points are
// listed under the frame, which gives up the room they need; `frameH` is what remains of it.
study::GraphLayout LayOutWithLegend(const study::StudyGraph& graph, qreal w, qreal h,
                                    const study::GraphFonts& fonts, qreal* frameH) {
  *frameH = h;
  study::GraphLayout l = study::LayOutGraph(graph, w, *frameH, fonts);
  for (int again = 0; again < 3 && !l.legend.empty(); ++again) {
    const qreal want = h - (qreal(l.legend.size()) * fonts.labelHeight + 6);
    if (std::abs(want - *frameH) < 0.5 || want < h / 2) break;
    *frameH = want;
    l = study::LayOutGraph(graph, w, *frameH, fonts);
  }
  return l;
}

// The grid, the axes, the asymptotes (dashed, each drawn once over the whole view) and the
// curve, its runs as the graph cut them.
void PaintGraphLines(QPainter& p, const study::StudyGraph& graph, const study::GraphLayout& l,
                     qreal w, qreal frameH) {
  auto at = [&](double x, double y) { return QPointF(l.X(x), l.Y(y)); };
  p.setPen(QPen(QColor(225, 225, 225), 0.6));
  for (double x : l.xGrid) p.drawLine(QPointF(l.X(x), 0), QPointF(l.X(x), frameH));
  for (double y : l.yGrid) p.drawLine(QPointF(0, l.Y(y)), QPointF(w, l.Y(y)));
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(QPointF(0, l.axisY), QPointF(w, l.axisY));
  p.drawLine(QPointF(l.axisX, 0), QPointF(l.axisX, frameH));

  p.setPen(QPen(QColor(30, 90, 200), 1.2, Qt::DashLine));
  for (const study::GraphLine& a : graph.asymptotes) p.drawLine(at(a.x1, a.y1), at(a.x2, a.y2));

  if (graph.curve.empty()) return;
  p.setPen(QPen(QColor(200, 0, 0), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath path;
  for (const auto& run : graph.curve) {
    path.moveTo(at(run.front().first, run.front().second));
    for (std::size_t k = 1; k < run.size(); ++k) path.lineTo(at(run[k].first, run[k].second));
  }
  p.drawPath(path);
}

// The numbers of the ticks where the layout put them; the noteworthy points (a filled mark, a
// hole an empty circle); the labels of the points and the equations of the asymptotes.
void PaintGraphMarks(QPainter& p, const study::StudyGraph& graph, const study::GraphLayout& l,
                     const study::GraphFonts& fonts, qreal w, qreal frameH) {
  p.setFont(SheetFont(kTickFont));
  p.setPen(QColor(90, 90, 90));
  for (const study::GraphText& t : l.tickTexts) {
    p.drawText(QPointF(t.box.left, t.box.top + fonts.tickAscent), Q(t.text));
  }

  for (const study::GraphPoint& g : graph.points) {
    const QPointF c(l.X(g.p.x.value), l.Y(g.p.y.value));
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
  // texts and marks keep their proportions on the screen and on paper.
  const qreal w = 600, h = w * area.height() / area.width();
  const study::GraphFonts fonts = PainterFonts();
  qreal frameH = h;
  const study::GraphLayout l = LayOutWithLegend(graph, w, h, fonts, &frameH);
  p.save();
  p.translate(area.topLeft());
  p.scale(area.width() / w, area.height() / h);
  p.setClipRect(QRectF(0, 0, w, h));
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(QRectF(0, 0, w, h), Qt::white);
  p.save();
  p.setClipRect(QRectF(0, 0, w, frameH));
  PaintGraphLines(p, graph, l, w, frameH);
  PaintGraphMarks(p, graph, l, fonts, w, frameH);
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
  if (p.begin(&svg)) {
    PaintStudyGraph(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), sheet);
    if (p.end()) return true;
  }
  *why = QStringLiteral("il file SVG non può essere scritto");
  return false;
}

}  // namespace curvalis
