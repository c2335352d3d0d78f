// The study's graph as data: where the curve is cut into runs, and the asymptotes as lines
// across the view.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

}  // namespace
}  // namespace curvalis::study
