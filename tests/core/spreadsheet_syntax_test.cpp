// The formulas of the spreadsheet syntax keep their values bit for bit now that the language
// also reads formulas as students write them. data/spreadsheet_syntax_values.txt holds some two
// thousand formulas (everyday ones, random ones of the grammar, and the inputs a fuzzing run
// of the evaluator collected) with the values the evaluator gave them before the student
// notation, recorded at seven points. Only these may differ:
// - MOD, which is now a - b*INT(a/b);
// - a value that was #NAME?: a name that meant nothing then (e, pi, sen, x1 before "(") may
//   mean something now;
// - a formula with a name the language does not know, or a function's name without its "(",
//   is now rejected where it used to give #NAME?;
// - a formula that was a syntax error may now read as the student notation (2x1, (1)(2)).
#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/formula.h"
#include "support/recorded_table.h"

namespace curvalis {
namespace {

const double kPoints[] = {-2.5, -1, 0, 0.5, 2, 3.7, 1e6};

using testing::Unescape;

// A value as the table writes it: N:bits in hex, B:1, T:text, E:#DIV/0!.
std::string Encode(const Value& v) {
  char buf[40];
  switch (v.kind) {
    case ValueKind::Number:
      std::snprintf(buf, sizeof buf, "N:%016llx",
                    static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v.number)));
      return buf;
    case ValueKind::Bool:
      return v.number != 0 ? "B:1" : "B:0";
    case ValueKind::Text: {
      std::string out = "T:";
      for (unsigned char c : v.text) {
        if (c == '\\') {
          out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
      }
      return out;
    }
    case ValueKind::Error:
      return "E:" + std::string(ErrorText(v.error));
    case ValueKind::Empty:
      return "empty";
  }
  return "?";
}

bool UsesMod(const std::string& formula) {
  std::string upper;
  for (char c : formula) upper.push_back(static_cast<char>(std::toupper(c)));
  return upper.find("MOD(") != std::string::npos;
}

struct Row {
  std::string formula;
  std::string rejected;             // the old reason, or empty
  std::vector<std::string> values;  // at kPoints
};

std::vector<Row> ReadTable() {
  std::ifstream in(CURVALIS_CORE_TEST_DATA "/spreadsheet_syntax_values.txt", std::ios::binary);
  std::vector<Row> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string field;
    Row row;
    std::getline(fields, field, '\t');
    row.formula = Unescape(field);
    while (std::getline(fields, field, '\t')) {
      if (field.rfind("R:", 0) == 0) {
        row.rejected = field.substr(2);
      } else {
        row.values.push_back(field);
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST(SpreadsheetSyntaxTest, KeepsItsValuesBitForBit) {
  const std::vector<Row> rows = ReadTable();
  ASSERT_GE(rows.size(), 2000u);
  int same = 0, sameRejected = 0, modChanged = 0, nameChanged = 0, nowRejected = 0, nowRead = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.formula);
    CompiledFormula f;
    const FormulaReject reason = f.Compile(row.formula);
    if (!row.rejected.empty()) {
      if (reason == FormulaReject::None) {
        // Only a syntax error of the old language can be the new notation.
        EXPECT_EQ(row.rejected, "syntax error");
        ++nowRead;
      } else {
        ++sameRejected;
      }
      continue;
    }
    ASSERT_EQ(row.values.size(), std::size(kPoints));
    if (reason != FormulaReject::None) {
      EXPECT_TRUE(reason == FormulaReject::UnknownName || reason == FormulaReject::MissingCallParen)
          << RejectText(reason);
      ++nowRejected;
      continue;
    }
    bool differs = false, allowed = true;
    for (std::size_t i = 0; i < std::size(kPoints); ++i) {
      const std::string now = Encode(f.Evaluate(kPoints[i]));
      if (now == row.values[i]) continue;
      differs = true;
      if (!UsesMod(row.formula) && row.values[i] != "E:#NAME?") {
        allowed = false;
        ADD_FAILURE() << "at x = " << kPoints[i] << ": " << now << ", was " << row.values[i];
      }
    }
    if (!differs) {
      ++same;
    } else if (allowed) {
      ++(UsesMod(row.formula) ? modChanged : nameChanged);
    }
  }
  std::printf(
      "%zu formulas: %d the same, %d rejected as before, %d changed by MOD, %d that were "
      "#NAME? read now, %d rejected now, %d syntax errors read as the new notation\n",
      rows.size(), same, sameRejected, modChanged, nameChanged, nowRejected, nowRead);
  EXPECT_GE(same, 800);  // most of them, or the table is not what it claims
}

}  // namespace
}  // namespace curvalis
