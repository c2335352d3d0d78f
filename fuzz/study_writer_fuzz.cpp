// Any input as a formula through the exact engine's translation and writers.
// Properties:
// - translating, writing and reading back never throw or crash;
// - a formula outside the elementary part names its first construct outside ("INT");
// - the student text of every elementary formula, within our parser's length and nesting, is a
//   formula our parser accepts, and it translates to a tree again; its LaTeX is never empty;
// - the tree text of every elementary formula parses back to the same tree text.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/formula.h"
#include "exact_engine/translate.h"
#include "exact_engine/writer.h"
#include "exact_protocol/protocol.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "%s\n  %.*s\n  %.*s\n", what, static_cast<int>(a.size()), a.data(),
               static_cast<int>(b.size()), b.data());
  std::abort();
}

int Depth(const curvalis::study::Node& n) {
  int d = 0;
  for (const auto& a : n.args) d = std::max(d, Depth(a));
  return d + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace curvalis::study;
  const std::string_view formula(reinterpret_cast<const char*>(data), size);
  const Translation t = TranslateFormula(formula);
  if (!t.tree) {
    if (!t.rejected && t.construct.empty()) Fail("no tree and no construct named", formula, "");
    return 0;
  }
  // A tree deeper than the channel carries (1%%%…% with hundreds of %) is refused by the
  // helper's reader, and its question answered "non determinato": nothing to read back.
  if (Depth(*t.tree) > kMaxTreeDepth) return 0;
  const std::string tree = TreeText(*t.tree);
  const std::optional<Node> parsed = ParseTree(tree);
  if (!parsed || TreeText(*parsed) != tree) Fail("the tree text does not read back", formula, tree);
  // The student text meets our parser's limits like any typed formula: one longer (a decimal
  // written out in full) or nested deeper than it takes is refused, and the sheet then does
  // not take it as exact (a value falls back to ≈, a derivative is not confirmed).
  const std::string text = StudentText(*t.tree);
  const Translation back = TranslateFormula(text);
  const bool beyondLimits =
      back.rejected && (back.reason == curvalis::RejectText(curvalis::FormulaReject::TooLong) ||
                        back.reason == curvalis::RejectText(curvalis::FormulaReject::TooDeep));
  if (!back.tree && !beyondLimits) Fail("the student text does not read back", formula, text);
  if (LatexText(*t.tree).empty()) Fail("no LaTeX", formula, text);
  return 0;
}
