// Formulas as students write them: products without "*", the constants, the Italian names, the
// Unicode symbols and the bars, each compared with the same formula in the spreadsheet syntax;
// and every rejection with its reason, its Italian text and its column in Funzione as typed.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "core/formula.h"
#include "core/formula_message.h"
#include "core/formula_program.h"
#include "core/prepare_formula.h"
#include "support/values.h"

namespace curvalis {
namespace {

using testing::Describe;

// Same kind, error and text; the same number to the bit.
void ExpectIdentical(const Value& a, const Value& b) {
  ASSERT_EQ(a.kind, b.kind) << Describe(a) << " / " << Describe(b);
  EXPECT_EQ(a.error, b.error);
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(a.number), std::bit_cast<std::uint64_t>(b.number))
      << a.number << " / " << b.number;
}

struct Notation {
  const char* typed;        // as a student types it into Funzione
  const char* spreadsheet;  // the same formula in the spreadsheet syntax, typed too
  double x;
  double want;  // at x; a truth value as 1 or 0
};

// Each row: the value at its point, and the spreadsheet formula's value bit for bit at every
// point of a grid, through every path (optimised, reference, repeated).
TEST(NotationTest, ReadsAsTheSpreadsheetFormula) {
  const double e = std::numbers::e, pi = std::numbers::pi;
  const Notation rows[] = {
      // Products without "*", with the precedence of "*".
      {"2x", "2*x", 3, 6},
      {"3(x+1)", "3*(x+1)", 1, 6},
      {"x(x+1)", "x*(x+1)", 2, 6},
      {"(x+1)(x-1)", "(x+1)*(x-1)", 3, 8},
      {"2sin(x)", "2*sin(x)", 1, 2 * std::sin(1.0)},
      {"x sin(x)", "x*sin(x)", 2, 2 * std::sin(2.0)},
      {"-2x", "(-2)*x", 3, -6},
      {"1/2x", "(1/2)*x", 3, 1.5},
      {"2^3x", "(2^3)*x", 1, 8},
      {"e^2x", "exp(2)*x", 1, std::exp(2.0)},  // the power first: e^(2x) needs its parentheses
      {"2 x", "2*x", 3, 6},
      {"x x", "x*x", 3, 9},
      {"3x^2-2x+1", "3*x^2-2*x+1", 2, 9},
      {"1.5x", "1.5*x", 2, 3},
      {".5x", ".5*x", 2, 1},
      {"2E3x", "2E3*x", 1, 2000},
      {"x(2)", "x*(2)", 3, 6},
      {"sin(x)cos(x)", "sin(x)*cos(x)", 1, std::sin(1.0) * std::cos(1.0)},
      {"50%x", "50%*x", 4, 2},
      {"2x1", "2*x", 3, 6},  // x1 is the variable cell itself
      {"x/2x", "(x/2)*x", 4, 8},
      // Constants.
      {"e", "2.718281828459045", 0, e},
      {"E", "2.718281828459045", 0, e},
      {"2e", "2*2.718281828459045", 0, 2 * e},
      {"2e3", "2000", 0, 2000},
      {"2e-3", "0.002", 0, 0.002},
      {"e^x", "exp(x)", 1, e},
      {"e^-x", "exp(-x)", 1, 1 / e},
      {"e^(x+1)", "exp(x+1)", 0, e},
      {"e²", "exp(2)", 0, std::exp(2.0)},
      {"2e^x", "2*exp(x)", 0, 2},
      {"-e^x", "-exp(x)", 0, -1},
      {"x e^x", "x*exp(x)", 1, e},
      {"e(x+1)", "2.718281828459045*(x+1)", 0, e},
      {"pi", "pi()", 0, pi},
      {"PI", "pi()", 0, pi},
      {"\xCF\x80", "pi()", 0, pi},  // π
      {"2\xCF\x80 x", "2*pi()*x", 1, 2 * pi},
      {"\xCF\x80x", "pi()*x", 2, 2 * pi},
      {"x/\xCF\x80", "x/pi()", pi, 1},
      // Italian names, in any case.
      {"sen(x)", "sin(x)", 1, std::sin(1.0)},
      {"SEN(x)", "sin(x)", 1, std::sin(1.0)},
      {"tg(x)", "tan(x)", 1, std::tan(1.0)},
      {"cotg(x)", "cot(x)", 1, std::cos(1.0) / std::sin(1.0)},
      {"arcsen(x)", "asin(x)", 1, pi / 2},
      {"arcsin(x)", "asin(x)", 1, pi / 2},
      {"arccos(x)", "acos(x)", -1, pi},
      {"arctg(x)", "atan(x)", 1, pi / 4},
      {"arctan(x)", "atan(x)", 1, pi / 4},
      {"senh(x)", "sinh(x)", 1, std::sinh(1.0)},
      {"tgh(x)", "tanh(x)", 1, std::tanh(1.0)},
      {"radq(x)", "sqrt(x)", 4, 2},
      {"2sen(x)", "2*sin(x)", 1, 2 * std::sin(1.0)},
      // Powers, roots and signs from Unicode.
      {"x\xC2\xB2", "x^2", 3, 9},         // x²
      {"x\xC2\xB3", "x^3", 2, 8},         // x³
      {"2^x\xC2\xB2", "2^(x^2)", 2, 16},  // 2^x²
      {"-x\xC2\xB2", "-(x^2)", 3, -9},    // -x²
      {"x\xC2\xB2%", "(x^2)%", 10, 1},    // x²%
      {"sin(x)\xC2\xB2", "sin(x)^2", 1, std::sin(1.0) * std::sin(1.0)},
      {"\xE2\x88\x9Ax", "sqrt(x)", 4, 2},  // √x
      {"\xE2\x88\x9A"
       "2x",
       "sqrt(2)*x", 3, 3 * std::sqrt(2.0)},
      {"\xE2\x88\x9Ax^2", "sqrt(x^2)", -3, 3},   // √x^2
      {"\xE2\x88\x9A(x+1)", "sqrt(x+1)", 3, 2},  // √(x+1)
      {"\xE2\x88\x9A-x", "sqrt(-x)", -4, 2},     // √-x
      {"2\xE2\x88\x9Ax", "2*sqrt(x)", 4, 4},     // 2√x
      {"\xE2\x88\x9A\xE2\x88\x9Ax", "sqrt(sqrt(x))", 16, 2},
      {"x\xE2\x88\x92"
       "1",
       "x-1", 3, 2},  // x−1, U+2212
      {"x\xE2\x80\x93"
       "1",
       "x-1", 3, 2},  // x–1, U+2013
      {"x\xC2\xB7"
       "2",
       "x*2", 3, 6},  // x·2
      {"x\xC3\x97"
       "2",
       "x*2", 3, 6},                // x×2
      {"6\xC3\xB7x", "6/x", 3, 2},  // 6÷x
      {"x\xE2\x89\xA4"
       "1",
       "x<=1", 1, 1},  // x≤1
      {"x\xE2\x89\xA5"
       "1",
       "x>=1", 0, 0},  // x≥1
      {"x\xE2\x89\xA0"
       "1",
       "x<>1", 0, 1},  // x≠1
      // Absolute value bars.
      {"|x-1|", "abs(x-1)", -1, 2},
      {"2|x|", "2*abs(x)", -3, 6},
      {"|x|(x+1)", "abs(x)*(x+1)", -2, -2},
      {"||x|-1|", "abs(abs(x)-1)", 0.5, 0.5},
      {"|x|+|x-2|", "abs(x)+abs(x-2)", 1, 2},
      {"|x||x|", "abs(x)*abs(x)", -2, 4},
      {"max(2|x|, 1)", "max(2*abs(x), 1)", -3, 6},  // inside a call a bar opens
      {"|(x-1)|", "abs((x-1))", 0, 1},
      {"x|x|", "x*abs(x)", -2, -4},
  };
  const double grid[] = {-3.2, -1, -0.5, 0, 0.25, 1, 2.5, 3.7, 1e6};
  for (const Notation& r : rows) {
    SCOPED_TRACE(r.typed);
    const std::string typed = PrepareFormula(r.typed);
    const std::string plain = PrepareFormula(r.spreadsheet);
    CompiledFormula student, reference;
    ASSERT_EQ(student.Compile(typed), FormulaReject::None)
        << RejectionDetail(r.typed, student.rejection());
    ASSERT_EQ(reference.Compile(plain), FormulaReject::None);
    const Value& v = student.Evaluate(r.x);
    ASSERT_TRUE(v.kind == ValueKind::Number || v.kind == ValueKind::Bool) << Describe(v);
    EXPECT_DOUBLE_EQ(v.number, r.want);
    for (double x : grid) {
      SCOPED_TRACE(x);
      const Value a = student.Evaluate(x);
      ExpectIdentical(a, reference.Evaluate(x));
      Value unoptimised;
      ASSERT_EQ(formula::EvaluateReference(typed, x, unoptimised), FormulaReject::None);
      ExpectIdentical(unoptimised, a);
    }
    // Over the whole grid at once, element by element.
    double numbers[std::size(grid)];
    Value values[std::size(grid)];
    student.EvaluateMany(grid, numbers, std::size(grid));
    student.EvaluateMany(grid, values, std::size(grid));
    for (std::size_t i = 0; i < std::size(grid); ++i) {
      SCOPED_TRACE(grid[i]);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(numbers[i]),
                std::bit_cast<std::uint64_t>(student.EvaluateNumber(grid[i])));
      ExpectIdentical(values[i], student.Evaluate(grid[i]));
    }
  }
}

// The new notation compiles to the program of the spreadsheet formula: as fast, and as short.
TEST(NotationTest, CompilesToTheSameProgram) {
  const Notation rows[] = {
      {"3x^2-2x+1", "3*x^2-2*x+1", 0, 0},
      {"e^-x\xC2\xB2", "exp(-x^2)", 0, 0},
      {"2\xCF\x80 x", "2*pi()*x", 0, 0},
      {"|x-1|\xE2\x88\x9A(x+1)", "abs(x-1)*sqrt(x+1)", 0, 0},
      {"sen(x)\xC2\xB2+cos(x)\xC2\xB2", "sin(x)^2+cos(x)^2", 0, 0},
      // A function before an opening bar takes the bar group as its argument.
      {"ln|x|", "ln(abs(x))", 0, 0},
      {"sen|x|+arctg|x|", "sin(abs(x))+atan(abs(x))", 0, 0},
      {"ln|x|+|x-1|", "ln(abs(x))+abs(x-1)", 0, 0},  // the next bar opens a new group
      {"|ln|x||", "abs(ln(abs(x)))", 0, 0},
      {"|sen|x|-1|", "abs(sin(abs(x))-1)", 0, 0},
      {"ln||x|-1|", "ln(abs(abs(x)-1))", 0, 0},
      {"2ln|x\xE2\x88\x92"
       "1|",
       "2*ln(abs(x-1))", 0, 0},  // 2ln|x−1|
      {"x ln|x|(x+1)", "x*ln(abs(x))*(x+1)", 0, 0},
      {"ln|x|/|x|", "ln(abs(x))/abs(x)", 0, 0},
      {"\xE2\x88\x9A|x|ln|x|", "sqrt(abs(x))*ln(abs(x))", 0, 0},  // √|x|ln|x|
      {"e^|x|", "exp(abs(x))", 0, 0},
      {"log10|x|", "log10(abs(x))", 0, 0},  // the function, not the cell LOG10
      {"pi|x|", "pi()*abs(x)", 0, 0},       // the constant: a product, as before
  };
  for (const Notation& r : rows) {
    SCOPED_TRACE(r.typed);
    formula::Program a, b;
    ASSERT_EQ(formula::CompileProgram(PrepareFormula(r.typed), a, formula::CompileOptions{}),
              FormulaReject::None);
    ASSERT_EQ(formula::CompileProgram(PrepareFormula(r.spreadsheet), b, formula::CompileOptions{}),
              FormulaReject::None);
    ASSERT_EQ(a.code.size(), b.code.size());
    for (std::size_t i = 0; i < a.code.size(); ++i) {
      EXPECT_EQ(a.code[i].op, b.code[i].op) << i;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(a.code[i].imm),
                std::bit_cast<std::uint64_t>(b.code[i].imm))
          << i;
    }
    EXPECT_EQ(a.numeric, b.numeric);
  }
}

struct Rejection {
  std::string typed;
  FormulaReject reason;
  std::string detail;  // what the message box shows under "Errore nella formula!"
};

void CheckRejections(const std::vector<Rejection>& rows) {
  for (const Rejection& r : rows) {
    SCOPED_TRACE(r.typed);
    CompiledFormula f;
    EXPECT_EQ(f.Compile(PrepareFormula(r.typed)), r.reason);
    EXPECT_FALSE(f.IsCompiled());
    EXPECT_EQ(f.rejection().reason, r.reason);
    EXPECT_EQ(RejectionDetail(r.typed, f.rejection()), r.detail);
  }
}

// Every reason, with one example formula and its Italian text; the column counts characters of
// Funzione as typed, before "=" is added and x is written x1.
TEST(NotationTest, EveryReasonWithItsTextAndColumn) {
  struct Reason {
    FormulaReject reason;
    const char* text;
    Rejection example;
  };
  const Reason reasons[] = {
      {FormulaReject::Empty, "Formula vuota", {"", FormulaReject::Empty, "Formula vuota"}},
      {FormulaReject::UnbalancedParen,
       "Parentesi non bilanciate",
       {"sin(x+1", FormulaReject::UnbalancedParen, "Parentesi non chiusa (colonna 4)"}},
      {FormulaReject::DanglingOperator,
       "Operatore senza operando",
       {"(x+)", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 3)"}},
      {FormulaReject::WrongArgumentCount,
       "Numero di argomenti sbagliato",
       {"1+sen(x,2)", FormulaReject::WrongArgumentCount,
        "Numero di argomenti sbagliato per \xC2\xABsen\xC2\xBB (colonna 3)"}},
      {FormulaReject::TooDeep,
       "Troppi livelli di parentesi",
       {"x+" + std::string(kMaxFormulaDepth + 1, '(') + "x" +
            std::string(kMaxFormulaDepth + 1, ')'),
        FormulaReject::TooDeep,
        "Troppi livelli di parentesi (colonna " + std::to_string(kMaxFormulaDepth + 3) + ")"}},
      {FormulaReject::TooLong,
       "Formula troppo lunga",
       {"x" + std::string(kMaxFormulaLength, '+') + "x", FormulaReject::TooLong,
        "Formula troppo lunga"}},
      {FormulaReject::UnknownName,
       "Nome sconosciuto",
       {"sen2(x)", FormulaReject::UnknownName,
        "Nome sconosciuto \xC2\xABsen2\xC2\xBB (colonna 1)"}},
      {FormulaReject::MissingCallParen,
       "Manca la parentesi dopo il nome della funzione",
       {"sin x", FormulaReject::MissingCallParen,
        "Manca la parentesi dopo \xC2\xABsin\xC2\xBB (colonna 1)"}},
      {FormulaReject::NumberAfterOperand,
       "Manca un operatore prima del numero",
       {"x 2", FormulaReject::NumberAfterOperand,
        "Manca un operatore prima di \xC2\xAB"
        "2\xC2\xBB (colonna 3)"}},
      {FormulaReject::UnclosedBar,
       "Barra del valore assoluto non chiusa",
       {"|x", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 1)"}},
      {FormulaReject::Syntax,
       "Errore di sintassi",
       {"x#2", FormulaReject::Syntax, "Carattere non ammesso \xC2\xAB#\xC2\xBB (colonna 2)"}},
  };
  for (const Reason& r : reasons) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(RejectText(r.reason), r.text);
    EXPECT_EQ(r.example.reason, r.reason);
    CheckRejections({r.example});
  }
  // Every reason has a text of its own.
  for (int a = 0; a <= static_cast<int>(FormulaReject::Syntax); ++a) {
    for (int b = a + 1; b <= static_cast<int>(FormulaReject::Syntax); ++b) {
      EXPECT_NE(RejectText(FormulaReject(a)), RejectText(FormulaReject(b)));
    }
  }
}

TEST(NotationTest, RejectionsSayWhatAndWhere) {
  CheckRejections({
      // A number right after an operand is no product.
      {"x 2", FormulaReject::NumberAfterOperand,
       "Manca un operatore prima di \xC2\xAB"
       "2\xC2\xBB (colonna 3)"},
      {"2 3", FormulaReject::NumberAfterOperand,
       "Manca un operatore prima di \xC2\xAB"
       "3\xC2\xBB (colonna 3)"},
      {"(x)2", FormulaReject::NumberAfterOperand,
       "Manca un operatore prima di \xC2\xAB"
       "2\xC2\xBB (colonna 4)"},
      {"x\xC2\xB2"
       "3",
       FormulaReject::NumberAfterOperand,  // x²3: ² is one column
       "Manca un operatore prima di \xC2\xAB"
       "3\xC2\xBB (colonna 3)"},
      {"1..2", FormulaReject::NumberAfterOperand,
       "Manca un operatore prima di \xC2\xAB.2\xC2\xBB (colonna 3)"},
      // A function's name without its parenthesis.
      {"sen x", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABsen\xC2\xBB (colonna 1)"},
      {"sin^2(x)", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABsin\xC2\xBB (colonna 1)"},
      {"2+SQRT", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABSQRT\xC2\xBB (colonna 3)"},
      // A power or a sign after a function's bar group: of the group or of the function?
      {"ln|x|^2", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABln\xC2\xBB (colonna 1)"},
      {"2sen|x|\xC2\xB2", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABsen\xC2\xBB (colonna 2)"},
      {"ln|x|%", FormulaReject::MissingCallParen,
       "Manca la parentesi dopo \xC2\xABln\xC2\xBB (colonna 1)"},
      {"if|x|", FormulaReject::MissingCallParen,  // no function of one argument
       "Manca la parentesi dopo \xC2\xABif\xC2\xBB (colonna 1)"},
      // Names the language does not know, as typed (not as prepared: "x", not "x1").
      {"sen2(x)", FormulaReject::UnknownName, "Nome sconosciuto \xC2\xABsen2\xC2\xBB (colonna 1)"},
      {"X^2", FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB"
       "X\xC2\xBB (colonna 1)"},
      {"xe^x", FormulaReject::UnknownName, "Nome sconosciuto \xC2\xABxe\xC2\xBB (colonna 1)"},
      {"foo(x)", FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB"
       "foo\xC2\xBB (colonna 1)"},
      {"sin2x", FormulaReject::UnknownName, "Nome sconosciuto \xC2\xABsin2x\xC2\xBB (colonna 1)"},
      {"x+y", FormulaReject::UnknownName, "Nome sconosciuto \xC2\xABy\xC2\xBB (colonna 3)"},
      {"\xCF\x80r^2", FormulaReject::UnknownName,  // πr^2: π is one column
       "Nome sconosciuto \xC2\xABr\xC2\xBB (colonna 2)"},
      {"A1(2)", FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB"
       "A1\xC2\xBB (colonna 1)"},
      {"ex", FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB"
       "ex\xC2\xBB (colonna 1)"},
      {"IFERROR(foo,1)", FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB"
       "foo\xC2\xBB (colonna 9)"},
      {"x+" + std::string(40, 'q'), FormulaReject::UnknownName,
       "Nome sconosciuto \xC2\xAB" + std::string(24, 'q') + "\xE2\x80\xA6\xC2\xBB (colonna 3)"},
      // Bars.
      {"|x", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 1)"},
      {"2+|x-1", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 3)"},
      {"||x|-1", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 1)"},
      {"|", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 1)"},
      {"ln|x", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 3)"},
      {"|ln|", FormulaReject::UnclosedBar, "Barra del valore assoluto non chiusa (colonna 4)"},
      {"max(|x,1|)", FormulaReject::UnclosedBar,
       "Barra del valore assoluto non chiusa (colonna 5)"},
      // Parentheses: the one left open, or the one closed too many.
      {"(x+1", FormulaReject::UnbalancedParen, "Parentesi non chiusa (colonna 1)"},
      {"((x)", FormulaReject::UnbalancedParen, "Parentesi non chiusa (colonna 1)"},
      {"\xE2\x88\x9A(x", FormulaReject::UnbalancedParen, "Parentesi non chiusa (colonna 2)"},
      {"x+1)", FormulaReject::UnbalancedParen, "Parentesi chiusa in pi\xC3\xB9 (colonna 4)"},
      {")", FormulaReject::UnbalancedParen, "Parentesi chiusa in pi\xC3\xB9 (colonna 1)"},
      {"max(1,", FormulaReject::UnbalancedParen, "Parentesi non chiusa (colonna 4)"},
      // Operators without an operand: the operator.
      {"x+", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 2)"},
      {"*2", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 1)"},
      {"x^", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 2)"},
      {"\xE2\x88\x9A", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 1)"},
      {"\xC2\xB2", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 1)"},
      {"2\xC3\xB7", FormulaReject::DanglingOperator, "Operatore senza operando (colonna 2)"},
      // Wrong argument counts name the function as typed.
      {"pi(x+1)", FormulaReject::WrongArgumentCount,
       "Numero di argomenti sbagliato per \xC2\xABpi\xC2\xBB (colonna 1)"},
      {"MOD(x)", FormulaReject::WrongArgumentCount,
       "Numero di argomenti sbagliato per \xC2\xABMOD\xC2\xBB (colonna 1)"},
      // Anything else, by what stands there.
      {"1,5x", FormulaReject::Syntax, "Simbolo inatteso \xC2\xAB,\xC2\xBB (colonna 2)"},
      {"max(1,,2)", FormulaReject::Syntax, "Simbolo inatteso \xC2\xAB,\xC2\xBB (colonna 7)"},
      {"x\"a\"", FormulaReject::Syntax, "Simbolo inatteso \xC2\xAB\"a\"\xC2\xBB (colonna 2)"},
      {"\"abc", FormulaReject::Syntax, "Virgolette non chiuse (colonna 1)"},
      {"1E999x", FormulaReject::Syntax,
       "Numero troppo grande \xC2\xAB"
       "1E999\xC2\xBB (colonna 1)"},
      {"citt\xC3\xA0", FormulaReject::Syntax,
       "Carattere non ammesso \xC2\xAB\xC3\xA0\xC2\xBB (colonna 5)"},
      {"\xCF\x80+@", FormulaReject::Syntax, "Carattere non ammesso \xC2\xAB@\xC2\xBB (colonna 3)"},
      {"x\xC2\xA0+1", FormulaReject::Syntax, "Carattere non ammesso (U+00A0) (colonna 2)"},
      {"x+\x01", FormulaReject::Syntax, "Carattere non ammesso (U+0001) (colonna 3)"},
      {"x\xFF", FormulaReject::Syntax, "Carattere non ammesso (byte 0xFF) (colonna 2)"},
      {"$A", FormulaReject::Syntax, "Simbolo inatteso \xC2\xAB$A\xC2\xBB (colonna 1)"},
  });
}

// What changes for a prepared formula: a digit, or a character outside ASCII, may stand before
// the variable.
TEST(NotationTest, PrepareFormulaAndTheTypedColumns) {
  struct Case {
    const char* funzione;
    const char* prepared;
  };
  const Case cases[] = {
      {"2x", "=2x1"},
      {"3x^2-2x", "=3x1^2-2x1"},
      {"1.5x", "=1.5x1"},
      {"\xCF\x80x", "=\xCF\x80x1"},
      {"x\xC2\xB2", "=x1\xC2\xB2"},
      {"|x|", "=|x1|"},
      {"ln|x|", "=ln|x1|"},
      {"\xE2\x88\x9Ax", "=\xE2\x88\x9Ax1"},
      {"x2", "=x2"},
      {"xe", "=xe"},
      {"ex", "=ex"},
      {"_x", "=_x"},
      {".x", "=.x"},
      {"x.", "=x."},
      {"\"2x\"&2x", "=\"2x\"&2x1"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrepareFormula(c.funzione), c.prepared) << c.funzione;

  // "x+2x": prepared "=x1+2x1". Each byte of the prepared formula comes from a byte as typed.
  const std::size_t from[] = {0, 0, 0, 1, 2, 3, 3};
  for (std::size_t i = 0; i < std::size(from); ++i) {
    EXPECT_EQ(TypedOffset("x+2x", i), from[i]) << i;
  }
  EXPECT_EQ(TypedOffset("x+2x", 7), 4u);  // the end
  EXPECT_EQ(TypedOffset("x+2x", 99), 4u);
}

// Bars and roots are nesting levels like parentheses: the same limit, no recursion past it.
TEST(NotationTest, BarsAndRootsNestWithinTheLimit) {
  const auto depth = static_cast<std::size_t>(kMaxFormulaDepth);
  auto bars = [](std::size_t n) { return std::string(n, '|') + "x" + std::string(n, '|'); };
  auto roots = [](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += "\xE2\x88\x9A";
    return s + "x";
  };
  CompiledFormula f;
  EXPECT_EQ(f.Compile(PrepareFormula(bars(depth))), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(-2), 2);
  EXPECT_EQ(f.Compile(PrepareFormula(bars(depth + 1))), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile(PrepareFormula(roots(depth))), FormulaReject::None);
  EXPECT_EQ(f.EvaluateNumber(1), 1);
  EXPECT_EQ(f.Compile(PrepareFormula(roots(depth + 1))), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile(PrepareFormula(std::string(8000, '|'))), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile(PrepareFormula(roots(2700))), FormulaReject::TooDeep);
  EXPECT_EQ(f.Compile(PrepareFormula(std::string(4000, '2') + "x")), FormulaReject::Syntax);
}

}  // namespace
}  // namespace curvalis
