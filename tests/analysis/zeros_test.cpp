// The zeros: sign changes refined by secants, exact zeros and zeros at the edge of the
// domain, listed one text line after another under "Zeri".
#include <gtest/gtest.h>

#include "analysis/analyses.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

// A listing line: "x=" at column 100, "f(x)=" at column 113.
std::string Line(const std::string& x, const std::string& fx) {
  std::string s = std::string(99, ' ') + "x=" + x;
  if (s.size() < 112) s.append(112 - s.size(), ' ');
  return s + "f(x)=" + fx;
}

TEST(Zeros, Listings) {
  struct Case {
    const char* formula;
    std::vector<std::string> lines;
    double offsetX = 0;
  };
  const std::string at100(99, ' ');
  const Case cases[] = {
      // Roots cut down to thousandths; the text in full, tab padding included.
      {"x^2-2", {at100 + "x=-1.415     f(x)= 0 ", at100 + "x= 1.414     f(x)=-.001 "}},
      {"x", {Line(" 0 ", " 0 ")}},         // an exact zero; the products beside it are 0
      {"x-0.01", {Line(" .01 ", " 0 ")}},  // the first secant step lands on the root
      {"x^2", {Line(" 0 ", " 0 ")}},
      {"x^2+1", {}},
      {"1/x", {}},  // undefined at 0, |f| = 20 beside it
      {"sqrt(x)", {Line(" 0 ", " 0 ")}},
      {"ln(x)", {Line(" 1 ", " 0 ")}},  // |f| >= .5 beside the undefined samples
      {"sin(x)", {Line("-3.142 ", "-.001 "), Line(" 0 ", " 0 "), Line(" 3.141 ", " 0 ")}},
      // The sign changes across the poles refine to no small value.
      {"tan(x)", {Line("-3.142 ", "-.001 "), Line(" 0 ", " 0 "), Line(" 3.141 ", " 0 ")}},
      // At the edge of the domain a sample counts when |f| falls towards the edge; -.3 at 0
      // with |f| falling away from it is no zero, only the true one near .09 ("Zeros beside an
      // undefined sample").
      // "Zeros beside an undefined sample".
      {"sqrt(x)-0.3", {Line(" .089 ", "-.001 ")}},
      {"sqrt(x+0.02)-0.1", {Line(" 0 ", " .041 ")}},
      {"sqrt(0.22-x)-0.1", {Line(" .2 ", " .041 ")}},
      // The first secant point of the second sign change falls into a hole: it lists
      // nothing, and the root found before is not listed again ("Secant values").
      {"if(abs(x-1.025)<0.001,1/0,(x+1.01)*(x-1.025))", {Line("-1.011 ", " 0 ")}},
      {"if(x<1,-1,x>1)", {Line(" 1 ", " 0 ")}},  // FALSE is 0
      {"sin(x)",
       {at100 + "x= 99996.894 f(x)= 0 ", Line(" 100000.035 ", " 0 "), Line(" 100003.177 ", " 0 ")},
       100000},
  };
  for (const Case& c : cases) {
    testing::Bench b;
    b.view.OffsetX = c.offsetX;
    b.surface.SetDrawWidth(3);
    auto ctx = b.ctx(c.formula);
    mZeri(ctx);
    auto prints = b.rec.of(testing::Op::Print);
    ASSERT_EQ(prints.size(), 1 + c.lines.size()) << c.formula;
    EXPECT_EQ(prints[0].text, std::string(106, ' ') + "Zeri");
    const float step = 64.0f * Surface::kLineHeightPx / 434;  // one text line after another
    for (std::size_t k = 1; k < prints.size(); ++k) {
      EXPECT_EQ(prints[k].text, c.lines[k - 1]) << c.formula;
      EXPECT_NEAR(prints[k].y1, 2 + step * k, 1e-4) << c.formula;
    }
    // Only the white point of the heading, with the width found, which stays.
    auto points = b.rec.of(testing::Op::Point);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_TRUE(points[0].color == Palette(15) && points[0].y1 == 2 && points[0].width == 3);
    EXPECT_EQ(b.surface.drawWidth(), 3);
  }
}

}  // namespace
}  // namespace curvalis
