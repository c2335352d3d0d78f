// The study's graph as data: where the curve is cut into runs, and the asymptotes as lines
// across the view.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "study/canned_engine.h"
#include "study/graph.h"

namespace curvalis::study {
namespace {

Number N(double v) {
  return Number{"", "", v, true};
}

struct Row {
  const char* what;
  const char* f;
  double vertical;  // a vertical asymptote, NaN for none
  std::size_t runs;
};

TEST(StudyGraph, CurveCutWhereItMustBe) {
  const double none = std::nan("");
  const Row rows[] = {
      {"one piece", "x^2", none, 1},
      {"cut at the vertical asymptote", "1/x", 0, 2},
      {"undefined on the left: the run starts at 0", "sqrt(x)", none, 1},
      // tg leaves the view at the top and comes back at the bottom near ±π/2: cut there even
      // with no asymptote named.
      {"leaves the view and comes back", "tan(x)", none, 3},
      {"no formula, no curve", "", none, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Sheet s;
    s.tableReady = true;
    s.view = {-2, 2, -5, 5};
    s.function.data.typed = r.f;
    if (!std::isnan(r.vertical)) {
      s.asymptotes.determined = true;
      s.asymptotes.data.items.push_back(
          {AsymptoteKind::Vertical, Side::Both, N(r.vertical), {}, {}});
    }
    const StudyGraph g = MakeStudyGraph(s, 400);
    ASSERT_EQ(g.curve.size(), r.runs);
    if (std::string(r.f) == "sqrt(x)") {
      EXPECT_GE(g.curve[0].front().first, 0);
    }
    for (const auto& run : g.curve) {
      ASSERT_FALSE(run.empty());
      for (const auto& [x, y] : run) {
        EXPECT_TRUE(std::isfinite(y));
        EXPECT_LE(std::fabs(y), 5 + 20 * 10) << "held within 20 view heights";
      }
      if (!std::isnan(r.vertical)) {
        EXPECT_EQ(run.front().first < r.vertical, run.back().first < r.vertical)
            << "no run crosses the asymptote";
      }
    }
  }
}

TEST(StudyGraph, AsymptotesAcrossTheView) {
  Sheet s;
  s.tableReady = true;
  s.view = {-4, 6, -3, 7};
  s.asymptotes.determined = true;
  s.asymptotes.data.items = {{AsymptoteKind::Vertical, Side::Both, N(2), {}, {}},
                             {AsymptoteKind::Horizontal, Side::Both, {}, {}, N(1)},
                             {AsymptoteKind::Oblique, Side::Both, {}, N(0.5), N(1)}};
  const StudyGraph g = MakeStudyGraph(s, 10);
  ASSERT_EQ(g.asymptotes.size(), 3u);
  const GraphLine want[] = {{2, 7, 2, -3}, {-4, 1, 6, 1}, {-4, -1, 6, 4}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(g.asymptotes[i].x1, want[i].x1);
    EXPECT_DOUBLE_EQ(g.asymptotes[i].y1, want[i].y1);
    EXPECT_DOUBLE_EQ(g.asymptotes[i].x2, want[i].x2);
    EXPECT_DOUBLE_EQ(g.asymptotes[i].y2, want[i].y2);
  }
  // Before the table is final the sheet's view is not used.
  s.tableReady = false;
  EXPECT_EQ(MakeStudyGraph(s, 10).view.left, GraphView{}.left);
}

// --- Labels ---------------------------------------------------------------------------------

// Texts measured as a painter would: 6 units a character (a blank 3), lines 14 high.
GraphFonts TestFonts() {
  GraphFonts f;
  auto width = [](const std::string& t) {
    double w = 0;
    for (unsigned char c : t) {
      if ((c & 0xC0) != 0x80) w += c == ' ' ? 3 : 6;
    }
    return w;
  };
  f.tickWidth = width;
  f.tickHeight = 12;
  f.tickAscent = 9;
  f.labelWidth = width;
  f.labelHeight = 14;
  f.labelAscent = 11;
  return f;
}

GraphPoint Pt(double x, double y, std::string label) {
  return GraphPoint{{N(x), N(y)}, PointKind::Intercept, std::move(label)};
}

struct Crowd {
  const char* what;
  GraphView view;
  std::vector<GraphPoint> points;
  std::vector<std::pair<double, double>> curve;  // one run
  std::vector<GraphLine> lines;                  // asymptotes, labelled "a1", "a2", ...
  int numbered;                                  // labels that must stand as numbers, -1: any
};

// Every label inside the frame, none over another, a tick's number or a point's mark; the
// labels that stand as numbers are in the legend in order; a label the layout could place
// beside its point does not cross the curve when it has a place that does not.
TEST(StudyGraphLabels, CrowdedCasesStayReadable) {
  const std::string longLabel = "(2 + √5; (6 + 4√5)·e^(−2 − √5))";
  std::vector<GraphPoint> row, cluster, edge;
  for (int i = 0; i < 7; ++i) row.push_back(Pt(-3 + i * 0.25, 0, "(" + std::to_string(i) + "; 0)"));
  for (int i = 0; i < 10; ++i) cluster.push_back(Pt(1, 1, "(1; 1) n. " + std::to_string(i)));
  edge = {Pt(4.9, 4.9, longLabel), Pt(-4.9, 4.9, longLabel), Pt(4.9, -4.9, longLabel),
          Pt(-4.9, -4.9, longLabel)};
  std::vector<std::pair<double, double>> steep, flat;
  for (int k = 0; k <= 200; ++k) {
    const double x = -5 + k * 0.05;
    steep.push_back({x, x * x * x / 10});
    flat.push_back({x, 0.2 * x});
  }
  const Crowd rows[] = {
      {"zeros side by side on the axis, over the ticks' numbers", {-5, 5, -5, 5}, row, {}, {}, -1},
      {"ten labels on one point: numbers and a legend", {-5, 5, -5, 5}, cluster, {}, {}, -1},
      {"long labels in the four corners", {-5, 5, -5, 5}, edge, {}, {}, 0},
      {"points on a steep curve",
       {-5, 5, -5, 5},
       {Pt(0, 0, "(0; 0)"), Pt(1, 0.1, "(1; 1/10)"), Pt(2, 0.8, "(2; 4/5)"),
        Pt(-2, -0.8, "(−2; −4/5)")},
       steep,
       {},
       0},
      {"the long label of e^(−x)·(x² − 3) at the right edge, over the axis",
       {-2.6, 5.1, -6.3, 0.9},
       {Pt(4.236, 0.17, longLabel), Pt(3, 0.3, "(3; 6/e³)"), Pt(1.732, 0, "(√3; 0)")},
       flat,
       {{-2.6, 0, 5.1, 0}},
       0},
      {"asymptotes at the frame's edges",
       {-5, 5, -5, 5},
       {Pt(4.5, 4.5, "(9/2; 9/2)")},
       flat,
       {{4.8, 5, 4.8, -5}, {-5, -5, 5, 5}, {-5, 4.8, 5, 4.8}},
       0},
  };
  const double W = 600, H = 400;
  for (const Crowd& c : rows) {
    SCOPED_TRACE(c.what);
    StudyGraph g;
    g.view = c.view;
    g.points = c.points;
    if (!c.curve.empty()) g.curve.push_back(c.curve);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      g.asymptotes.push_back(c.lines[i]);
      g.asymptoteTexts.push_back("y = a" + std::to_string(i + 1));
      g.asymptoteLatex.push_back("y = a" + std::to_string(i + 1));
    }
    const GraphLayout l = LayOutGraph(g, W, H, TestFonts());
    ASSERT_EQ(l.labels.size(), c.points.size() + c.lines.size());
    int numbered = 0;
    for (std::size_t i = 0; i < l.labels.size(); ++i) {
      const GraphLabel& a = l.labels[i];
      const GraphBox& b = a.placed.box;
      SCOPED_TRACE(a.placed.text);
      EXPECT_GE(b.left, 0);
      EXPECT_GE(b.top, 0);
      EXPECT_LE(b.right(), W);
      EXPECT_LE(b.bottom(), H);
      for (std::size_t j = i + 1; j < l.labels.size(); ++j)
        EXPECT_FALSE(b.Overlaps(l.labels[j].placed.box)) << l.labels[j].placed.text;
      for (const GraphText& t : l.tickTexts) EXPECT_FALSE(b.Overlaps(t.box)) << t.text;
      for (const GraphPoint& p : c.points) {
        const GraphBox mark{l.X(p.p.x.value) - 3, l.Y(p.p.y.value) - 3, 6, 6};
        EXPECT_FALSE(b.Overlaps(mark)) << p.label;
      }
      if (a.number > 0) {
        ++numbered;
        EXPECT_EQ(a.placed.text, std::to_string(a.number));
        ASSERT_GE(l.legend.size(), std::size_t(a.number));
        const std::string& full = a.point >= 0 ? c.points[std::size_t(a.point)].label
                                               : g.asymptoteTexts[std::size_t(a.asymptote)];
        EXPECT_EQ(l.legend[std::size_t(a.number - 1)].text, std::to_string(a.number) + ": " + full);
      } else if (!c.curve.empty()) {
        // Placed beside its point: clear of the curve.
        for (std::size_t k = 1; k < c.curve.size(); ++k) {
          const double x1 = l.X(c.curve[k - 1].first), y1 = l.Y(c.curve[k - 1].second);
          const double x2 = l.X(c.curve[k].first), y2 = l.Y(c.curve[k].second);
          const double xm = (x1 + x2) / 2, ym = (y1 + y2) / 2;
          EXPECT_FALSE(xm > b.left && xm < b.right() && ym > b.top && ym < b.bottom())
              << "the curve runs through the label near x = " << c.curve[k].first;
        }
      }
    }
    // A tick's number gives way to a point's mark.
    for (const GraphText& t : l.tickTexts) {
      for (const GraphPoint& p : c.points) {
        const GraphBox mark{l.X(p.p.x.value) - 3, l.Y(p.p.y.value) - 3, 6, 6};
        EXPECT_FALSE(t.box.Overlaps(mark)) << t.text << " over " << p.label;
      }
    }
    EXPECT_EQ(std::size_t(numbered), l.legend.size());
    if (c.numbered >= 0) {
      EXPECT_EQ(numbered, c.numbered);
    }
  }
}

// The equations of the asymptotes are their labels; a line serving both infinities is one line.
TEST(StudyGraphLabels, AsymptotesNamedByTheirEquations) {
  Sheet s;
  s.tableReady = true;
  s.view = {-4, 6, -3, 7};
  s.asymptotes.determined = true;
  Number one{"1", "1", 1, true}, two{"2", "2", 2, true};
  s.asymptotes.data.items = {{AsymptoteKind::Vertical, Side::Both, two, {}, {}},
                             {AsymptoteKind::Oblique, Side::MinusInfinity, {}, one, two},
                             {AsymptoteKind::Oblique, Side::PlusInfinity, {}, one, two},
                             {AsymptoteKind::Horizontal, Side::PlusInfinity, {}, {}, one}};
  const StudyGraph g = MakeStudyGraph(s, 10);
  EXPECT_EQ(g.asymptoteTexts, (std::vector<std::string>{"x = 2", "y = x + 2", "y = 1"}));
  EXPECT_EQ(g.asymptoteLatex, (std::vector<std::string>{"x = 2", "y = x + 2", "y = 1"}));
}

// Beside a vertical asymptote the branch is seen running off the frame close to the line (within
// 8% of the view's width), not cut off far from it by a view that holds only the noteworthy
// points.
TEST(StudyGraphView, BranchesLeaveTheFrameBesideAVerticalAsymptote) {
  const testing::Canned rows[] = {testing::WorkedExample(), testing::CubicOverSquare()};
  for (const testing::Canned& c : rows) {
    SCOPED_TRACE(c.funzione);
    testing::CannedEngine engine(c);
    const Sheet sheet = BuildSheet(engine, c.funzione);
    ASSERT_TRUE(sheet.tableReady);
    const StudyGraph g = MakeStudyGraph(sheet, 2000);
    const GraphView& v = g.view;
    int branches = 0;
    for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
      if (a.kind != AsymptoteKind::Vertical) continue;
      for (int side : {-1, 1}) {
        // The samples of the branch on this side, nearest the line first.
        std::vector<std::pair<double, double>> branch;
        for (const auto& run : g.curve) {
          for (const auto& xy : run) {
            if ((xy.first - a.x.value) * side > 0 &&
                std::fabs(xy.first - a.x.value) < 0.5 * (v.right - v.left)) {
              branch.push_back(xy);
            }
          }
        }
        std::sort(branch.begin(), branch.end(), [&](const auto& p, const auto& q) {
          return std::fabs(p.first - a.x.value) < std::fabs(q.first - a.x.value);
        });
        ASSERT_FALSE(branch.empty());
        // Where the branch, coming from the inside, is last inside the view.
        double exit = NAN;
        for (const auto& [x, y] : branch) {
          if (y >= v.bottom && y <= v.top) {
            exit = std::fabs(x - a.x.value);
            break;
          }
        }
        ++branches;
        EXPECT_LE(exit, 0.08 * (v.right - v.left)) << "side " << side << " of x = " << a.x.text;
      }
    }
    EXPECT_GT(branches, 0);
  }
}

}  // namespace
}  // namespace curvalis::study
