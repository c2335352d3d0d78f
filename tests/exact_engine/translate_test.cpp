// The elementary part of the formula language as the exact engine's trees: every student
// spelling reaches the same tree as its spreadsheet form, and anything else is named.
#include <gtest/gtest.h>

#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {
namespace {

struct Row {
  const char* formula;
  const char* tree;
};

// Each row: a spelling the translation could lose or misread.
const Row kTrees[] = {
    {"(x^2-1)/(x-2)", "(* (+ (^ x 2) (neg 1)) (inv (+ x (neg 2))))"},
    {"(x²−1)/(x−2)", "(* (+ (^ x 2) (neg 1)) (inv (+ x (neg 2))))"},  // ² and U+2212
    {"2x", "(* 2 x)"},                                                // implicit product
    {"3(x+1)", "(* 3 (+ x 1))"},
    {"x sen(x)", "(* x (sin x))"},  // Italian name, product by a blank
    {"tg(x)+arctg(x)+arcsen(x)", "(+ (+ (tan x) (atan x)) (asin x))"},
    {"√x+radq(x)+sqrt(x)", "(+ (+ (sqrt x) (sqrt x)) (sqrt x))"},
    {"|x-1|", "(abs (+ x (neg 1)))"},
    {"e^x", "(exp x)"},  // e^ is exp
    {"e", "(exp 1)"},    // the constant e
    {"2π", "(* 2 pi)"},
    {"pi()/4", "(* pi (inv 4))"},
    {"-x^2", "(neg (^ x 2))"},  // unary minus looser than ^
    {"2^-1", "(^ 2 (neg 1))"},
    {"1.5x", "(* 3/2 x)"},  // a decimal is its exact rational
    {"0.1", "1/10"},
    {"2.5e-4", "1/4000"},
    {"-1.5e-310", "(neg (* 15 (^ 10 -311)))"},  // below 1e-308: no denominator beyond a double
    {"50%", "(* 50 1/100)"},
    {"log(x)+log10(x)+ln(x)", "(+ (+ (log10 x) (log10 x)) (ln x))"},
    {"senh(x)*cosh(x)/tgh(x)", "(* (* (sinh x) (cosh x)) (inv (tanh x)))"},
    {"x³·2÷x", "(* (* (^ x 3) 2) (inv x))"},
    {"+x", "x"},
    {"POWER(x,3)", "(^ x 3)"},
    {"ln|x|", "(ln (abs x))"},  // a function before a bar group
    {"2ln|x−1|+|x|", "(+ (* 2 (ln (abs (+ x (neg 1))))) (abs x))"},
};

TEST(TranslateFormula, ElementaryFormulasBecomeTrees) {
  for (const Row& r : kTrees) {
    Translation t = TranslateFormula(r.formula);
    ASSERT_TRUE(t.tree.has_value()) << r.formula << ": " << t.reason;
    EXPECT_EQ(TreeText(*t.tree), r.tree) << r.formula;
    EXPECT_TRUE(ParseTree(TreeText(*t.tree)).has_value()) << r.formula;
    EXPECT_TRUE(TranslateFormula(StudentText(*t.tree)).tree) << r.formula;  // reads back
  }
}

// Each row: a construct outside the elementary part, named as the sheet shows it.
const Row kNotElementary[] = {
    {"INT(x)", "funzione non elementare: INT"},
    {"x+max(x,1)", "funzione non elementare: MAX"},
    {"IF(x>0,x,-x)", "funzione non elementare: IF"},
    {"sin(x)+mod(x,2)", "funzione non elementare: MOD"},
    {"x+A1", "funzione non elementare: A1"},
    {"x>1", "funzione non elementare: >"},
    {"log(x,2)", "funzione non elementare: LOG"},
    {"round(x)", "funzione non elementare: ROUND"},
    {"sec(x)", "funzione non elementare: SEC"},
    {"x&\"a\"", "funzione non elementare: &"},
    {"ln|x|+int(x)", "funzione non elementare: INT"},  // ln| is a call of ln
    {"max|x|", "funzione non elementare: MAX"},
};

TEST(TranslateFormula, NamesTheFirstConstructOutsideTheElementaryPart) {
  for (const Row& r : kNotElementary) {
    Translation t = TranslateFormula(r.formula);
    EXPECT_FALSE(t.tree.has_value()) << r.formula;
    EXPECT_FALSE(t.rejected) << r.formula;
    EXPECT_EQ("funzione non elementare: " + t.construct, r.tree) << r.formula;
  }
}

TEST(TranslateFormula, RejectedFormulaSaysWhy) {
  for (const char* f : {"(x+1", "x+", "sen2(x)", ""}) {
    Translation t = TranslateFormula(f);
    EXPECT_TRUE(t.rejected) << f;
    EXPECT_FALSE(t.reason.empty()) << f;
  }
}

// Each row: text from the channel the helper must refuse before the CAS sees anything.
TEST(ParseTree, RefusesWhatIsNotAnExpression) {
  for (const char* s : {"(system \"ls\")", "(sin x x)", "(^ x)", "y", "(+ x", "x)", "1/-2",
                        "(< x 1)", "~abc", "(expand x)", "12a", ""}) {
    EXPECT_FALSE(ParseTree(s).has_value()) << s;
  }
  EXPECT_TRUE(ParseTree("(< x 1)", true).has_value());
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "(neg ";
  deep += "x" + std::string(300, ')');
  EXPECT_FALSE(ParseTree(deep).has_value());
}

TEST(ParseJsonLine, ReadsWhatJsonLineWrites) {
  JsonObject o{{"id", JNum(7)},
               {"ok", JBool(true)},
               {"r", JList({"(+ x 1)", "a\"b\\c"})},
               {"e", JStr("x\n")}};
  std::optional<JsonObject> back = ParseJsonLine(JsonLine(o));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ((*back)["id"].n, 7);
  EXPECT_TRUE((*back)["ok"].b);
  EXPECT_EQ((*back)["r"].list[1], "a\"b\\c");
  EXPECT_EQ((*back)["e"].s, "x\n");
  for (const char* bad : {"", "{", "{\"a\":}", "{\"a\":1,}", "[1]", "{\"a\":1} x", "garbage"}) {
    EXPECT_FALSE(ParseJsonLine(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace curvalis::study
