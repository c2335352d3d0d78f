// The formula language: values, precedence, every function, error values, rejections and
// limits. Every case runs through every path: compiled and evaluated once, evaluated again
// after other samples, as a number, and against the unoptimised reference evaluation.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <numbers>
#include <string>
#include <vector>

#include "core/formula.h"
#include "core/formula_program.h"
#include "support/values.h"

// Counts heap allocations, for the test that evaluating allocates nothing.
namespace {
std::atomic<long> gAllocations{0};
}
// Out of line, so the compiler does not pair the malloc and free it sees with new and delete.
[[gnu::noinline]] void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace curvalis {
namespace {

using testing::Describe;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = std::numbers::pi;
constexpr ErrorCode kDiv0 = ErrorCode::Div0;
constexpr ErrorCode kNum = ErrorCode::Num;
constexpr ErrorCode kValue = ErrorCode::Value;
constexpr ErrorCode kName = ErrorCode::Name;

Value N(double v) {
  return Value::Num(v);
}
Value B(bool b) {
  return Value::Boolean(b);
}
Value T(std::string s) {
  return Value::Str(std::move(s));
}
Value E(ErrorCode e) {
  return Value::Err(e);
}

struct Case {
  const char* formula;
  double x;
  Value want;
};

void ExpectValue(const Value& got, const Value& want) {
  ASSERT_EQ(got.kind, want.kind) << "got " << Describe(got) << ", want " << Describe(want);
  if (want.kind == ValueKind::Number || want.kind == ValueKind::Bool) {
    EXPECT_DOUBLE_EQ(got.number, want.number);
  }
  if (want.kind == ValueKind::Text) {
    EXPECT_EQ(got.text, want.text);
  }
  if (want.kind == ValueKind::Error) {
    EXPECT_EQ(got.error, want.error);
  }
}

// Same kind, same error, same text, the same number to the bit.
void ExpectIdentical(const Value& a, const Value& b) {
  ASSERT_EQ(a.kind, b.kind) << Describe(a) << " / " << Describe(b);
  EXPECT_EQ(a.error, b.error);
  EXPECT_EQ(a.text, b.text);
  if (a.kind == ValueKind::Number || a.kind == ValueKind::Bool) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a.number), std::bit_cast<std::uint64_t>(b.number))
        << a.number << " / " << b.number;
  }
}

void ExpectSameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) {
    EXPECT_TRUE(std::isnan(a) && std::isnan(b)) << a << " / " << b;
  } else {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b)) << a << " / " << b;
  }
}

void CheckCase(const Case& c) {
  SCOPED_TRACE(std::string(c.formula) + " at x = " + std::to_string(c.x));
  CompiledFormula f;
  ASSERT_EQ(f.Compile(c.formula), FormulaReject::None);
  const Value once = f.Evaluate(c.x);
  ExpectValue(once, c.want);
  ExpectSameNumber(f.EvaluateNumber(c.x), NumberOrNaN(once));

  Value reference;
  ASSERT_EQ(formula::EvaluateReference(c.formula, c.x, reference), FormulaReject::None);
  ExpectIdentical(reference, once);

  // Sampling loops evaluate one compiled formula over and over: nothing may carry over.
  for (double other : {-1.5, 0.0, 1e6, kNaN, 7.0}) {
    f.Evaluate(other);
    f.EvaluateNumber(other);
    ExpectIdentical(f.Evaluate(c.x), once);
    ExpectSameNumber(f.EvaluateNumber(c.x), NumberOrNaN(once));
  }
}

void CheckCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) CheckCase(c);
}

TEST(FormulaTest, LiteralsAndNames) {
  CheckCases({
      {"=12", 0, N(12)},
      {"=1.5", 0, N(1.5)},
      {"=.5", 0, N(.5)},
      {"=5.", 0, N(5)},
      {"=1E3", 0, N(1000)},
      {"=2.5e-4", 0, N(2.5e-4)},
      {"=1e+2", 0, N(100)},
      {"=1e-400", 0, N(0)},
      {"= 1 + 2 ", 0, N(3)},
      {"=\t1\t+\tx1", 2, N(3)},
      {"=\"abc\"", 0, T("abc")},
      {"=\"a\"\"b\"", 0, T("a\"b")},
      {"=\"\"", 0, T("")},
      {"=\"perch\xC3\xA9 \"", 0, T("perch\xC3\xA9 ")},  // non-ASCII inside a literal
      {"=TRUE", 0, B(true)},
      {"=false", 0, B(false)},
      {"=True()", 0, B(true)},
      {"=x1", 2, N(2)},
      {"=X1", 2, N(2)},
      {"=$X$1", 2, N(2)},
      {"=$x1", 2, N(2)},
      {"=X$1", 2, N(2)},
      {"=A1", 2, N(0)},  // an empty cell alone gives 0
      {"=X12", 2, N(0)},
      {"=B1", 2, N(0)},
      {"=XFD1048576", 2, N(0)},
      {"=LOG10", 2, N(0)},  // without "(" it is the cell LOG10
      {"=pi", 2, N(kPi)},   // a constant (it was an unknown name)
  });
}

// "Values, errors and limits": coercion here, errors and limits below.
TEST(FormulaTest, EmptyCellsAndCoercion) {
  CheckCases({
      {"=A1+1", 0, N(1)},
      {"=-A1", 0, N(0)},
      {"=A1&\"x\"", 0, T("x")},
      {"=A1=0", 0, B(true)},
      {"=A1=\"\"", 0, B(true)},
      {"=A1=FALSE", 0, B(true)},
      {"=A1<x1", 1, B(true)},
      {"=x1=B1", 0, B(true)},
      {"=A1=B1", 0, B(true)},
      {"=ISNUMBER(A1)", 0, B(false)},
      {"=IF(A1,1,2)", 0, N(2)},
      {"=IF(x1>0,A1,1)", 1, N(0)},
      {"=MAX(A1,-1)", 0, N(-1)},
      {"=MIN(A1)", 0, N(0)},
      {"=MIN(A1,x1)", 5, N(5)},
      {"=AND(A1)", 0, E(kValue)},
      {"=AND(A1,x1)", 1, B(true)},
      {"=NOT(A1)", 0, B(true)},
      {"=\"3\"+1", 0, N(4)},
      {"=\" 3 \"*x1", 2, N(6)},
      {"=\"1e2\"/x1", 4, N(25)},
      {"=\"50%\"*x1", 2, N(1)},
      {"=\"-2\"^2", 0, N(4)},
      {"=\"+.5\"+x1", 0, N(.5)},
      {"=\"abc\"+x1", 0, E(kValue)},
      {"=\"\"+x1", 0, E(kValue)},
      {"=\"TRUE\"+x1", 0, E(kValue)},
      {"=\"1,5\"+x1", 0, E(kValue)},
      {"=\"1e999\"+x1", 0, E(kValue)},
      {"=TRUE*x1", 5, N(5)},
      {"=FALSE-x1", 1, N(-1)},
      {"=SQRT(\"4\")", 0, N(2)},
      {"=+\"3\"", 0, T("3")},  // a unary plus changes nothing
      {"=-\"3\"", 0, N(-3)},
      {"=--\"3\"", 0, N(3)},
      {"=--TRUE", 0, N(1)},
      {"=--(x1>0)", 1, N(1)},
      {"=ISNUMBER(--(x1>0))", 1, B(true)},
      {"=-x1", 0, N(0)},  // no negative zero comes out
  });
}

TEST(FormulaTest, ConcatenationGivesText) {
  CheckCases({
      {"=1&2", 0, T("12")},
      {"=1/3&\"\"", 0, T("0.333333333333333")},
      {"=1E20&\"\"", 0, T("1E+20")},
      {"=0.00001&\"\"", 0, T("1E-05")},
      {"=123456789012345678&\"\"", 0, T("1.23456789012346E+17")},
      {"=(0.1+0.2)&\"\"", 0, T("0.3")},
      {"=-0&\"\"", 0, T("0")},
      {"=TRUE&FALSE", 0, T("TRUEFALSE")},
      {"=\"a\"&x1", 2.5, T("a2.5")},
      {"=x1&x1", -0.5, T("-0.5-0.5")},
      {"=\"x\"&\"y\"&\"z\"", 0, T("xyz")},
      {"=IF(x1>0,\"pos\",\"neg\")&\"!\"", 1, T("pos!")},
      {"=1+2&3", 0, T("33")},
      {"=1&2+3", 0, T("15")},
  });
}

// "Text above numbers".
TEST(FormulaTest, Comparisons) {
  CheckCases({
      {"=1<2", 0, B(true)},
      {"=2<=2", 0, B(true)},
      {"=3>=4", 0, B(false)},
      {"=1<>2", 0, B(true)},
      {"=x1=2", 2, B(true)},
      {"=x1>x1", 2, B(false)},
      {"=\"a\"=\"A\"", 0, B(true)},  // texts compare regardless of case
      {"=\"abc\"<\"abd\"", 0, B(true)},
      {"=\"b\">\"A\"", 0, B(true)},
      {"=\"ab\"<\"abc\"", 0, B(true)},
      {"=\"a\">1E300", 0, B(true)},  // a text is greater than any number
      {"=\"1\">x1", 2, B(true)},
      {"=TRUE>\"z\"", 0, B(true)},  // a truth value is greater than any text
      {"=TRUE=1", 0, B(false)},
      {"=(x1>0)=TRUE", 1, B(true)},
      {"=(x1>0)>x1", 1, B(true)},
      {"=1<2<3", 0, B(false)},  // (1<2)<3: TRUE<3
      {"=1+1=2", 0, B(true)},
      {"=1&2=12", 0, B(false)},
      {"=1&2=\"12\"", 0, B(true)},
      {"=(x1>0)+1", 3, N(2)},
  });
}

// "Unary minus below power" and "Power from the left".
TEST(FormulaTest, PrecedenceUnaryMinusBelowPower) {
  CheckCases({
      {"=-x1^2", 3, N(-9)},  // the sign binds looser than ^
      {"=(-x1)^2", 3, N(9)},
      {"=-2^2", 0, N(-4)},
      {"=2*-3^2", 0, N(-18)},
      {"=10-x1^2", 3, N(1)},
      {"=2^3^2", 0, N(64)},  // ^ is left-associative
      {"=x1^3^2", 2, N(64)},
      {"=2^-1", 0, N(.5)},
      {"=2^-x1^2", 3, N(1.0 / 64)},  // (2^-x)^2
      {"=2^-(x1^2)", 3, N(1.0 / 512)},
      {"=x1^-2", 2, N(.25)},
      {"=2^--1", 0, N(2)},
      {"=2^x1-1", 3, N(7)},
      {"=1-2-3", 0, N(-4)},
      {"=12/3/2", 0, N(2)},
      {"=x1-2-3", 0, N(-5)},
      {"=12/x1/2", 3, N(2)},
      {"=2+3*4", 0, N(14)},
      {"=(2+3)*4", 0, N(20)},
      {"=2+x1*4", 3, N(14)},
      {"=50%^2", 0, N(.25)},
      {"=2^50%", 0, N(std::sqrt(2.0))},
      {"=-50%", 0, N(-.5)},
      {"=2*3%", 0, N(.06)},
      {"=x1%%", 5, N(.0005)},
      {"=--2", 0, N(2)},
      {"=-+-x1", 2, N(2)},
      {"=+-+x1", 2, N(-2)},
      {"=1-x1", 3, N(-2)},
      {"=1/x1", 4, N(.25)},
      {"=3^x1", 2, N(9)},
      {"=x1^x1", 3, N(27)},
      {"=x1*x1/x1+x1-x1", 3, N(3)},
      {"=(1+x1)*(2-x1)/(x1+4)", 1, N(.4)},
  });
}

// Operations with a constant or x1 as operand run fused; the sign of a negation moves into the
// constant. IF and IFERROR end in a branch, which must not be taken for their own value.
TEST(FormulaTest, FusedOperationsKeepTheirMeaning) {
  CheckCases({
      {"=-x1*2", 3, N(-6)},
      {"=-x1/4", 2, N(-.5)},
      {"=-x1^2+1", 3, N(-8)},
      {"=-(x1+1)*2", 1, N(-4)},
      {"=-(1/x1)*2", 0, E(kDiv0)},
      {"=IF(x1>0,1,-x1)*2", 1, N(2)},
      {"=IF(x1>0,1,-x1)*2", -3, N(6)},
      {"=IF(x1>0,1,-x1)+5", 1, N(6)},
      {"=IFERROR(1/x1,-x1)*3", 2, N(1.5)},
      {"=IF(TRUE,-x1,1)*2", 3, N(-6)},
      {"=IF(FALSE,1,IF(x1>0,2,-x1))*2", 1, N(4)},
      {"=x1^3", 1.1, N(1.1 * 1.1 * 1.1)},
      {"=POWER(x1,3)-x1^3", 1.7, N(0)},
      {"=3-x1", 1, N(2)},
      {"=3/x1", 2, N(1.5)},
      {"=2^x1", 3, N(8)},
      {"=x1-3", 1, N(-2)},
      {"=x1/2", 3, N(1.5)},
      {"=x1+x1", 3, N(6)},
      {"=(x1+1)-x1", 3, N(1)},
      {"=(x1+1)/x1", 2, N(1.5)},
      {"=(x1+1)^x1", 2, N(9)},
  });
}

TEST(FormulaTest, EveryFunction) {
  CheckCases({
      {"=ABS(x1)", -2.5, N(2.5)},
      {"=SIGN(x1)", -3, N(-1)},
      {"=SIGN(x1)", 0, N(0)},
      {"=SIGN(x1)", 2, N(1)},
      {"=INT(x1)", -2.5, N(-3)},
      {"=INT(x1)", 2.5, N(2)},
      {"=TRUNC(x1)", -2.5, N(-2)},
      {"=TRUNC(x1,2)", 2.678, N(2.67)},
      {"=TRUNC(x1,2)", 0.29, N(0.29)},
      {"=TRUNC(x1,-2)", 1299, N(1200)},
      // "ROUND halves away from zero".
      {"=ROUND(x1)", 2.5, N(3)},  // halves away from zero
      {"=ROUND(x1)", -2.5, N(-3)},
      {"=ROUND(x1)", 0.5, N(1)},
      {"=ROUND(x1,0)", 2.4999, N(2)},
      {"=ROUND(x1,2)", 2.675, N(2.68)},
      {"=ROUND(x1,2)", -1.005, N(-1.01)},
      {"=ROUND(x1,1)", 1.45, N(1.5)},
      {"=ROUND(x1,-2)", 1250, N(1300)},
      {"=ROUND(x1,-5)", 1250, N(0)},
      {"=ROUND(x1,2.9)", 1.234, N(1.23)},  // the digits are cut to a whole number
      {"=ROUND(x1,400)", 0.1, N(0.1)},
      {"=ROUND(x1,1)", 1e300, N(1e300)},
      {"=ROUND(x1,0)", 1e15 + 0.5, N(1e15 + 1)},
      // "MOD as the spreadsheet defines it".
      {"=MOD(x1,3)", -1, N(2)},  // the sign of the divisor
      {"=MOD(1,x1)", -3, N(-2)},
      {"=MOD(x1,2)", 5.5, N(1.5)},
      {"=MOD(x1,2)", 4, N(0)},
      {"=MOD(x1,0)", 1, E(kDiv0)},
      // a - b*INT(a/b): a whole multiple of the divisor as written gives 0, not nearly b.
      {"=MOD(0.5,0.1)", 0, N(0)},
      {"=MOD(x1,0.1)", 0.5, N(0)},
      {"=MOD(5*0.064,0.064)", 0, N(0)},
      {"=MOD(x1,0.7)", 2.1, N(2.1 - 0.7 * 3)},  // 2.1 is not quite 3 times 0.7 as doubles
      {"=MOD(-x1,0.1)", 0.5, N(0)},
      {"=MOD(x1,3)", 7.5, N(1.5)},
      {"=MOD(x1,-0.1)", 0.25, N(0.25 - (-0.1) * std::floor(0.25 / -0.1))},
      {"=MOD(x1,1E-300)", 1E300, E(kNum)},  // the quotient overflows
      {"=SQRT(x1)", 16, N(4)},
      {"=SQRT(x1)", -1, E(kNum)},
      {"=EXP(x1)", 1, N(std::numbers::e)},
      {"=EXP(x1)", 1000, E(kNum)},
      {"=LN(x1)", 1, N(0)},
      {"=LN(x1)", 0, E(kNum)},
      {"=LN(x1)", -1, E(kNum)},
      {"=LOG(x1)", 1000, N(3)},
      {"=LOG(x1,2)", 8, N(3)},
      {"=LOG(x1,3)", 27, N(3)},
      {"=LOG(x1,10)", 1000, N(3)},
      {"=LOG(x1,.5)", 8, N(-3)},
      {"=LOG(10,x1)", 1, E(kDiv0)},
      {"=LOG(x1)", 0, E(kNum)},
      {"=LOG(x1,2)", -8, E(kNum)},
      {"=LOG(8,x1)", -2, E(kNum)},
      {"=LOG10(x1)", .01, N(-2)},
      {"=POWER(x1,10)", 2, N(1024)},
      {"=POWER(x1,0)", 0, E(kNum)},
      {"=PI()", 0, N(kPi)},
      {"=PI()*x1", 2, N(2 * kPi)},
      {"=SIN(x1)", 2, N(std::sin(2.0))},
      {"=COS(x1)", 2, N(std::cos(2.0))},
      {"=TAN(x1)", 2, N(std::tan(2.0))},
      {"=ASIN(x1)", 1, N(kPi / 2)},
      {"=ASIN(x1)", 2, E(kNum)},
      {"=ACOS(x1)", -1, N(kPi)},
      {"=ACOS(x1)", 1.5, E(kNum)},
      {"=ATAN(x1)", 1, N(kPi / 4)},
      // "ATAN2 takes x first".
      {"=ATAN2(x1,1)", 1, N(kPi / 4)},  // x first, then y
      {"=ATAN2(x1,0)", -1, N(kPi)},
      {"=ATAN2(0,x1)", -1, N(-kPi / 2)},
      {"=ATAN2(x1,-0)", -1, N(kPi)},
      {"=ATAN2(x1,0)", 0, E(kDiv0)},
      {"=SINH(x1)", 1, N(std::sinh(1.0))},
      {"=SINH(x1)", 1000, E(kNum)},
      {"=COSH(x1)", 1, N(std::cosh(1.0))},
      {"=TANH(x1)", 1, N(std::tanh(1.0))},
      {"=ASINH(x1)", 1, N(std::asinh(1.0))},
      {"=ACOSH(x1)", 1, N(0)},
      {"=ACOSH(x1)", .5, E(kNum)},
      {"=ATANH(x1)", .5, N(std::atanh(.5))},
      {"=ATANH(x1)", 1, E(kNum)},
      {"=SEC(x1)", 0, N(1)},
      {"=SEC(x1)", 2, N(1 / std::cos(2.0))},
      {"=CSC(x1)", 2, N(1 / std::sin(2.0))},
      {"=CSC(x1)", 0, E(kDiv0)},
      {"=COT(x1)", 2, N(std::cos(2.0) / std::sin(2.0))},
      {"=COT(x1)", 0, E(kDiv0)},
      {"=MIN(3,x1,2)", 1, N(1)},
      {"=MAX(3,x1,2)", 1, N(3)},
      {"=MIN(\"5\",x1)", 7, N(5)},
      {"=MAX(TRUE,x1)", 0, N(1)},
      {"=MAX(\"a\",x1)", 1, E(kValue)},
      {"=IF(x1>0,1,2)", 1, N(1)},
      {"=IF(x1>0,1,2)", -1, N(2)},
      {"=IF(x1>0,1)", -1, B(false)},
      {"=IF(x1,\"yes\",\"no\")", 0, T("no")},
      {"=IF(\"TRUE\",x1,2)", 1, N(1)},
      {"=IF(\"yes\",x1,2)", 1, E(kValue)},
      {"=IF(IF(x1>0,\"true\",\"maybe\"),1,2)", 1, N(1)},
      {"=IF(IF(x1>0,\"true\",\"maybe\"),1,2)", -1, E(kValue)},
      {"=AND(x1>0,1)", 1, B(true)},
      {"=AND(TRUE,x1)", 0, B(false)},
      {"=AND(\"true\",x1)", 1, B(true)},
      {"=OR(x1,0)", 0, B(false)},
      {"=OR(0,x1)", 2, B(true)},
      {"=OR(\"a\",x1)", 1, E(kValue)},
      {"=NOT(x1)", 0, B(true)},
      {"=NOT(x1)", 2, B(false)},
      {"=NOT(\"false\")", 0, B(true)},
      {"=IFERROR(1/x1,7)", 0, N(7)},
      {"=IFERROR(x1,7)", 3, N(3)},
      {"=IFERROR(SQRT(x1),\"no\")", -1, T("no")},
      {"=ISERROR(1/x1)", 0, B(true)},
      {"=ISERROR(\"a\")", 0, B(false)},
      {"=ISNUMBER(x1)", 1, B(true)},
      {"=ISNUMBER(\"1\")", 0, B(false)},
      {"=ISNUMBER(x1>0)", 0, B(false)},
      {"=ISNUMBER(1/x1)", 0, B(false)},
      {"=ISNUMBER(IF(x1>0,1,TRUE))", 1, B(true)},
      {"=FACT(x1)", 5, N(120)},
      {"=FACT(x1)", 0, N(1)},
      {"=FACT(x1)", 5.9, N(120)},
      {"=FACT(x1)", 20, N(2432902008176640000.0)},
      {"=ISNUMBER(FACT(x1))", 170, B(true)},
      {"=FACT(x1)", 171, E(kNum)},
      {"=FACT(x1)", -1, E(kNum)},
      {"=DEGREES(PI())", 0, N(180)},
      {"=DEGREES(x1)", kPi / 2, N(90)},
      {"=RADIANS(x1)", 180, N(kPi)},
      {"=sIn(X1)+CoS(x1)", 0, N(1)},  // names in any case
  });
}

// "Zero to a negative power".
TEST(FormulaTest, PowerRules) {
  CheckCases({
      {"=0^-1", 0, E(kDiv0)},
      {"=x1^-2", 0, E(kDiv0)},
      {"=0^0", 0, E(kNum)},
      {"=x1^0", 0, E(kNum)},
      {"=x1^x1", 0, E(kNum)},
      {"=(-8)^(1/3)", 0, E(kNum)},
      {"=x1^(1/3)", -8, E(kNum)},
      {"=x1^.5", -4, E(kNum)},
      {"=x1^3", -2, N(-8)},
      {"=(-2)^2", 0, N(4)},
      {"=x1^2", 0, N(0)},
      {"=0^x1", 2, N(0)},
      {"=2^x1", -1100, N(0)},
      {"=x1^x1", 1000, E(kNum)},
  });
}

TEST(FormulaTest, ErrorsLeftmostWins) {
  CheckCases({
      {"=1/0", 0, E(kDiv0)},
      {"=0/0", 0, E(kDiv0)},
      {"=1/0+SQRT(-1)", 0, E(kDiv0)},
      {"=SQRT(-1)+1/0", 0, E(kNum)},
      {"=1/x1+LN(x1)", 0, E(kDiv0)},
      {"=LN(x1)+1/x1", 0, E(kNum)},
      {"=LN(x1)*(1/x1)", 0, E(kNum)},
      {"=MIN(1/x1,SQRT(-x1-1))", 0, E(kDiv0)},
      {"=MAX(SQRT(x1-1),1/x1)", 0, E(kNum)},
      {"=ATAN2(1/x1,LN(x1))", 0, E(kDiv0)},
      {"=ATAN2(LN(x1),1/x1)", 0, E(kNum)},
      {"=MOD(LN(x1),1/x1)", 0, E(kNum)},
      {"=LOG(1/x1,LN(x1))", 0, E(kDiv0)},
      {"=POWER(LN(x1),1/x1)", 0, E(kNum)},
      {"=\"a\"+1/x1", 0, E(kValue)},  // the left operand is no number
      {"=1/x1+\"a\"", 0, E(kDiv0)},
      {"=(1/x1)=1", 0, E(kDiv0)},
      {"=1=(1/x1)", 0, E(kDiv0)},
      {"=x1&1/x1", 0, E(kDiv0)},
      {"=AND(FALSE,1/x1)", 0, E(kDiv0)},  // every argument is evaluated
      {"=OR(TRUE,LN(x1))", 0, E(kNum)},
      {"=NOT(1/x1)", 0, E(kDiv0)},
      {"=IF(1/x1,1,2)", 0, E(kDiv0)},
      {"=IF(x1>0,1/0,2)", -1, N(2)},  // the branch not taken
      {"=IF(x1>0,1,SQRT(-1))", 1, N(1)},
      {"=IF(x1>0,1/x1,LN(x1))", 0, E(kNum)},
      // Operations that would turn a NaN into a number keep the error.
      {"=(1/x1)^0", 0, E(kDiv0)},
      {"=1^(1/x1)", 0, E(kDiv0)},
      {"=SIGN(1/x1)", 0, E(kDiv0)},
      {"=(1/x1)<1", 0, E(kDiv0)},
      {"=MIN(1/x1)", 0, E(kDiv0)},
      {"=FACT(1/x1)", 0, E(kDiv0)},
      {"=-(1/x1)", 0, E(kDiv0)},
      {"=(1/x1)%", 0, E(kDiv0)},
      {"=ABS(LN(x1))", 0, E(kNum)},
      {"=IFERROR(1/x1,LN(x1))", 0, E(kNum)},
  });
}

TEST(FormulaTest, OverflowAndNonFiniteAreNum) {
  CheckCases({
      {"=x1*1E308", 10, E(kNum)},
      {"=1E308+1E308", 0, E(kNum)},
      {"=-1E308-x1*1E308", 1, E(kNum)},
      {"=1/x1", 1e-310, E(kNum)},  // overflow, not a division by zero
      {"=x1^2", 1e200, E(kNum)},
      {"=DEGREES(x1)", 1e307, E(kNum)},
      {"=1E-300*x1", 1e-300, N(0)},
      {"=TAN(PI()/2)", 0, N(std::tan(kPi / 2))},
      {"=x1", kNaN, E(kNum)},  // a variable cell that holds no number
      {"=ISERROR(x1)", std::numeric_limits<double>::infinity(), B(true)},
      {"=1", kNaN, N(1)},
  });
}

struct Bad {
  const char* formula;
  FormulaReject reason;
};

TEST(FormulaTest, RejectedWhenStored) {
  const std::vector<Bad> bad = {
      {"", FormulaReject::Empty},
      {"=", FormulaReject::Empty},
      {"=   ", FormulaReject::Empty},
      {"x1+1", FormulaReject::Empty},
      {"=(x1+1", FormulaReject::UnbalancedParen},
      {"=x1)", FormulaReject::UnbalancedParen},
      {"=sin(x1", FormulaReject::UnbalancedParen},
      {"=((1)", FormulaReject::UnbalancedParen},
      {"=(", FormulaReject::UnbalancedParen},
      {"=)", FormulaReject::UnbalancedParen},
      {"=max(1,", FormulaReject::UnbalancedParen},
      {"=x1+", FormulaReject::DanglingOperator},
      {"=*2", FormulaReject::DanglingOperator},
      {"=1*/2", FormulaReject::DanglingOperator},
      {"=(1+)", FormulaReject::DanglingOperator},
      {"=-", FormulaReject::DanglingOperator},
      {"=2^", FormulaReject::DanglingOperator},
      {"=1&", FormulaReject::DanglingOperator},
      {"=1<", FormulaReject::DanglingOperator},
      {"=1<=>2", FormulaReject::DanglingOperator},
      {"=%", FormulaReject::DanglingOperator},
      {"=sin(1+,2)", FormulaReject::DanglingOperator},
      {"=sin(x1,2)", FormulaReject::WrongArgumentCount},
      {"=pi(1)", FormulaReject::WrongArgumentCount},
      {"=sin()", FormulaReject::WrongArgumentCount},
      {"=if(1)", FormulaReject::WrongArgumentCount},
      {"=if(1,2,3,4)", FormulaReject::WrongArgumentCount},
      {"=mod(1)", FormulaReject::WrongArgumentCount},
      {"=atan2(1)", FormulaReject::WrongArgumentCount},
      {"=log()", FormulaReject::WrongArgumentCount},
      {"=log(1,2,3)", FormulaReject::WrongArgumentCount},
      {"=round(1,2,3)", FormulaReject::WrongArgumentCount},
      {"=iferror(1)", FormulaReject::WrongArgumentCount},
      {"=not()", FormulaReject::WrongArgumentCount},
      {"=max()", FormulaReject::WrongArgumentCount},
      {"=true(1)", FormulaReject::WrongArgumentCount},
      {"=1..2", FormulaReject::NumberAfterOperand},
      {"=x1 2", FormulaReject::NumberAfterOperand},
      {"=sin x1", FormulaReject::MissingCallParen},
      {"=\"abc", FormulaReject::Syntax},
      {"=\"a\"\"", FormulaReject::Syntax},
      {"=()", FormulaReject::Syntax},
      {"=max(1,,2)", FormulaReject::Syntax},
      {"=max(,1)", FormulaReject::Syntax},
      {"=1,2", FormulaReject::Syntax},
      {"=(1,2)", FormulaReject::Syntax},
      {"=#DIV/0!", FormulaReject::Syntax},
      {"=x1!", FormulaReject::Syntax},
      {"=A1:B2", FormulaReject::Syntax},
      {"=@x1", FormulaReject::Syntax},
      {"=x1;1", FormulaReject::Syntax},
      {"=1e400", FormulaReject::Syntax},
      {"=$A", FormulaReject::Syntax},
      {"=A$$1", FormulaReject::Syntax},
      {"=x1\n+1", FormulaReject::Syntax},
      {"=\"a\x01\"", FormulaReject::Syntax},
      {"=x1\x7F", FormulaReject::Syntax},
      {"=\xC2\xA0x1", FormulaReject::Syntax},  // a no-break space
      // Names the language does not know were accepted as #NAME? before; now they are
      // rejected when stored.
      {"=X", FormulaReject::UnknownName},
      {"=XFE1", FormulaReject::UnknownName},
      {"=A1048577", FormulaReject::UnknownName},
      {"=A0", FormulaReject::UnknownName},
      {"=xZZZZZZZZZZZZZZ1", FormulaReject::UnknownName},  // a long name is no cell, and no overflow
      {"=atan(xZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ1)", FormulaReject::UnknownName},
      {"=my.name", FormulaReject::UnknownName},
      {"=yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyx1", FormulaReject::UnknownName},
      {"=x1234567890123456789012", FormulaReject::UnknownName},
      {"=foo(x1, 1/0)", FormulaReject::UnknownName},
      {"=xp(x1)", FormulaReject::UnknownName},
      {"=foo()", FormulaReject::UnknownName},
      {"=foo+1/0", FormulaReject::UnknownName},
      {"=1/0+foo", FormulaReject::UnknownName},
      {"=ROUND(1/x1,foo)", FormulaReject::UnknownName},
      {"=ROUND(x1,foo)", FormulaReject::UnknownName},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.formula);
    CompiledFormula f;
    EXPECT_EQ(f.Compile(b.formula), b.reason) << RejectText(f.Compile(b.formula));
    EXPECT_FALSE(f.IsCompiled());
    EXPECT_EQ(f.Evaluate(1).kind, ValueKind::Empty);
    EXPECT_TRUE(std::isnan(f.EvaluateNumber(1)));
  }
  // A NUL inside the formula is no end of it.
  CompiledFormula f;
  EXPECT_EQ(f.Compile(std::string_view("=1\0+1", 5)), FormulaReject::Syntax);
  EXPECT_EQ(f.Compile(std::string_view("=\"\0\"", 4)), FormulaReject::Syntax);
}

TEST(FormulaTest, RejectionDropsThePreviousProgram) {
  CompiledFormula f;
  ASSERT_EQ(f.Compile("=x1+1"), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(1), 2);
  EXPECT_EQ(f.Compile("=x1+"), FormulaReject::DanglingOperator);
  EXPECT_FALSE(f.IsCompiled());
  EXPECT_EQ(f.Evaluate(1).kind, ValueKind::Empty);
  ASSERT_EQ(f.Compile("=x1*3"), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(2), 6);
  CompiledFormula moved = std::move(f);
  EXPECT_EQ(moved.EvaluateNumber(2), 6);
}

TEST(FormulaTest, NoNegativeZeroComesOut) {
  for (const char* text : {"=-x1", "=x1*-1", "=IF(x1=0,-x1,1)", "=-x1&\"\"", "=-A1"}) {
    SCOPED_TRACE(text);
    CompiledFormula f;
    ASSERT_EQ(f.Compile(text), FormulaReject::None);
    const Value& v = f.Evaluate(0);
    if (v.kind == ValueKind::Text) {
      EXPECT_EQ(v.text, "0");
    } else {
      EXPECT_FALSE(std::signbit(v.number));
      EXPECT_FALSE(std::signbit(f.EvaluateNumber(0)));
    }
  }
}

std::string Repeat(std::string_view s, std::size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (std::size_t i = 0; i < n; ++i) out.append(s);
  return out;
}

// "=" and `count` times `open`, x1, and the closing parentheses.
std::string Nested(std::string_view open, std::size_t count) {
  std::size_t closing = count * static_cast<std::size_t>(std::count(open.begin(), open.end(), '('));
  return "=" + Repeat(open, count) + "x1" + std::string(closing, ')');
}

TEST(FormulaTest, LimitsAtTheEdge) {
  CompiledFormula f;
  // Length: "=1+1+...+1" of exactly n characters.
  auto sum = [](std::size_t n) {
    std::string s = "=1" + Repeat("+1", (n - 2) / 2);
    if (s.size() < n) s += ' ';
    return s;
  };
  ASSERT_EQ(sum(kMaxFormulaLength - 1).size(), kMaxFormulaLength - 1);
  ASSERT_EQ(sum(kMaxFormulaLength + 1).size(), kMaxFormulaLength + 1);
  EXPECT_EQ(f.Compile(sum(kMaxFormulaLength - 1)), FormulaReject::None);
  EXPECT_EQ(f.Compile(sum(kMaxFormulaLength)), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(0), static_cast<double>(kMaxFormulaLength / 2));
  EXPECT_EQ(f.Compile(sum(kMaxFormulaLength + 1)), FormulaReject::TooLong);

  const auto depth = static_cast<std::size_t>(kMaxFormulaDepth);
  for (std::string_view open : {"(", "sin(", "abs(("}) {
    SCOPED_TRACE(open);
    const std::size_t per = open == "abs((" ? 2 : 1;  // levels each opening adds
    EXPECT_EQ(f.Compile(Nested(open, (depth - 1) / per)), FormulaReject::None);
    EXPECT_EQ(f.Compile(Nested(open, depth / per)), FormulaReject::None);
    EXPECT_EQ(f.Compile(Nested(open, depth / per + 1)), FormulaReject::TooDeep);
  }
  ASSERT_EQ(f.Compile(Nested("(", depth)), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(5), 5);
}

TEST(FormulaTest, HugeInputIsRejectedWithoutRecursing) {
  CompiledFormula f;
  EXPECT_EQ(f.Compile(Nested("(", 100000)), FormulaReject::TooLong);
  EXPECT_EQ(f.Compile(Nested("sin(", 10000)), FormulaReject::TooLong);
  EXPECT_EQ(f.Compile("=" + std::string(1 << 20, '1')), FormulaReject::TooLong);
  // Within the length limit, the depth check stops them.
  EXPECT_EQ(f.Compile(Nested("(", 4000)), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile(Nested("sin(", 1600)), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile("=" + Repeat("(", 8000)), FormulaReject::TooDeep);
  // Long chains of operators and signs are loops, not recursion.
  ASSERT_EQ(f.Compile("=" + std::string(8000, '-') + "x1"), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(2), 2);
  ASSERT_EQ(f.Compile("=" + std::string(8001, '-') + "x1"), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(2), -2);
  ASSERT_EQ(f.Compile("=x1" + Repeat("^x1", 2000)), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(1), 1);
  ASSERT_EQ(f.Compile("=x1" + std::string(4000, '%')), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(1), 0);
  ASSERT_EQ(f.Compile("=MAX(x1" + Repeat(",x1", 254) + ")"), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(3), 3);
  EXPECT_EQ(f.Compile("=MAX(x1" + Repeat(",x1", 255) + ")"), FormulaReject::WrongArgumentCount);
}

// Formulas a sampling loop meets: compiled once and evaluated over the standard grid, each value
// must be the one a fresh compile gives, and the reference evaluation's.
TEST(FormulaTest, SamplingAgreesWithFreshEvaluation) {
  const char* formulas[] = {
      "=sin(x1)",
      "=x1^3-3*x1",
      "=sin(x1)*exp(-x1^2/10)+ln(x1^2+1)",
      "=(x1^2-1)/(x1-2)",
      "=sqrt(abs(x1))*atan(x1)+cosh(x1/5)",
      "=sqrt(x1)-0.3",
      "=1/x1",
      "=x1^(1/3)",
      "=ln(x1)",
      "=tan(x1)",
      "=IF(x1>0,SQRT(x1),-1)",
      "=IF(x1>0,1)",
      "=IFERROR(1/(x1-1),\"pole\")",
      "=MAX(x1,A1,-1)&\"\"",
      "=ROUND(x1,1)+MOD(x1,0.7)",
      "=2^-x1^2",
      "=ISNUMBER(LN(x1))",
      "=AND(x1>-1,x1<1)",
  };
  for (const char* text : formulas) {
    SCOPED_TRACE(text);
    CompiledFormula f;
    ASSERT_EQ(f.Compile(text), FormulaReject::None);
    for (int k = 0; k <= 200; ++k) {
      const double x = -3.2 + 0.032 * k;
      CompiledFormula fresh;
      ASSERT_EQ(fresh.Compile(text), FormulaReject::None);
      Value reference;
      ASSERT_EQ(formula::EvaluateReference(text, x, reference), FormulaReject::None);
      const Value& v = f.Evaluate(x);
      ExpectIdentical(v, fresh.Evaluate(x));
      ExpectIdentical(v, reference);
      ExpectSameNumber(f.EvaluateNumber(x), NumberOrNaN(v));
    }
  }
}

// The fast path is taken by the formulas the program plots, and never by one it cannot run.
TEST(FormulaTest, NumericProgramWhereEveryValueIsANumber) {
  struct Expectation {
    const char* formula;
    bool numeric;
  };
  const Expectation table[] = {
      {"=sin(x1)", true},
      {"=(x1^2-1)/(x1-2)", true},
      {"=IF(x1>0,SQRT(x1),-1)", true},
      {"=AND(x1>0,A1,\"true\")", true},
      {"=MIN(x1,A1,\"2\")+(x1=A1)", true},
      {"=ISNUMBER(x1>0)", true},
      {"=x1&\"\"", false},
      {"=IF(x1>0,\"a\",1)", false},
      {"=IF(x1>0,A1,1)", false},
      {"=x1<\"a\"", false},
      {"=(x1>0)=IF(x1>0,1,TRUE)", false},
  };
  for (const Expectation& e : table) {
    SCOPED_TRACE(e.formula);
    formula::Program p;
    ASSERT_EQ(formula::CompileProgram(e.formula, p, formula::CompileOptions{}),
              FormulaReject::None);
    EXPECT_EQ(p.numeric, e.numeric);
  }
}

TEST(FormulaTest, EvaluatingAllocatesNothing) {
  const char* formulas[] = {
      "=sin(x1)*exp(-x1^2/10)+ln(x1^2+1)",
      "=IF(x1>0,SQRT(x1),1/0)",
      "=IF(x1>0,1)",  // a number or a truth value: the general interpreter
      "=IF(x1>0,A1,MAX(x1,2))",
      "=IFERROR(LN(x1),-1)",
      "=\"1\"+x1",
  };
  for (const char* text : formulas) {
    SCOPED_TRACE(text);
    CompiledFormula f;
    ASSERT_EQ(f.Compile(text), FormulaReject::None);
    const long before = gAllocations.load();
    double sum = 0;
    for (int k = 0; k <= 200; ++k) {
      const double x = -3.2 + 0.032 * k;
      sum += NumberOrNaN(f.Evaluate(x));
      sum += f.EvaluateNumber(x);
    }
    EXPECT_EQ(gAllocations.load(), before);
    EXPECT_FALSE(std::isinf(sum));
  }
}

}  // namespace
}  // namespace curvalis
