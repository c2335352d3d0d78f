// The zeros: sign changes refined by secants, exact zeros and zeros at the edge of the
// domain, listed under "Zeri" in the text frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

const std::string kHeading = std::string(106, ' ') + "Zeri";

// A listing line: "x=" at column 100, "f(x)=" at column 113.
std::string Line(const std::string& x, const std::string& fx) {
  std::string s = std::string(99, ' ') + "x=" + x;
  if (s.size() < 112) s.append(112 - s.size(), ' ');
  return s + "f(x)=" + fx;
}

std::vector<std::string> Listing(testing::Bench& b, const char* formula) {
  auto ctx = b.ctx(formula);
  mZeri(ctx);
  auto prints = b.rec.prints();
  EXPECT_FALSE(prints.empty()) << formula;
  if (!prints.empty()) {
    EXPECT_EQ(prints.front(), kHeading) << formula;
    prints.erase(prints.begin());
  }
  return prints;
}

TEST(Zeros, ListsTheTwoRootsOfXSquaredMinusTwoCutDownToThousandths) {
  testing::Bench b;
  auto lines = Listing(b, "x^2-2");
  ASSERT_EQ(lines.size(), 2u);
  // The printed text in full, blanks and tab padding included.
  EXPECT_EQ(lines[0], std::string(99, ' ') + "x=-1.415     f(x)= 0 ");
  EXPECT_EQ(lines[1], std::string(99, ' ') + "x= 1.414     f(x)=-.001 ");
}

struct ZeroCase {
  const char* formula;
  std::vector<std::string> lines;
};

TEST(Zeros, Listings) {
  const ZeroCase cases[] = {
      // An exact zero on a sample; the products next to it are 0, no sign change.
      {"x", {Line(" 0 ", " 0 ")}},
      // The first secant step lands on the root.
      {"x-0.01", {Line(" .01 ", " 0 ")}},
      {"x^2", {Line(" 0 ", " 0 ")}},  // a double root on a sample
      {"x^2+1", {}},
      {"1/x", {}},  // undefined at 0, |f| = 20 beside it
      {"sqrt(x)", {Line(" 0 ", " 0 ")}},
      {"ln(x)", {Line(" 1 ", " 0 ")}},  // |f| >= .5 next to the undefined samples
      {"sin(x)", {Line("-3.142 ", "-.001 "), Line(" 0 ", " 0 "), Line(" 3.141 ", " 0 ")}},
      // The sign changes across the poles refine to no small value.
      {"tan(x)", {Line("-3.142 ", "-.001 "), Line(" 0 ", " 0 "), Line(" 3.141 ", " 0 ")}},
      // The edge of the domain at 0 holds -.3 and |f| falls away from it: only the true
      // zero near .09 (Decision 3).
      {"sqrt(x)-0.3", {Line(" .089 ", "-.001 ")}},
      // At an edge of the domain a sample is a zero when |f| falls towards the edge.
      {"sqrt(x+0.02)-0.1", {Line(" 0 ", " .041 ")}},
      {"sqrt(0.22-x)-0.1", {Line(" .2 ", " .041 ")}},
      // The first secant point of the second sign change falls into a hole: that sign
      // change lists nothing, and the root found before is not listed again (Decision 11).
      {"if(abs(x-1.025)<0.001,1/0,(x+1.01)*(x-1.025))", {Line("-1.011 ", " 0 ")}},
      // Truth values count as 1 and 0: FALSE at 1 is an exact zero.
      {"if(x<1,-1,x>1)", {Line(" 1 ", " 0 ")}},
  };
  for (const ZeroCase& c : cases) {
    testing::Bench b;
    EXPECT_EQ(Listing(b, c.formula), c.lines) << c.formula;
    EXPECT_TRUE(b.host.messages.empty()) << c.formula;
  }
}

TEST(Zeros, OneTextLineAfterAnotherUnderTheHeading) {
  testing::Bench b;
  b.surface.SetDrawWidth(3);
  auto ctx = b.ctx("sin(x)");
  mZeri(ctx);
  // Only the white point of the heading is plotted, with the width found; nothing is marked.
  auto points = b.rec.of(Op::Point);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].color, Palette(15));
  EXPECT_EQ(points[0].x1, 0);
  EXPECT_EQ(points[0].y1, 2);
  EXPECT_EQ(points[0].width, 3);
  EXPECT_EQ(b.surface.drawWidth(), 3);
  auto prints = b.rec.of(Op::Print);
  ASSERT_EQ(prints.size(), 4u);
  const float step = 64.0f * Surface::kLineHeightPx / 434;
  for (std::size_t k = 0; k < prints.size(); ++k) {
    EXPECT_EQ(prints[k].x1, 0);
    EXPECT_NEAR(prints[k].y1, 2 + step * k, 1e-4);
  }
  auto scale = b.rec.of(Op::Scale);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_EQ(scale[0].x2, 48);
  EXPECT_EQ(scale[0].y2, 64);
}

TEST(Zeros, FollowTheViewFarFromTheOrigin) {
  testing::Bench b;
  b.view.OffsetX = 100000;
  b.view.PresetView = 0;
  auto lines = Listing(b, "sin(x)");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(99, ' ') + "x= 99996.894 f(x)= 0 ");
  EXPECT_EQ(lines[1], Line(" 100000.035 ", " 0 "));
  EXPECT_EQ(lines[2], Line(" 100003.177 ", " 0 "));
}

}  // namespace
}  // namespace curvalis
