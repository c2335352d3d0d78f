#include "study/graph.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/eval_service.h"
#include "core/prepare_formula.h"
#include "study/sheet_writers.h"

namespace curvalis::study {

std::vector<double> GraphBreaks(const Sheet& sheet) {
  std::vector<double> breaks;
  if (sheet.asymptotes.determined) {
    for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
      if (a.kind == AsymptoteKind::Vertical) breaks.push_back(a.x.value);
    }
  }
  if (sheet.domain.determined) {
    for (const Interval& i : sheet.domain.data.domain.intervals) {
      if (std::isfinite(i.from.value)) breaks.push_back(i.from.value);
      if (std::isfinite(i.to.value)) breaks.push_back(i.to.value);
    }
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  return breaks;
}

namespace {

// The curve from the program's evaluator, the same one that draws f in the main window.
void SampleCurve(const Sheet& sheet, int samples, StudyGraph& g) {
  const GraphView& v = g.view;
  std::unique_ptr<EvalServer> server = StartEvalServer();
  bool opened = false;
  try {
    server->book().Open(PrepareFormula(sheet.function.data.typed));
    opened = !sheet.function.data.typed.empty();
  } catch (const EvalError&) {
  }
  if (opened) {
    const std::vector<double> breaks = GraphBreaks(sheet);
    const double far = 20 * (v.top - v.bottom);
    bool drawing = false;
    double prevX = 0, prevY = 0;
    for (int k = 0; k <= samples; ++k) {
      const double x = v.left + (v.right - v.left) * k / samples;
      const double y = server->book().NumberAt(x);
      if (!std::isfinite(y)) {
        drawing = false;
        continue;
      }
      bool cut = !drawing;
      if (drawing) {
        const auto b = std::upper_bound(breaks.begin(), breaks.end(), prevX);
        if (b != breaks.end() && *b <= x) cut = true;
        if ((prevY > v.top && y < v.bottom) || (prevY < v.bottom && y > v.top)) cut = true;
      }
      if (cut) g.curve.emplace_back();
      g.curve.back().emplace_back(x, std::clamp(y, v.bottom - far, v.top + far));
      drawing = true;
      prevX = x;
      prevY = y;
    }
  }
  server->book().Close();
  QuitEvalServer(server);
}

}  // namespace

StudyGraph MakeStudyGraph(const Sheet& sheet, int samples) {
  StudyGraph g;
  g.view = sheet.tableReady ? sheet.view : GraphView{};
  g.points = sheet.points;
  const GraphView& v = g.view;
  if (!(v.right > v.left) || !(v.top > v.bottom) || !std::isfinite(v.right - v.left) ||
      !std::isfinite(v.top - v.bottom)) {
    return g;
  }
  if (sheet.asymptotes.determined) {
    for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
      GraphLine line;
      std::string text, latex;
      if (a.kind == AsymptoteKind::Vertical) {
        line = {a.x.value, v.top, a.x.value, v.bottom};
        text = "x = " + a.x.text;
        latex = "x = " + NumberLatex(a.x);
      } else {
        const double m = a.kind == AsymptoteKind::Horizontal ? 0 : a.m.value;
        line = {v.left, m * v.left + a.q.value, v.right, m * v.right + a.q.value};
        text = a.kind == AsymptoteKind::Horizontal ? "y = " + a.q.text : LineText(a.m, a.q);
        latex =
            a.kind == AsymptoteKind::Horizontal ? "y = " + NumberLatex(a.q) : LineLatex(a.m, a.q);
      }
      // A line that serves both sides of infinity is listed once for each side: drawn once.
      const bool again =
          std::any_of(g.asymptotes.begin(), g.asymptotes.end(), [&](const GraphLine& l) {
            return l.x1 == line.x1 && l.y1 == line.y1 && l.x2 == line.x2 && l.y2 == line.y2;
          });
      if (again) continue;
      g.asymptotes.push_back(line);
      g.asymptoteTexts.push_back(text);
      g.asymptoteLatex.push_back(latex);
    }
  }
  SampleCurve(sheet, samples, g);
  return g;
}

// --- Layout ------------------------------------------------------------------------------

double GraphTickStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

std::string GraphTickText(double v, double step) {
  if (std::abs(v) < step * 1e-6) return "0";
  const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::abs(v));
  return (v < 0 ? "−" : "") + std::string(buf);
}

namespace {

struct Segment {
  double x1, y1, x2, y2;
};

// The part of the segment inside the box, from s at t0 to s at t1 (Liang–Barsky clipping);
// false when none of it is.
bool Clip(const Segment& s, const GraphBox& b, double* t0, double* t1) {
  *t0 = 0;
  *t1 = 1;
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {s.x1 - b.left, b.right() - s.x1, s.y1 - b.top, b.bottom() - s.y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      *t0 = std::max(*t0, r);
    } else {
      *t1 = std::min(*t1, r);
    }
    if (*t0 > *t1) return false;
  }
  return true;
}

// True when the segment crosses the box or lies in it.
bool Crosses(const Segment& s, const GraphBox& b) {
  double t0, t1;
  return Clip(s, b, &t0, &t1);
}

// The segments of lines in the frame's units, those far outside it left out.
std::vector<Segment> FrameSegments(
    const GraphLayout& l, const std::vector<std::vector<std::pair<double, double>>>& runs) {
  std::vector<Segment> out;
  const GraphBox frame{-l.width, -l.height, 3 * l.width, 3 * l.height};
  for (const auto& run : runs) {
    for (std::size_t k = 1; k < run.size(); ++k) {
      const Segment s{l.X(run[k - 1].first), l.Y(run[k - 1].second), l.X(run[k].first),
                      l.Y(run[k].second)};
      if (Crosses(s, frame)) out.push_back(s);
    }
  }
  return out;
}

// The places tried for a box of w × h beside the point (cx, cy), nearest first: the four
// corners, above, below, right and left, then a line further up or down each time.
std::vector<std::pair<GraphBox, bool>> PointPlaces(double cx, double cy, double w, double h) {
  std::vector<std::pair<GraphBox, bool>> out;  // the box, and whether a leader line is needed
  const double d = 6;
  auto add = [&](double left, double top, bool far) { out.push_back({{left, top, w, h}, far}); };
  for (int k = 0; k < 5; ++k) {
    const double up = cy - d - h - k * h, down = cy + d + k * h;
    const bool far = k > 0;
    add(cx + d, up, far);
    add(cx + d, down, far);
    add(cx - d - w, up, far);
    add(cx - d - w, down, far);
    add(cx - w / 2, up, far);
    add(cx - w / 2, down, far);
    if (k == 0) {
      add(cx + d, cy - h / 2, false);
      add(cx - d - w, cy - h / 2, false);
    }
  }
  return out;
}

// The places tried for the equation of an asymptote: beside the line near the frame's top and
// bottom for a vertical one, above and below the line near its ends for the others.
std::vector<std::pair<GraphBox, bool>> LinePlaces(const Segment& line, const GraphLayout& l,
                                                  double w, double h) {
  std::vector<std::pair<GraphBox, bool>> out;
  auto add = [&](double left, double top) { out.push_back({{left, top, w, h}, false}); };
  if (line.x1 == line.x2) {
    const double x = line.x1;
    for (double top : {2.0, l.height - h - 2, l.height * 0.25, l.height * 0.7, l.height * 0.5}) {
      add(x + 4, top);
      add(x - 4 - w, top);
    }
    return out;
  }
  // The part of the line inside the frame.
  double t0, t1;
  if (!Clip(line, GraphBox{0, 0, l.width, l.height}, &t0, &t1) || t0 >= t1) return out;
  const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
  const double rise = dy / (std::abs(dx) + 1e-12);  // frame units down per unit right
  const double fractions[] = {0.93, 0.85, 0.07, 0.15, 0.75, 0.25, 0.6, 0.4, 0.5};
  // Beside the line first: above it on the side where the line is lower in the frame, below
  // it on the other, so the box clears the line; then centred over or under it.
  for (int centred = 0; centred < 2; ++centred) {
    for (double f : fractions) {
      const double t = t0 + (t1 - t0) * f;
      const double x = line.x1 + dx * t, y = line.y1 + dy * t;
      if (centred == 0) {
        add(rise < 0 ? x - w : x, y - 4 - h);
        add(rise < 0 ? x : x - w, y + 4);
      } else {
        add(x - w / 2, y - 4 - h - std::abs(rise) * w / 2);
        add(x - w / 2, y + 4 + std::abs(rise) * w / 2);
      }
    }
  }
  return out;
}

// The ticks and their numbers: each number at its usual place, else on the other side of its
// tick (left of it, or above the x axis; left of the y axis), else not written, so that none
// leaves the frame or covers a point's mark; off the curve where one of the places allows it.
void LayOutTicks(GraphLayout& l, const StudyGraph& g, const GraphFonts& fonts,
                 const std::vector<GraphBox>& marks, const std::vector<Segment>& curve) {
  const double width = l.width, height = l.height;
  const double sx = GraphTickStep(l.right - l.left, 8), sy = GraphTickStep(l.top - l.bottom, 6);
  auto tickText = [&](const std::string& text,
                      std::initializer_list<std::pair<double, double>> at) {
    for (bool offCurve : {true, false}) {
      for (const auto& [left, baseline] : at) {
        const GraphBox box{left, baseline - fonts.tickAscent, fonts.tickWidth(text),
                           fonts.tickHeight};
        auto over = [&](const GraphBox& m) { return m.Overlaps(box); };
        auto crosses = [&](const Segment& c) { return Crosses(c, box); };
        if (box.left >= 0 && box.right() <= width && box.top >= 0 && box.bottom() <= height &&
            std::none_of(marks.begin(), marks.end(), over) &&
            (!offCurve || std::none_of(curve.begin(), curve.end(), crosses))) {
          l.tickTexts.push_back({text, "", box});
          return;
        }
      }
    }
  };
  // A periodic f has its x ticks in multiples of π (the view says which).
  std::vector<std::pair<double, std::string>> xTicks;
  if (g.view.piStep > 0) {
    xTicks = PiTicks(l.left, l.right, g.view.piStep);
  } else {
    for (double k = std::ceil(l.left / sx); k * sx <= l.right; ++k) {
      xTicks.emplace_back(k * sx, GraphTickText(k * sx, sx));
    }
  }
  for (const auto& [x, text] : xTicks) {
    l.xGrid.push_back(x);
    if (std::abs(x) < (l.right - l.left) * 1e-9) continue;
    const double below = std::min(l.axisY + fonts.tickAscent + 1, height - 2);
    const double above =
        std::max(l.axisY - fonts.tickHeight + fonts.tickAscent - 1, fonts.tickAscent + 1);
    const double w = fonts.tickWidth(text);
    tickText(text, {{l.X(x) + 2, below},
                    {l.X(x) + 6, below},
                    {l.X(x) - 6 - w, below},
                    {l.X(x) + 6, above},
                    {l.X(x) - 6 - w, above}});
  }
  for (double k = std::ceil(l.bottom / sy); k * sy <= l.top; ++k) {
    const double y = k * sy;
    l.yGrid.push_back(y);
    if (std::abs(y) < sy * 1e-6) continue;
    const std::string text = GraphTickText(y, sy);
    const double w = fonts.tickWidth(text);
    const double right = std::min(l.axisX + 3, width - w - 1);
    tickText(text, {{right, l.Y(y) - 2},
                    {right + 3, l.Y(y) - 4},
                    {l.axisX - 6 - w, l.Y(y) - 2},
                    {right + 3, l.Y(y) + fonts.tickAscent + 4}});
  }
  // The names of the axes, beside their ends.
  tickText("x", {{width - 12, l.axisY - 4}});
  tickText("y", {{l.axisX + 4, 2 + fonts.tickAscent}});
  for (GraphText& t : l.tickTexts) {
    if (t.latex.empty()) {
      t.latex = t.text;
      for (std::size_t at; (at = t.latex.find("−")) != std::string::npos;)
        t.latex.replace(at, std::string("−").size(), "-");
      for (std::size_t at; (at = t.latex.find("π")) != std::string::npos;)
        t.latex.replace(at, std::string("π").size(), "\\pi ");
    }
  }
}

// A label to place: a point's (its index, its mark's centre) or an asymptote's equation.
struct WantedLabel {
  std::string text, latex;
  int point, asymptote;
  double x, y;
};

// The labels of the points inside the frame, then those of the asymptotes.
std::vector<WantedLabel> WantedLabels(const GraphLayout& l, const StudyGraph& g) {
  std::vector<WantedLabel> wanted;
  for (std::size_t i = 0; i < g.points.size(); ++i) {
    const GraphPoint& p = g.points[i];
    const double x = l.X(p.p.x.value), y = l.Y(p.p.y.value);
    if (!(x >= 0 && x <= l.width && y >= 0 && y <= l.height)) continue;
    wanted.push_back({p.label, PointLatex(p.p), int(i), -1, x, y});
  }
  for (std::size_t i = 0; i < g.asymptotes.size() && i < g.asymptoteTexts.size(); ++i) {
    wanted.push_back({g.asymptoteTexts[i], g.asymptoteLatex[i], -1, int(i), 0, 0});
  }
  return wanted;
}

// The labels of the points and the equations of the asymptotes, each beside what it names, or
// a number there and the text in the legend under the frame.
void PlaceLabels(GraphLayout& l, const StudyGraph& g, const GraphFonts& fonts,
                 const std::vector<GraphBox>& marks, const std::vector<Segment>& curve) {
  const double width = l.width, height = l.height;
  // What a label must keep clear of: the frame's edge, the tick numbers, the marks, the labels
  // already placed (hard), the curve (avoided where any place is left), the asymptotes and the
  // axes (avoided where that costs nothing).
  std::vector<Segment> lines;
  for (const GraphLine& a : g.asymptotes)
    lines.push_back({l.X(a.x1), l.Y(a.y1), l.X(a.x2), l.Y(a.y2)});
  lines.push_back({0, l.axisY, width, l.axisY});
  lines.push_back({l.axisX, 0, l.axisX, height});
  std::vector<GraphBox> taken;
  for (const GraphText& t : l.tickTexts) taken.push_back(t.box);
  taken.insert(taken.end(), marks.begin(), marks.end());
  auto fits = [&](const GraphBox& b, int strictness) {
    if (b.left < 1 || b.top < 1 || b.right() > width - 1 || b.bottom() > height - 1) return false;
    for (const GraphBox& t : taken) {
      if (t.Overlaps(b)) return false;
    }
    if (strictness >= 1) {
      for (const Segment& s : curve) {
        if (Crosses(s, b)) return false;
      }
    }
    if (strictness >= 2) {
      for (const Segment& s : lines) {
        if (Crosses(s, b)) return false;
      }
    }
    return true;
  };
  // The first place of `places` that fits, trying the strictest rules first.
  auto choose = [&](const std::vector<std::pair<GraphBox, bool>>& places, int loosest,
                    GraphBox* box, bool* far) {
    for (int strictness = 2; strictness >= loosest; --strictness) {
      for (const auto& [b, f] : places) {
        if (fits(b, strictness)) {
          *box = b;
          *far = f;
          return true;
        }
      }
    }
    return false;
  };

  const std::vector<WantedLabel> wanted = WantedLabels(l, g);
  int numbers = 0;
  for (const WantedLabel& w : wanted) {
    GraphLabel label;
    label.point = w.point;
    label.asymptote = w.asymptote;
    label.anchorX = w.x;
    label.anchorY = w.y;
    auto places = [&](const std::string& text) {
      const double bw = fonts.labelWidth(text) + 2, bh = fonts.labelHeight;
      return w.point >= 0 ? PointPlaces(w.x, w.y, bw, bh)
                          : LinePlaces(lines[std::size_t(w.asymptote)], l, bw, bh);
    };
    GraphBox box;
    bool far = false;
    if (choose(places(w.text), 1, &box, &far)) {
      label.placed = {w.text, w.latex, box};
      label.leader = far;
    } else {
      label.number = ++numbers;
      const std::string n = std::to_string(label.number);
      const auto small = places(n);
      if (!choose(small, 0, &box, &far)) {
        box = small.empty() ? GraphBox{1, 1, fonts.labelWidth(n) + 2, fonts.labelHeight}
                            : small.front().first;
        box.left = std::clamp(box.left, 1.0, std::max(1.0, width - box.width - 1));
        box.top = std::clamp(box.top, 1.0, std::max(1.0, height - box.height - 1));
      }
      label.placed = {n, n, box};
      label.leader = far;
      l.legend.push_back({n + ": " + w.text, w.latex, {}});
    }
    taken.push_back(label.placed.box);
    l.labels.push_back(label);
  }
}

}  // namespace

GraphLayout LayOutGraph(const StudyGraph& g, double width, double height, const GraphFonts& fonts) {
  GraphLayout l;
  l.width = width;
  l.height = height;
  l.left = g.view.left;
  l.right = g.view.right;
  l.bottom = g.view.bottom;
  l.top = g.view.top;
  // A view that is no finite rectangle has nothing to lay out.
  if (!(l.right > l.left) || !(l.top > l.bottom) || !(width > 0) || !(height > 0) ||
      !std::isfinite(l.right - l.left) || !std::isfinite(l.top - l.bottom)) {
    l.width = l.height = 0;
    return l;
  }
  l.axisY = std::clamp(l.Y(0), 0.0, height);
  l.axisX = std::clamp(l.X(0), 0.0, width);

  // The marks of the points inside the frame.
  std::vector<GraphBox> marks;
  for (const GraphPoint& p : g.points) {
    const double x = l.X(p.p.x.value), y = l.Y(p.p.y.value);
    if (x >= 0 && x <= width && y >= 0 && y <= height) marks.push_back({x - 4.5, y - 4.5, 9, 9});
  }
  // Off the curve where one of the places allows it.
  const std::vector<Segment> curve = FrameSegments(l, g.curve);
  LayOutTicks(l, g, fonts, marks, curve);
  PlaceLabels(l, g, fonts, marks, curve);
  return l;
}
}  // namespace curvalis::study
