#include "session/integral.h"

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

constexpr const char* kFailed = "Integrale non calcolabile,variare gli estremi di integrazione!";
constexpr const char* kFormula = "Errore nella formula!";
const Rgb kYellow = Palette(14), kGreen = Palette(10), kRed = Palette(12), kBlue = Palette(9);

bool Same(const Op& a, const Op& b) {
  return a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
         a.color == b.color && a.text == b.text;
}
Op MakeOp(Op::Kind kind, float x1, float y1, float x2, float y2, Rgb color = {}) {
  Op op;
  op.kind = kind;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.color = color;
  return op;
}
bool IsHatching(const Op& op) {
  return op.kind == Op::Line && (op.color == kYellow || op.color == kGreen);
}

// The integral window without the window: its diagram, the main drawing, its book.
struct Window {
  Surface diagram{std::string(kDiagramSurface), kDiagramWidthPx, kDiagramHeightPx};
  testing::Recorder rec;
  testing::Bench main;
  IntegraleFields fields{"old area", "old legend"};
  Window() { diagram.AddSink(&rec); }
  IntegraleContext Context(const char* f, const char* sup, const char* inf, const char* seg,
                           const char* sep = ".") {
    return {diagram, main.surface, main.server.book(), main.host, f, sup, inf, seg, sep};
  }
  IntegralOutcome Uguale(const char* f, const char* sup, const char* inf, const char* seg = "20",
                         const char* sep = ".") {
    IntegraleContext ctx = Context(f, sup, inf, seg, sep);
    return ComputeIntegral(ctx, fields);
  }
  void Click(const char* f, const char* sup, const char* inf) {
    IntegraleContext ctx = Context(f, sup, inf, "abc");
    RedrawDiagram(ctx);
  }
  std::vector<Op> hatching() const {
    std::vector<Op> out;
    for (const Op& op : rec.ops) {
      if (IsHatching(op)) out.push_back(op);
    }
    return out;
  }
  void ExpectClean() {
    EXPECT_EQ(main.host.busy(), 0);
    EXPECT_FALSE(main.server.book().sheetTaken());
  }
};

struct Case {
  const char *funzione, *superiore, *inferiore, *segmenti, *separator;
  const char* area;         // the text of Area, or nullptr when the computation fails
  const char* message;      // the message of a failure, or the legend
  const char* detail = "";  // what the message says under its text
};

class IntegralComputation : public ::testing::TestWithParam<Case> {};

TEST_P(IntegralComputation, ShowsTheResultOrTheMessage) {
  const Case& c = GetParam();
  Window w;
  w.main.surface.SetDrawWidth(3);
  w.diagram.SetDrawWidth(2);
  IntegralOutcome outcome = w.Uguale(c.funzione, c.superiore, c.inferiore, c.segmenti, c.separator);
  w.ExpectClean();
  if (c.area) {
    EXPECT_EQ(outcome, IntegralOutcome::Shown);
    EXPECT_EQ(w.fields.area, c.area);
    EXPECT_EQ(w.fields.label, c.message);
    EXPECT_EQ(w.main.host.texts, (std::vector<std::string>{std::string("Integrale.Area=") + c.area,
                                                           "Integrale.Label=" + w.fields.label}));
    EXPECT_TRUE(w.main.host.messages.empty());
    return;
  }
  // A failure leaves Area and Label and clears the diagram.
  EXPECT_EQ(w.main.host.messages, std::vector<std::string>{c.message});
  EXPECT_EQ(w.main.host.details, std::vector<std::string>{c.detail});
  EXPECT_EQ(w.fields.area, "old area");
  EXPECT_EQ(w.fields.label, "old legend");
  ASSERT_EQ(w.rec.ops.size(), 1u);
  EXPECT_EQ(w.rec.ops[0].kind, Op::Clear);
  const bool formula = std::string_view(c.message) == kFormula;
  EXPECT_EQ(outcome, formula ? IntegralOutcome::FormulaError : IntegralOutcome::NotComputable);
  EXPECT_EQ(w.main.surface.drawWidth(), formula ? 1 : 3);
  EXPECT_EQ(w.diagram.drawWidth(), formula ? 2 : 1);
}

const char* const kUp = kLegendAscending.data();
const char* const kDown = kLegendDescending.data();

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegralComputation,
    ::testing::Values(
        Case{"x^2", "1", "0", "20", ".", "0.333", kUp},
        Case{"x^2", "1", "0", "20", ",", "0,333", kUp},
        Case{"x^2", "0", "1", "20", ".", "-0.334", kDown},
        // Node counts through a constant: weights summing to 6 for one segment (a, the middle,
        // b), to 12 for 2.5 (the even node 2 h, the odd nodes h and 3 h), to 2 for 0.5.
        Case{"1", "3", "0", "1", ".", "3", kUp}, Case{"1", "7.5", "0", "2.5", ".", "6", kUp},
        Case{"1", "1.5", "0", "0.5", ".", "1", kUp}, Case{"x^3", "3", "0", "1", ".", "20.25", kUp},
        // "Truth values as numbers": a truth value counts as 1 or 0, a text as no number; no
        // negative zero.
        Case{"x>=0", "3", "0", "1", ".", "3", kUp}, Case{"0", "0", "1", "20", ".", "0", kDown},
        Case{"\"a\"", "1", "0", "20", ".", nullptr, kFailed},
        // "Integral bounds and progress": a count not above 0 or above 10,000,000 is refused,
        // also with equal limits, and before the formula is stored.
        Case{"x^2", "1", "0", "0", ".", nullptr, kFailed},
        Case{"x^2", "1", "0", "abc", ".", nullptr, kFailed},
        Case{"x^2", "1", "0", "-5", ".", nullptr, kFailed},
        Case{"x^2", "1", "0", "1E15", ".", nullptr, kFailed},
        Case{"x^2", "1", "0", "10000001", ".", nullptr, kFailed},
        Case{"x^2", "", "", "0", ".", nullptr, kFailed},
        Case{"x+", "1", "0", "0", ".", nullptr, kFailed},
        // f undefined at a limit or a node; limits or a sum beyond the double range.
        Case{"1/x", "1", "0", "20", ".", nullptr, kFailed},
        Case{"1/(x-0.5)", "1", "0", "20", ".", nullptr, kFailed},
        Case{"x", "1E400", "0", "20", ".", nullptr, kFailed},
        Case{"1E300", "1E300", "-1E300", "20", ".", nullptr, kFailed},
        // Formulas as students write them.
        Case{"3x\xC2\xB2", "1", "0", "20", ".", "1", kUp},
        Case{"|x|", "1", "-1", "20", ".", "1", kUp},
        Case{"x+", "1", "0", "20", ".", nullptr, kFormula, "Operatore senza operando (colonna 2)"},
        Case{"", "1", "0", "20", ".", nullptr, kFormula, "Formula vuota"},
        Case{"2|x", "1", "0", "20", ".", nullptr, kFormula,
             "Barra del valore assoluto non chiusa (colonna 2)"}));

TEST(IntegralComputation, EqualLimitsShowZeroAndEvaluateNothing) {
  for (const char* limit : {"2", ""}) {
    Window w;
    EXPECT_EQ(w.Uguale("x+", limit, limit), IntegralOutcome::EqualLimits);  // never stored
    EXPECT_EQ(w.fields.area, "0");
    EXPECT_EQ(w.fields.label, "old legend");
    EXPECT_EQ(w.main.host.texts, std::vector<std::string>{"Integrale.Area=0"});
    EXPECT_TRUE(w.main.host.messages.empty());
    ASSERT_EQ(w.rec.ops.size(), 1u);
    EXPECT_EQ(w.rec.ops[0].kind, Op::Clear);
    w.ExpectClean();
  }
}

TEST(IntegralDiagram, ParabolaFromZeroToOneInEitherOrder) {
  Window w, swapped;
  ASSERT_EQ(w.Uguale("x^2", "1", "0"), IntegralOutcome::Shown);
  swapped.Uguale("x^2", "0", "1");
  ASSERT_EQ(w.rec.ops.size(), swapped.rec.ops.size());
  for (std::size_t i = 0; i < w.rec.ops.size(); ++i) {
    EXPECT_TRUE(Same(w.rec.ops[i], swapped.rec.ops[i])) << "op " << i;
  }
  const std::vector<Op>& ops = w.rec.ops;
  ASSERT_GE(ops.size(), 3u);
  EXPECT_EQ(ops[0].kind, Op::Clear);
  EXPECT_TRUE(Same(ops[1], MakeOp(Op::Scale, -0.5f, 0.58f, 1.5f, -0.58f)));
  EXPECT_TRUE(Same(ops[2], MakeOp(Op::Line, -0.5f, 0, 1.5f, 0, kBlack)));
  EXPECT_EQ(ops[2].width, 1);
  std::vector<Op> ticks = w.rec.points(kBlue);
  ASSERT_EQ(ticks.size(), 5u);
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(Same(ticks[k], MakeOp(Op::Point, -0.5f + 0.5f * k, 0, 0, 0, kBlue)));
    EXPECT_EQ(ticks[k].width, 2);
  }
  EXPECT_EQ(w.rec.prints(), (std::vector<std::string>{"-.5 ", " 0 ", " .5 ", " 1 ", " 1.5 "}));
  EXPECT_EQ(w.rec.lines(kRed).size(), 63u);  // nowhere steeper than 10
  // 33 lines from 0 to 1, W/64 apart, up to the curve or the frame; at 0, where f is 0, a
  // green one of no length.
  std::vector<Op> hatch = w.hatching();
  ASSERT_EQ(hatch.size(), 33u);
  for (int k = 0; k <= 32; ++k) {
    float x = k / 32.0f;
    EXPECT_TRUE(Same(hatch[k],
                     MakeOp(Op::Line, x, 0, x, std::min(x * x, 0.58f), k == 0 ? kGreen : kYellow)))
        << k;
    EXPECT_EQ(hatch[k].width, 1);
  }
  EXPECT_EQ(w.diagram.drawWidth(), 1);
}

TEST(IntegralDiagram, HatchingFollowsTheSign) {
  Window w;
  ASSERT_EQ(w.Uguale("x", "1", "-1"), IntegralOutcome::Shown);
  EXPECT_TRUE(Same(w.rec.of(Op::Scale).at(0), MakeOp(Op::Scale, -2, 1.16f, 2, -1.16f)));
  std::vector<Op> hatch = w.hatching();
  ASSERT_EQ(hatch.size(), 33u);
  for (const Op& line : hatch) {
    EXPECT_EQ(line.color, line.x1 > 0 ? kYellow : kGreen) << line.x1;
    EXPECT_EQ(line.y2, line.x1);  // each line ends on the curve
  }
}

TEST(IntegralDiagram, ClickRedrawsTheCurveWithoutHatching) {
  Window computed, clicked;
  computed.Uguale("x^2", "1", "0");
  clicked.Click("x^2", "0", "1");  // high to low, and a count that plays no part
  std::vector<Op> expected;
  for (const Op& op : computed.rec.ops) {
    if (!IsHatching(op)) expected.push_back(op);
  }
  ASSERT_EQ(clicked.rec.ops.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(Same(clicked.rec.ops[i], expected[i])) << "op " << i;
  }
  EXPECT_EQ(clicked.main.host.commands, std::vector<std::string>{"Integrale.Diagramma"});
  EXPECT_TRUE(clicked.main.host.texts.empty());
  clicked.ExpectClean();
  // Equal limits only clear.
  Window equal;
  equal.Click("x+", "", "");
  ASSERT_EQ(equal.rec.ops.size(), 1u);
  EXPECT_TRUE(equal.main.host.messages.empty());
  // A rejected formula keeps the frame, and the diagram the width of its ticks, with which the
  // next axis is drawn.
  Window rejected;
  rejected.Click("x+", "1", "0");
  EXPECT_EQ(rejected.main.host.messages, std::vector<std::string>{kFormula});
  EXPECT_EQ(rejected.main.host.details,
            std::vector<std::string>{"Operatore senza operando (colonna 2)"});
  EXPECT_EQ(rejected.rec.prints().size(), 5u);
  EXPECT_TRUE(rejected.rec.lines(kRed).empty());
  rejected.rec.clear();
  rejected.Uguale("x", "1", "0");
  EXPECT_EQ(rejected.rec.ops.at(2).width, 2);
}

TEST(IntegralProgress, ReportsAndCancelLeavesEverythingAsItWas) {
  Window w;
  std::vector<double> reported;
  bool keepGoing = true;
  Progress progress{[&](double done) { reported.push_back(done); }, [&] { return keepGoing; }};
  IntegraleContext ctx = w.Context("x^2", "1", "0", "100000");
  ctx.progress = &progress;
  EXPECT_EQ(ComputeIntegral(ctx, w.fields), IntegralOutcome::Shown);
  EXPECT_EQ(w.fields.area, "0.333");
  ASSERT_EQ(reported.size(), 3u);  // 199,999 evaluations, a report every 65,536
  EXPECT_TRUE(0 < reported[0] && reported[0] < reported[1] && reported[1] < reported[2] &&
              reported[2] < 1);

  const std::size_t drawn = w.rec.ops.size();
  w.main.host.texts.clear();
  keepGoing = false;
  ctx.funzione = "x";
  EXPECT_EQ(ComputeIntegral(ctx, w.fields), IntegralOutcome::Cancelled);
  EXPECT_EQ(reported.size(), 4u);
  EXPECT_EQ(w.fields.area, "0.333");
  EXPECT_EQ(w.fields.label, kLegendAscending);
  EXPECT_EQ(w.rec.ops.size(), drawn);  // not even cleared
  EXPECT_TRUE(w.main.host.texts.empty());
  EXPECT_TRUE(w.main.host.messages.empty());
  w.ExpectClean();
}

}  // namespace
}  // namespace curvalis
