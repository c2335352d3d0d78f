#include "analysis/integral.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

constexpr const char* kFailed = "Integrale non calcolabile,variare gli estremi di integrazione!";
const Rgb kYellow = Palette(14), kGreen = Palette(10), kRed = Palette(12), kBlue = Palette(9);

// The integral window without the window: its diagram, the main drawing, its book.
struct Window {
  Surface diagram{std::string(kDiagramSurface), kDiagramWidthPx, kDiagramHeightPx};
  testing::Recorder rec;
  testing::Bench main;
  EvalServer server;
  IntegraleFields fields{"old area", "old legend"};
  Window() { diagram.AddSink(&rec); }

  IntegraleContext Context(const std::string& f, const std::string& sup, const std::string& inf,
                           const std::string& seg, const std::string& sep = ".") {
    return IntegraleContext{diagram, main.surface, server.book(), main.host, f, sup, inf, seg, sep};
  }
  IntegralOutcome Uguale(const std::string& f, const std::string& sup, const std::string& inf,
                         const std::string& seg = "20", const std::string& sep = ".") {
    IntegraleContext ctx = Context(f, sup, inf, seg, sep);
    return ComputeIntegral(ctx, fields);
  }
  void Click(const std::string& f, const std::string& sup, const std::string& inf) {
    IntegraleContext ctx = Context(f, sup, inf, "20");
    RedrawDiagram(ctx);
  }
  std::vector<Op> hatching() const {
    std::vector<Op> out;
    for (const Op& op : rec.of(Op::Line)) {
      if (op.color == kYellow || op.color == kGreen) out.push_back(op);
    }
    return out;
  }
};

struct AreaCase {
  const char* funzione;
  const char* superiore;
  const char* inferiore;
  const char* segmenti;
  const char* separator;
  const char* area;
  std::string_view legend;
};

class IntegralArea : public ::testing::TestWithParam<AreaCase> {};

TEST_P(IntegralArea, ShowsTheResultCutToThousandthsAndTheLegend) {
  const AreaCase& c = GetParam();
  Window w;
  EXPECT_EQ(w.Uguale(c.funzione, c.superiore, c.inferiore, c.segmenti, c.separator),
            IntegralOutcome::Shown);
  EXPECT_EQ(w.fields.area, c.area);
  EXPECT_EQ(w.fields.label, c.legend);
  EXPECT_EQ(w.main.host.texts,
            (std::vector<std::string>{std::string("Integrale.Area=") + c.area,
                                      "Integrale.Label=" + std::string(c.legend)}));
  EXPECT_TRUE(w.main.host.messages.empty());
  EXPECT_EQ(w.main.host.busy(), 0);
  EXPECT_FALSE(w.server.book().sheetTaken());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegralArea,
    ::testing::Values(
        AreaCase{"x^2", "1", "0", "20", ".", "0.333", kLegendAscending},
        AreaCase{"x^2", "1", "0", "20", ",", "0,333", kLegendAscending},
        AreaCase{"x^2", "0", "1", "20", ".", "-0.334", kLegendDescending},
        AreaCase{"x^2", "1", "0", "1000", ".", "0.333", kLegendAscending},
        // Node counts through a constant: the weights sum to 6 for one segment (a, the
        // middle, b) and to 12 for 2.5 (the even node 2 h, the odd nodes h and 3 h).
        AreaCase{"1", "3", "0", "1", ".", "3", kLegendAscending},
        AreaCase{"1", "7.5", "0", "2.5", ".", "6", kLegendAscending},
        AreaCase{"1", "1.5", "0", "0.5", ".", "1", kLegendAscending},
        // Decision 13: a truth value counts as 1 or 0.
        AreaCase{"x>=0", "3", "0", "1", ".", "3", kLegendAscending},
        AreaCase{"x^3", "3", "0", "1", ".", "20.25", kLegendAscending},
        AreaCase{"-1", "1.5", "0", "1", ".", "-1.5", kLegendAscending},
        // Decision 13: the negative zero of a descending integral of 0 shows as "0".
        AreaCase{"0", "0", "1", "20", ".", "0", kLegendDescending}));

struct FailCase {
  const char* funzione;
  const char* superiore;
  const char* inferiore;
  const char* segmenti;
  const char* message;
};

class IntegralFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(IntegralFailure, KeepsTheResultAndClearsTheDiagram) {
  const FailCase& c = GetParam();
  Window w;
  w.main.surface.SetDrawWidth(3);
  w.diagram.SetDrawWidth(2);
  IntegralOutcome outcome = w.Uguale(c.funzione, c.superiore, c.inferiore, c.segmenti);
  EXPECT_EQ(w.main.host.messages, std::vector<std::string>{c.message});
  EXPECT_EQ(w.fields.area, "old area");
  EXPECT_EQ(w.fields.label, "old legend");
  EXPECT_TRUE(w.main.host.texts.empty());
  ASSERT_EQ(w.rec.ops.size(), 1u);
  EXPECT_EQ(w.rec.ops[0].kind, Op::Clear);
  EXPECT_EQ(w.main.host.busy(), 0);
  EXPECT_FALSE(w.server.book().sheetTaken());
  if (std::string_view(c.message) == kFailed) {
    EXPECT_EQ(outcome, IntegralOutcome::NotComputable);
    EXPECT_EQ(w.diagram.drawWidth(), 1);
    EXPECT_EQ(w.main.surface.drawWidth(), 3);
  } else {
    EXPECT_EQ(outcome, IntegralOutcome::FormulaError);
    EXPECT_EQ(w.main.surface.drawWidth(), 1);
    EXPECT_EQ(w.diagram.drawWidth(), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegralFailure,
    ::testing::Values(
        // Decision 7: a count not above 0 or above 10,000,000, also with equal limits.
        FailCase{"x^2", "1", "0", "0", kFailed}, FailCase{"x^2", "1", "0", "abc", kFailed},
        FailCase{"x^2", "1", "0", "", kFailed}, FailCase{"x^2", "1", "0", "-5", kFailed},
        FailCase{"x^2", "1", "0", "1E15", kFailed}, FailCase{"x^2", "1", "0", "10000001", kFailed},
        FailCase{"x^2", "1", "1", "0", kFailed}, FailCase{"x^2", "", "", "abc", kFailed},
        // h comes before the formula is stored.
        FailCase{"x+", "1", "0", "0", kFailed},
        // f undefined at a limit or a node; a text is no number.
        FailCase{"1/x", "1", "0", "20", kFailed}, FailCase{"1/(x-0.5)", "1", "0", "20", kFailed},
        FailCase{"sqrt(x)", "1", "-1", "20", kFailed}, FailCase{"\"a\"", "1", "0", "20", kFailed},
        // Limits beyond the double range, or a sum beyond it.
        FailCase{"x", "1E400", "0", "20", kFailed},
        FailCase{"1E300", "1E300", "-1E300", "20", kFailed},
        // A rejected formula.
        FailCase{"x+", "1", "0", "20", "Errore nella formula!"},
        FailCase{"", "1", "0", "20", "Errore nella formula!"}));

TEST(IntegralEqualLimits, ShowsZeroAndEvaluatesNothing) {
  for (const char* limit : {"2", "", "abc"}) {
    Window w;
    // A rejected formula shows that nothing is stored or evaluated.
    EXPECT_EQ(w.Uguale("x+", limit, limit), IntegralOutcome::EqualLimits);
    EXPECT_EQ(w.fields.area, "0");
    EXPECT_EQ(w.fields.label, "old legend");
    EXPECT_EQ(w.main.host.texts, std::vector<std::string>{"Integrale.Area=0"});
    EXPECT_TRUE(w.main.host.messages.empty());
    ASSERT_EQ(w.rec.ops.size(), 1u);
    EXPECT_EQ(w.rec.ops[0].kind, Op::Clear);
    EXPECT_EQ(w.main.host.busy(), 0);
  }
}

TEST(IntegralDiagram, ParabolaFromZeroToOne) {
  Window w;
  ASSERT_EQ(w.Uguale("x^2", "1", "0"), IntegralOutcome::Shown);
  const std::vector<Op>& ops = w.rec.ops;
  ASSERT_GE(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, Op::Clear);
  ASSERT_EQ(ops[1].kind, Op::Scale);
  EXPECT_FLOAT_EQ(ops[1].x1, -0.5f);
  EXPECT_FLOAT_EQ(ops[1].y1, 0.58f);
  EXPECT_FLOAT_EQ(ops[1].x2, 1.5f);
  EXPECT_FLOAT_EQ(ops[1].y2, -0.58f);
  // The axis in black with width 1, then the ticks of width 2 with their labels.
  ASSERT_EQ(ops[2].kind, Op::Line);
  EXPECT_EQ(ops[2].color, kBlack);
  EXPECT_EQ(ops[2].width, 1);
  EXPECT_EQ(ops[2].x1, -0.5f);
  EXPECT_EQ(ops[2].x2, 1.5f);
  std::vector<Op> ticks = w.rec.points(kBlue);
  ASSERT_EQ(ticks.size(), 5u);
  for (int k = 0; k < 5; ++k) {
    EXPECT_FLOAT_EQ(ticks[k].x1, -0.5f + 0.5f * k);
    EXPECT_EQ(ticks[k].y1, 0);
    EXPECT_EQ(ticks[k].width, 2);
  }
  EXPECT_EQ(w.rec.prints(), (std::vector<std::string>{"-.5 ", " 0 ", " .5 ", " 1 ", " 1.5 "}));
  // 63 red pieces: the parabola is nowhere steeper than 10 here.
  EXPECT_EQ(w.rec.lines(kRed).size(), 63u);
  // 33 hatching lines from 0 to 1, W/64 apart: yellow up to the curve or the frame, and at 0,
  // where f is 0, a green one of no length.
  std::vector<Op> hatch = w.hatching();
  ASSERT_EQ(hatch.size(), 33u);
  for (int k = 0; k <= 32; ++k) {
    const Op& line = hatch[k];
    float x = k / 32.0f;
    EXPECT_EQ(line.x1, x);
    EXPECT_EQ(line.x2, x);
    EXPECT_EQ(line.y1, 0);
    EXPECT_EQ(line.width, 1);
    EXPECT_EQ(line.color, k == 0 ? kGreen : kYellow) << k;
    EXPECT_FLOAT_EQ(line.y2, std::min(x * x, 0.58f)) << k;
  }
  EXPECT_EQ(w.diagram.drawWidth(), 1);
}

TEST(IntegralDiagram, SwappedLimitsDrawTheSameDiagram) {
  Window up, down;
  up.Uguale("x^2", "1", "0");
  down.Uguale("x^2", "0", "1");
  ASSERT_EQ(up.rec.ops.size(), down.rec.ops.size());
  for (std::size_t i = 0; i < up.rec.ops.size(); ++i) {
    const Op &a = up.rec.ops[i], &b = down.rec.ops[i];
    EXPECT_TRUE(a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
                a.color == b.color && a.text == b.text)
        << "op " << i;
  }
}

TEST(IntegralDiagram, LineHatchesGreenLeftAndYellowRight) {
  Window w;
  ASSERT_EQ(w.Uguale("x", "1", "-1"), IntegralOutcome::Shown);
  std::vector<Op> scale = w.rec.of(Op::Scale);
  ASSERT_EQ(scale.size(), 1u);
  EXPECT_FLOAT_EQ(scale[0].x1, -2);
  EXPECT_FLOAT_EQ(scale[0].x2, 2);
  EXPECT_FLOAT_EQ(scale[0].y1, 1.16f);
  EXPECT_FLOAT_EQ(scale[0].y2, -1.16f);
  std::vector<Op> hatch = w.hatching();
  ASSERT_EQ(hatch.size(), 33u);
  for (const Op& line : hatch) {
    EXPECT_EQ(line.color, line.x1 > 0 ? kYellow : kGreen) << line.x1;
    EXPECT_EQ(line.y2, line.x1);  // each line ends on the curve
  }
}

TEST(IntegralDiagram, UndefinedSampleInsideTheLimitsDrawsNoCurveAndFullYellow) {
  // The nodes of one segment (0, .5, 1) are defined; the diagram sample .25 is not.
  Window w;
  ASSERT_EQ(w.Uguale("1/(x-0.25)/100", "1", "0", "1"), IntegralOutcome::Shown);
  int full = 0;
  for (const Op& line : w.hatching()) {
    if (line.x1 == 0.25f) {
      EXPECT_EQ(line.color, kYellow);
      EXPECT_FLOAT_EQ(line.y2, 0.58f);
      ++full;
    }
  }
  EXPECT_EQ(full, 1);
  for (const Op& piece : w.rec.lines(kRed)) {
    EXPECT_NE(piece.x1, 0.25f);
    EXPECT_NE(piece.x2, 0.25f);
  }
}

TEST(IntegralDiagram, ClickRedrawsTheCurveWithoutHatching) {
  Window computed, clicked;
  computed.Uguale("x^2", "1", "0");
  clicked.fields = computed.fields;
  clicked.Click("x^2", "0", "1");  // limits high to low: the same diagram
  EXPECT_EQ(clicked.main.host.commands, std::vector<std::string>{"Integrale.Diagramma"});
  EXPECT_TRUE(clicked.hatching().empty());
  std::vector<Op> a, b;
  for (const Op& op : computed.rec.ops) {
    if (!(op.kind == Op::Line && (op.color == kYellow || op.color == kGreen))) a.push_back(op);
  }
  b = clicked.rec.ops;
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_TRUE(a[i].kind == b[i].kind && a[i].x1 == b[i].x1 && a[i].y1 == b[i].y1 &&
                a[i].x2 == b[i].x2 && a[i].y2 == b[i].y2 && a[i].color == b[i].color &&
                a[i].text == b[i].text)
        << "op " << i;
  }
  EXPECT_TRUE(clicked.main.host.texts.empty());
  EXPECT_EQ(clicked.main.host.busy(), 0);
  EXPECT_FALSE(clicked.server.book().sheetTaken());
}

TEST(IntegralDiagram, ClickWithEqualLimitsOnlyClears) {
  Window w;
  w.Click("x+", "", "");
  ASSERT_EQ(w.rec.ops.size(), 1u);
  EXPECT_EQ(w.rec.ops[0].kind, Op::Clear);
  EXPECT_TRUE(w.main.host.messages.empty());
}

TEST(IntegralDiagram, ClickWithRejectedFormulaKeepsTheFrame) {
  Window w;
  w.main.surface.SetDrawWidth(3);
  w.Click("x+", "1", "0");
  EXPECT_EQ(w.main.host.messages, std::vector<std::string>{"Errore nella formula!"});
  EXPECT_EQ(w.rec.points(kBlue).size(), 5u);
  EXPECT_EQ(w.rec.prints().size(), 5u);
  EXPECT_TRUE(w.rec.lines(kRed).empty());
  EXPECT_EQ(w.main.surface.drawWidth(), 1);
  // The diagram keeps the width of its ticks, and the next axis is drawn with it.
  EXPECT_EQ(w.diagram.drawWidth(), 2);
  w.rec.clear();
  w.Uguale("x", "1", "0");
  ASSERT_GE(w.rec.ops.size(), 3u);
  EXPECT_EQ(w.rec.ops[2].color, kBlack);
  EXPECT_EQ(w.rec.ops[2].width, 2);
}

TEST(IntegralDiagram, ClickWithLimitsBeyondTheRangeEndsSilently) {
  Window w;
  w.Click("x", "1E400", "0");
  EXPECT_TRUE(w.main.host.messages.empty());
  ASSERT_EQ(w.rec.ops.size(), 1u);
  EXPECT_EQ(w.main.host.busy(), 0);
}

TEST(IntegralProgress, Decision7CancelLeavesEverythingAsItWas) {
  Window w;
  w.Uguale("x", "1", "0");
  const std::size_t drawn = w.rec.ops.size();
  const IntegraleFields before = w.fields;
  w.main.host.texts.clear();
  std::vector<double> reported;
  Progress progress{[&](double done) { reported.push_back(done); }, [] { return false; }};
  IntegraleContext ctx = w.Context("x^2", "2", "0", "100000");
  ctx.progress = &progress;
  EXPECT_EQ(ComputeIntegral(ctx, w.fields), IntegralOutcome::Cancelled);
  EXPECT_EQ(reported.size(), 1u);
  EXPECT_EQ(w.fields.area, before.area);
  EXPECT_EQ(w.fields.label, before.label);
  EXPECT_EQ(w.rec.ops.size(), drawn);  // not even cleared
  EXPECT_TRUE(w.main.host.texts.empty());
  EXPECT_TRUE(w.main.host.messages.empty());
  EXPECT_EQ(w.main.host.busy(), 0);
  EXPECT_FALSE(w.server.book().sheetTaken());
}

TEST(IntegralProgress, Decision7ReportsAsItGoes) {
  Window w;
  std::vector<double> reported;
  int asked = 0;
  Progress progress{[&](double done) { reported.push_back(done); },
                    [&] {
                      ++asked;
                      return true;
                    }};
  IntegraleContext ctx = w.Context("x^2", "1", "0", "100000");
  ctx.progress = &progress;
  EXPECT_EQ(ComputeIntegral(ctx, w.fields), IntegralOutcome::Shown);
  EXPECT_EQ(w.fields.area, "0.333");
  ASSERT_EQ(reported.size(), 3u);  // 199,999 evaluations, one report every 65,536
  EXPECT_EQ(asked, 3);
  for (std::size_t i = 1; i < reported.size(); ++i) EXPECT_GT(reported[i], reported[i - 1]);
  EXPECT_GT(reported.front(), 0);
  EXPECT_LT(reported.back(), 1);
}

}  // namespace
}  // namespace curvalis
