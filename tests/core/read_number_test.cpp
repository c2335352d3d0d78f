#include "core/read_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace curvalis {
namespace {

struct ReadCase {
  const char* text;
  double expected;
};

class ReadLeadingNumberTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadLeadingNumberTest, ReadsTheLeadingNumber) {
  const ReadCase& c = GetParam();
  double v = ReadLeadingNumber(c.text);
  EXPECT_EQ(v, c.expected) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadLeadingNumberTest,
    ::testing::Values(
        // Plain numbers.
        ReadCase{"3", 3}, ReadCase{"-2.5", -2.5}, ReadCase{"+7", 7}, ReadCase{".5", 0.5},
        ReadCase{"-.25", -0.25}, ReadCase{"12.", 12}, ReadCase{"007", 7},
        // Blanks, tabs and line feeds vanish wherever they stand.
        ReadCase{"2 5", 25}, ReadCase{"  -  1 . 5", -1.5}, ReadCase{"\t4\n2", 42},
        ReadCase{"1 E 2", 100},
        // The first character that cannot continue the number ends it.
        ReadCase{"1,5", 1}, ReadCase{"3x", 3}, ReadCase{"1.2.3", 1.2}, ReadCase{"2-3", 2},
        ReadCase{"1E", 1}, ReadCase{"1E+", 1}, ReadCase{"1Ex", 1}, ReadCase{"\r5", 0},
        // Exponents in either case, with their own sign.
        ReadCase{"1E3", 1000}, ReadCase{"2.5e-4", 2.5e-4}, ReadCase{"-1e+2", -100},
        ReadCase{"1E1.5", 10},
        // Radix prefixes, either case.
        ReadCase{"&H1F", 31}, ReadCase{"&hff", 255}, ReadCase{"&O17", 15}, ReadCase{"&o8", 0},
        ReadCase{"-&H10", -16}, ReadCase{"&HFFFF", 65535}, ReadCase{"&H", 0}, ReadCase{"&Hg", 0},
        ReadCase{"&X1", 0},
        // No leading number: 0.
        ReadCase{"", 0}, ReadCase{"   ", 0}, ReadCase{"abc", 0}, ReadCase{".", 0}, ReadCase{"-", 0},
        ReadCase{"E5", 0}, ReadCase{",5", 0}, ReadCase{"++1", 0}));

TEST(ReadLeadingNumber, HugeExponentsSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ReadLeadingNumber("1E400"), inf);
  EXPECT_EQ(ReadLeadingNumber("-1E400"), -inf);
  EXPECT_EQ(ReadLeadingNumber("1E99999999999999999999999"), inf);
  EXPECT_EQ(ReadLeadingNumber("0.001E310"), 1e307);
  EXPECT_EQ(ReadLeadingNumber("1E-400"), 0);
  EXPECT_TRUE(std::signbit(ReadLeadingNumber("-1E-99999999999999999999")));
  EXPECT_EQ(ReadLeadingNumber("0E99999"), 0);
  EXPECT_EQ(ReadLeadingNumber("1E308"), 1e308);
}

TEST(ReadLeadingNumber, LongTextsNeverFail) {
  EXPECT_EQ(ReadLeadingNumber(std::string(5000, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("0." + std::string(5000, '0') + "1"), 0);
  EXPECT_EQ(ReadLeadingNumber("&H" + std::string(300, 'F')),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber(std::string(1000, ' ') + "8"), 8);
  EXPECT_EQ(ReadLeadingNumber("\xC3\xA8"
                              "5"),
            0);  // a letter outside ASCII
}

}  // namespace
}  // namespace curvalis
