// Evaluation over many samples at once gives, element by element, what one sample at a time
// gives: the same number to the bit, the same kind, the same error. Over the recorded table of
// formulas of the spreadsheet syntax and over formulas chosen for their poles, domain edges,
// overflows and error values, on grids that cross them and the chunks the batch runs in.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "core/formula.h"
#include "core/formula_program.h"
#include "support/recorded_table.h"
#include "support/values.h"

namespace curvalis {
namespace {

using testing::Describe;

// -3.2 .. 3.2 by 1/80 (poles at 0, ±1, 2 and the domain edges of sqrt, ln, asin hit exactly,
// 513 samples: more than one chunk), then the abscissas no grid gives: non-finite ones (which
// are #NUM!), the largest and smallest doubles, a negative zero.
std::vector<double> Grid() {
  std::vector<double> xs;
  for (int i = -256; i <= 256; ++i) xs.push_back(i / 80.0);
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e308, -1e308, 4.9e-324,
                   -0.0, 1e6, 710.0, 171.0, 1.5707963267948966}) {
    xs.push_back(x);
  }
  return xs;
}

std::uint64_t Bits(double v) {
  return std::bit_cast<std::uint64_t>(v);
}

// Compares both batch entry points with the one-at-a-time ones over xs; false on the first
// difference, with the difference reported.
bool BatchAgrees(CompiledFormula& f, const std::vector<double>& xs) {
  std::vector<double> numbers(xs.size());
  std::vector<Value> values(xs.size());
  f.EvaluateMany(xs.data(), numbers.data(), xs.size());
  f.EvaluateMany(xs.data(), values.data(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double one = f.EvaluateNumber(xs[i]);
    if (Bits(numbers[i]) != Bits(one)) {
      ADD_FAILURE() << "number at x = " << xs[i] << ": " << numbers[i] << ", one at a time " << one;
      return false;
    }
    const Value& v = f.Evaluate(xs[i]);
    const Value& w = values[i];
    if (v.kind != w.kind || v.error != w.error || v.text != w.text ||
        Bits(v.number) != Bits(w.number)) {
      ADD_FAILURE() << "value at x = " << xs[i] << ": " << Describe(w) << ", one at a time "
                    << Describe(v);
      return false;
    }
  }
  return true;
}

bool Batched(const std::string& formula) {
  formula::Program p;
  return formula::CompileProgram(formula, p, formula::CompileOptions{}) == FormulaReject::None &&
         formula::BatchRunnable(p);
}

TEST(BatchEvalTest, ChosenFormulasAgreeElementByElement) {
  struct Case {
    const char* formula;
    bool batched;  // runs each instruction over the chunk
  } cases[] = {
      {"=x1^3-3*x1", true},                          // fused cube and constant product
      {"=1/(x1-2)", true},                           // #DIV/0! at the pole only
      {"=(x1^2-1)/(x1-2)", true},                    // a pole in a quotient of sums
      {"=sqrt(x1)", true},                           // #NUM! left of the domain edge
      {"=ln(x1)+log10(x1)+asin(x1)", true},          // edges at 0 and ±1
      {"=exp(x1*1000)", true},                       // overflow in a chunk of finite values
      {"=x1*1E+308*10", true},                       // overflow of a product, the fast loop
      {"=-x1", true},                                // a negative zero comes out as 0
      {"=x1/0+sqrt(-1)", true},                      // the leftmost error wins
      {"=sqrt(x1)+1/x1", true},                      // two error kinds in one grid
      {"=min(x1,1/x1,3)+max(x1^2,sqrt(x1))", true},  // lists gathered per sample
      {"=and(x1>0,x1<1)", true},                     // a truth value keeps its kind
      {"=or(x1=0,1/x1>2)", true},                    // an error inside a list
      {"=iserror(1/x1)+isnumber(ln(x1))", true},     // error tests
      {"=not(x1>=1)", true},                         // negation of a comparison
      {"=fact(x1)+round(x1,1)+mod(x1,0.7)", true},   // out-of-line kernels
      {"=2^x1+x1^x1+x1^-1+power(x1,0.5)", true},     // powers with every operand kind
      {"=tan(x1)+sec(x1)+csc(x1)+cot(x1)", true},    // trigonometric poles
      {"=degrees(x1)+radians(x1)+x1%", true},        // scaled products
      {"=atan2(x1,1)+log(x1,2)+trunc(x1,1)", true},  // binary out-of-line kernels
      {"=sin(x1)", true},                            // one kernel: the whole program
      {"=if(x1>0,1/x1,sqrt(x1))", false},            // IF: one sample at a time
      {"=iferror(1/x1,7)", false},                   // IFERROR: one sample at a time
      {"=x1&\"a\"", false},                          // text
      {"=if(x1>0,\"pos\",x1)", false},               // mixed kinds
      {"=3", false},                                 // a constant
      {"=A1+x1", true},                              // an empty cell is 0
  };
  const std::vector<double> xs = Grid();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    CompiledFormula f;
    ASSERT_EQ(f.Compile(c.formula), FormulaReject::None);
    EXPECT_EQ(Batched(c.formula), c.batched);
    EXPECT_TRUE(BatchAgrees(f, xs));
    // Lengths around a chunk and a single sample.
    for (std::size_t n : {std::size_t{1}, std::size_t{65}, std::size_t{129}, formula::kBatchChunk,
                          formula::kBatchChunk + 1}) {
      EXPECT_TRUE(
          BatchAgrees(f, std::vector<double>(xs.end() - static_cast<std::ptrdiff_t>(n), xs.end())));
    }
  }
}

using testing::Unescape;

// Every formula of the recorded table that compiles: everyday ones, random ones of the grammar
// and what fuzzing collected.
TEST(BatchEvalTest, RecordedTableAgreesElementByElement) {
  std::ifstream in(CURVALIS_CORE_TEST_DATA "/spreadsheet_syntax_values.txt", std::ios::binary);
  const std::vector<double> xs = Grid();
  int compiled = 0, batched = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string formula = Unescape(line.substr(0, line.find('\t')));
    CompiledFormula f;
    if (f.Compile(formula) != FormulaReject::None) continue;
    SCOPED_TRACE(formula);
    ++compiled;
    batched += Batched(formula) ? 1 : 0;
    if (!BatchAgrees(f, xs)) break;
  }
  EXPECT_GE(compiled, 900);
  // Most of the table takes the batch path, or the comparison above proves little.
  EXPECT_GE(batched, compiled / 2);
  std::printf("%d formulas compiled, %d of them run as a batch\n", compiled, batched);
}

}  // namespace
}  // namespace curvalis
