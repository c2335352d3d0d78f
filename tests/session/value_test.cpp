#include <gtest/gtest.h>

#include "session/value_calc.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

struct ValueCase {
  const char* funzione;
  const char* valoreX;
  const char* separator;
  const char* shown;        // the new text of ValoreY, or nullptr
  const char* message;      // the message, or nullptr
  const char* detail = "";  // what the message says under its text
};

class ValueWindowComputation : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueWindowComputation, ShowsTheValueOrTheMessage) {
  const ValueCase& c = GetParam();
  testing::Bench b;
  b.surface.SetDrawWidth(3);
  ValoreContext ctx{b.server.book(), b.surface, b.host, c.funzione, c.valoreX, c.separator};
  std::optional<std::string> text = ComputeValue(ctx);
  EXPECT_FALSE(b.server.book().sheetTaken());
  EXPECT_EQ(b.host.busy(), 0);
  ASSERT_EQ(b.host.commands, std::vector<std::string>{"Valore.Uguale"});
  if (c.shown) {
    ASSERT_TRUE(text.has_value()) << c.funzione << " at " << c.valoreX;
    EXPECT_EQ(*text, c.shown);
    EXPECT_EQ(b.host.texts, std::vector<std::string>{std::string("Valore.ValoreY=") + c.shown});
    EXPECT_TRUE(b.host.messages.empty());
    EXPECT_EQ(b.surface.drawWidth(), 3);  // the main drawing is not touched
  } else {
    EXPECT_FALSE(text.has_value()) << *text;
    EXPECT_EQ(b.host.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(b.host.details, std::vector<std::string>{c.detail});
    EXPECT_TRUE(b.host.texts.empty());  // ValoreY keeps its text
    EXPECT_EQ(b.surface.drawWidth(), 1);
  }
  EXPECT_TRUE(b.rec.ops.empty());  // nothing is drawn
}

constexpr const char* kNotComputable = "Funzione non calcolabile o non definita!";
constexpr const char* kFormula = "Errore nella formula!";

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueWindowComputation,
    ::testing::Values(
        ValueCase{"x^2", "3", ".", "9", nullptr}, ValueCase{"x^2", "", ".", "0", nullptr},
        ValueCase{"x^2", "1,5", ".", "1", nullptr}, ValueCase{"x^2", "2 5", ".", "625", nullptr},
        ValueCase{"x^2", "&H10", ".", "256", nullptr}, ValueCase{"2+3", "-7", ".", "5", nullptr},
        ValueCase{"x/4", "1", ",", "0,25", nullptr},
        ValueCase{"x/3", "1", ".", "0.333333333333333", nullptr},
        ValueCase{"x*1E20", "3", ".", "3E+20", nullptr},
        // "Truth values as numbers": in Italian here, texts unchanged, no negative zero.
        ValueCase{"x>1", "2", ".", "VERO", nullptr}, ValueCase{"x>1", "0", ".", "FALSO", nullptr},
        ValueCase{"\"abc\"", "0", ".", "abc", nullptr},
        ValueCase{"\"1.5\"", "0", ",", "1.5", nullptr}, ValueCase{"-x*0", "1", ".", "0", nullptr},
        // Undefined values.
        ValueCase{"sqrt(x)", "-1", ".", nullptr, kNotComputable},
        ValueCase{"1/x", "0", ".", nullptr, kNotComputable},
        ValueCase{"ln(x)", "abc", ".", nullptr, kNotComputable},
        ValueCase{"x*1E300", "1E300", ".", nullptr, kNotComputable},
        ValueCase{"x^0", "1E400", ".", nullptr, kNotComputable},
        // Formulas as students write them.
        ValueCase{"2x", "3", ".", "6", nullptr}, ValueCase{"sen(x)", "0", ".", "0", nullptr},
        ValueCase{"|x-1|", "-1", ".", "2", nullptr},
        ValueCase{"x\xC2\xB2", "1.5", ",", "2,25", nullptr},
        ValueCase{"MOD(x,0.1)", "0.5", ".", "0", nullptr},
        // Rejected formulas, with why and where.
        ValueCase{"", "1", ".", nullptr, kFormula, "Formula vuota"},
        ValueCase{"x+", "1", ".", nullptr, kFormula, "Operatore senza operando (colonna 2)"},
        ValueCase{"sin(x", "1", ".", nullptr, kFormula, "Parentesi non chiusa (colonna 4)"},
        ValueCase{"sen2(x)", "1", ".", nullptr, kFormula,
                  "Nome sconosciuto \xC2\xABsen2\xC2\xBB (colonna 1)"}));

}  // namespace
}  // namespace curvalis
