// The sheet as a standalone LaTeX document; the sign-and-variation table with tkz-tab.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "core/utf8.h"
#include "study/graph.h"
#include "study/latex_parts.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

std::string Math(const Number& n) {
  return M(NumberLatex(n));
}

std::string VarCell(const VariationTable& t, std::size_t i) {
  const TableFCell& c = t.f[i];
  const bool upLeft = i > 0 && t.arrows[i - 1] == Arrow::Up;
  const bool downLeft = i > 0 && t.arrows[i - 1] == Arrow::Down;
  const bool upRight = i + 1 < t.xs.size() && t.arrows[i] == Arrow::Up;
  const bool downRight = i + 1 < t.xs.size() && t.arrows[i] == Arrow::Down;
  const bool hatchRight = i + 1 < t.xs.size() && t.arrows[i] == Arrow::None;
  if (c.value) {
    // Monotone through the point: no turn, the value sits on the arrow (tkzTabIma below).
    if ((upLeft && upRight) || (downLeft && downRight)) return "R/";
    const bool high = upLeft || downRight || (!downLeft && !upRight);
    return std::string(high ? "+" : "-") + (hatchRight ? "H" : "") + "/ " + Math(*c.value);
  }
  if (c.left && c.right) {
    return std::string(upLeft ? "+" : "-") + "D" + (downRight ? "+" : "-") + "/ " + Math(*c.left) +
           " / " + Math(*c.right);
  }
  // The first and the last column hold the limit at their open end without a bar.
  if (i == 0 && c.right && !c.left)
    return std::string(downRight ? "+" : "-") + "/ " + Math(*c.right);
  if (i + 1 == t.xs.size() && c.left && !c.right) {
    return std::string(upLeft ? "+" : "-") + "/ " + Math(*c.left);
  }
  if (c.left) {
    return std::string(upLeft ? "+" : "-") + (hatchRight ? "DH" : "D") + "/ " + Math(*c.left);
  }
  if (c.right) return std::string("D") + (downRight ? "+" : "-") + "/ / " + Math(*c.right);
  return hatchRight ? "-H/" : "-/";
}

// The width of a value set in the document's math, in centimetres: about half an em a
// character at 11 points, a blank less.
double WidthCm(const std::string& text) {
  double w = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = Utf8Next(text, i);
    w += c == ' ' ? 0.08 : 0.2;
  }
  return w;
}

// The width of the f row's texts at column i, in centimetres.
double FCellCm(const VariationTable& t, std::size_t i, const std::vector<std::string>& shown) {
  return std::max(WidthCm(t.xs[i].text), WidthCm(shown[i]));
}

std::string TkzTable(const Sheet& sheet, std::string* legend) {
  const VariationTable& t = sheet.table;
  const std::size_t n = t.xs.size();
  if (n < 2) return "";
  // The texts of the f row, and the values each stands for when one is moved out of the table
  // into the legend below it ("y₁ = ..."): a value too long for its column.
  std::vector<TableFCell> cells = t.f;
  std::vector<std::string> shown(n);
  for (std::size_t i = 0; i < n; ++i) shown[i] = FCellText(cells[i]);
  const double lgt = 2.2, room = 16.6 - lgt - 0.6;  // the text width less the row names
  auto spacing = [&] {
    double e = std::min(2.6, room / double(n - 1));
    for (std::size_t i = 0; i + 1 < n; ++i) {
      e = std::max(e, (FCellCm(t, i, shown) + FCellCm(t, i + 1, shown)) / 2 + 1.1);
    }
    return e;
  };
  int moved = 0;
  auto wide = [&] {
    return double(n - 1) * spacing() + FCellCm(t, 0, shown) / 2 + FCellCm(t, n - 1, shown) / 2 >
           room;
  };
  // With more columns than the page holds at the least spacing, moving values out gains
  // nothing: the columns are only drawn closer.
  const bool crowded = double(n - 1) * 2.0 > room;
  while (!crowded && wide()) {
    // The longest value still in the table goes to the legend.
    std::size_t longest = n;
    double widest = 0.9;
    for (std::size_t i = 0; i < n; ++i) {
      if (cells[i].value && WidthCm(cells[i].value->text) > widest) {
        widest = WidthCm(cells[i].value->text);
        longest = i;
      }
    }
    if (longest == n) break;
    ++moved;
    const std::string name = "y_{" + std::to_string(moved) + "}";
    *legend += std::string(moved > 1 ? ", " : "") + "$" + name + " = " +
               NumberLatex(*cells[longest].value) + "$";
    cells[longest].value->latex = name;
    cells[longest].value->text = "y" + std::to_string(moved);
    shown[longest] = cells[longest].value->text;
  }
  if (!legend->empty()) *legend = "\\noindent dove " + *legend + ".\n\n";
  VariationTable table = t;
  table.f = cells;
  char options[64];
  // Kept to the page's width whatever the texts: a wider table would not be set at all.
  const double espcl = std::min(spacing(), room / double(n - 1));
  std::snprintf(options, sizeof options, "[lgt=%.1f,espcl=%.2f]", lgt, espcl);
  std::string out = "\\begin{center}\n\\begin{tikzpicture}\n\\tkzTabInit" + std::string(options) +
                    "{$x$ /1, $f'(x)$ /1, $f''(x)$ /1, $f(x)$ /2.4}{";
  for (std::size_t i = 0; i < n; ++i) out += (i ? ", " : "") + Math(t.xs[i]);
  out += "}\n";
  out += TkzSignLine(n, t.hasD1, t.d1AtPoint, t.d1OnInterval);
  out += TkzSignLine(n, t.hasD2, t.d2AtPoint, t.d2OnInterval);
  out += "\\tkzTabVar{";
  for (std::size_t i = 0; i < n; ++i) out += (i ? ", " : "") + VarCell(table, i);
  out += "}\n";
  for (std::size_t i = 0; i < n; ++i) {
    if (VarCell(table, i) == "R/") {
      // On the arrow between the nearest columns that are not passed through themselves
      // (tkz-tab counts its columns from 1).
      std::size_t from = i, to = i + 2;
      while (from > 1 && VarCell(table, from - 1) == "R/") --from;
      while (to < n && VarCell(table, to - 1) == "R/") ++to;
      out += "\\tkzTabIma{" + std::to_string(from) + "}{" + std::to_string(to) + "}{" +
             std::to_string(i + 1) + "}{" + Math(*table.f[i].value) + "}\n";
    }
  }
  return out + "\\end{tikzpicture}\n\\end{center}\n";
}
std::string IntervalLatex(const Interval& i) {
  return std::string(i.closedLeft ? "[" : "\\mathopen{]}") + NumberLatex(i.from) + ";\\, " +
         NumberLatex(i.to) + (i.closedRight ? "]" : "\\mathclose{[}");
}

std::string LimitLatex(const LimitItem& item) {
  switch (item.side) {
    case Approach::MinusInfinity:
      return "\\lim\\limits_{x \\to -\\infty} f(x)";
    case Approach::PlusInfinity:
      return "\\lim\\limits_{x \\to +\\infty} f(x)";
    case Approach::Left:
      return "\\lim\\limits_{x \\to {" + NumberLatex(item.at) + "}^-} f(x)";
    case Approach::Right:
      return "\\lim\\limits_{x \\to {" + NumberLatex(item.at) + "}^+} f(x)";
  }
  return {};
}

std::string SideLatex(Side side) {
  return side == Side::MinusInfinity  ? "per $x \\to -\\infty$"
         : side == Side::PlusInfinity ? "per $x \\to +\\infty$"
                                      : SideText(side);
}

// An interval in math mode, as a part of a line.
std::string IntervalMath(const Interval& i) {
  return M(IntervalLatex(i));
}

std::string ExprLatex(const Expr& e) {
  return e.latex.empty() ? StudentLatex(e.text) : CleanLatex(e.latex);
}

// The lines of one section for the document, each a LaTeX paragraph: Italian words in text
// mode, every value, interval, limit and point in math mode. They say what SectionLines says.
// The lines of the sections from f to the asymptotes, each written as mathematics.
void FirstLatexLines(const Sheet& sheet, SectionId id, std::vector<std::string>& lines) {
  switch (id) {
    case SectionId::Function: {
      const FunctionData& d = sheet.function.data;
      lines.push_back(M("\\displaystyle f(x) = " + ExprLatex(d.f)));
      if (!d.exact) {
        lines.push_back(LatexText("Nessuno studio esatto (" + d.reason +
                                  "): i valori segnati con ≈ sono calcolati numericamente."));
      }
      break;
    }
    case SectionId::Domain: {
      const Domain& d = sheet.domain.data.domain;
      if (!d.condition.empty()) lines.push_back(M(StudentLatex(d.condition)));
      std::string set;
      for (std::size_t i = 0; i < d.intervals.size(); ++i)
        set += (i ? " \\cup " : "") + IntervalLatex(d.intervals[i]);
      // A periodic f: D is every period's; the intervals are those of the period studied.
      const bool periodic = !sheet.domain.data.periodicCondition.empty() && sheet.periodWindow;
      lines.push_back(
          (periodic ? "nel periodo studiato " + M(IntervalLatex(*sheet.periodWindow)) + ": " : "") +
          M("D = " + (set.empty() ? std::string("\\emptyset") : set)));
      break;
    }
    case SectionId::Parity: {
      const ParityData& d = sheet.parity.data;
      lines.push_back(d.parity == Parity::Even  ? "pari"
                      : d.parity == Parity::Odd ? "dispari"
                                                : "né pari né dispari");
      if (d.period) {
        const std::string t = NumberLatex(*d.period);
        const std::string window =
            sheet.periodWindow ? IntervalLatex(*sheet.periodWindow) : "[0; " + t + "\\mathclose{[}";
        lines.push_back("periodica di periodo " + M(t) + ": lo studio che segue è nel periodo " +
                        M(window));
      }
      break;
    }
    case SectionId::Intercepts: {
      for (const Point& p : sheet.intercepts.data.points) lines.push_back(M(PointLatex(p)));
      if (lines.empty()) lines.push_back("nessuna intersezione con gli assi");
      break;
    }
    case SectionId::Sign: {
      KindLines(
          sheet.sign.data.intervals, [](const SignInterval& i) { return i.sign; },
          {{Sign::Plus, "$f > 0$ in "}, {Sign::Minus, "$f < 0$ in "}, {Sign::Zero, "$f = 0$ in "}},
          IntervalMath, lines);
      break;
    }
    case SectionId::Limits: {
      for (const LimitItem& item : sheet.limits.data.items) {
        lines.push_back(item.value ? M(LimitLatex(item) + " = " + NumberLatex(*item.value))
                                   : M(LimitLatex(item)) + " non esiste");
      }
      if (lines.empty()) lines.push_back("nessun limite da calcolare");
      break;
    }
    case SectionId::Asymptotes: {
      for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
        const std::string line =
            a.kind == AsymptoteKind::Vertical     ? "verticale " + M("x = " + NumberLatex(a.x))
            : a.kind == AsymptoteKind::Horizontal ? "orizzontale " + M("y = " + NumberLatex(a.q))
                                                  : "obliquo " + M(LineLatex(a.m, a.q));
        lines.push_back("asintoto " + line + " (" + SideLatex(a.side) + ")");
      }
      if (lines.empty()) lines.push_back("nessun asintoto");
      break;
    }
    default:
      break;
  }
}

// The lines of the sections of the derivatives, each written as mathematics.
void DerivativeLatexLines(const Sheet& sheet, SectionId id, std::vector<std::string>& lines) {
  switch (id) {
    case SectionId::Derivative: {
      const DerivativeData& d = sheet.derivative.data;
      lines.push_back(M("\\displaystyle f'(x) = " + ExprLatex(d.d1)));
      if (!d.notDifferentiable.empty()) {
        std::vector<std::string> parts;
        for (const Number& n : d.notDifferentiable) parts.push_back(M("x = " + NumberLatex(n)));
        lines.push_back("$f$ non è derivabile in " + JoinItalian(parts));
      }
      break;
    }
    case SectionId::Monotonicity: {
      KindLines(
          sheet.monotonicity.data.intervals, [](const TrendInterval& i) { return i.trend; },
          {{Trend::Increasing, "crescente in "},
           {Trend::Decreasing, "decrescente in "},
           {Trend::Constant, "costante in "}},
          IntervalMath, lines);
      break;
    }
    case SectionId::Extrema: {
      for (const ExtremumItem& e : sheet.extrema.data.items) {
        lines.push_back(std::string(e.maximum ? "massimo" : "minimo") +
                        (e.absolute ? " relativo e assoluto " : " relativo ") + M(PointLatex(e.p)));
      }
      if (lines.empty()) lines.push_back("nessun massimo né minimo");
      break;
    }
    case SectionId::SecondDerivative:
      lines.push_back(M("\\displaystyle f''(x) = " + ExprLatex(sheet.secondDerivative.data.d2)));
      break;
    case SectionId::Concavity: {
      KindLines(
          sheet.concavity.data.intervals, [](const ConcavityInterval& i) { return i.up; },
          {{true, "concava verso l'alto in "}, {false, "concava verso il basso in "}}, IntervalMath,
          lines);
      if (lines.empty()) lines.push_back("né concava né convessa in alcun intervallo");
      break;
    }
    case SectionId::Inflections: {
      for (const InflectionItem& i : sheet.inflections.data.items) {
        lines.push_back("flesso " + M(PointLatex(i.p)) +
                        (i.horizontalTangent ? " a tangente orizzontale" : ""));
      }
      if (lines.empty()) lines.push_back("nessun flesso");
      break;
    }
    default:
      break;
  }
}

std::vector<std::string> LatexLines(const Sheet& sheet, SectionId id) {
  std::vector<std::string> lines;
  bool done = false;
  WithSection(sheet, id, [&](const auto& section) { done = section.ready && section.determined; });
  if (!done) {
    for (const std::string& l : SectionLines(sheet, id)) lines.push_back(LatexText(l));
    return lines;
  }
  if (id <= SectionId::Asymptotes) {
    FirstLatexLines(sheet, id, lines);
  } else {
    DerivativeLatexLines(sheet, id, lines);
  }
  return lines;
}

}  // namespace

std::string PointLatex(const Point& p) {
  return "(" + NumberLatex(p.x) + ";\\, " + NumberLatex(p.y) + ")";
}

// y = m·x + q as LineText writes it: "y = x + 2", "y = -x", "y = 2x - \pi", "y = 1".
std::string LineLatex(const Number& m, const Number& q) {
  std::string out = "y = ";
  const bool hasX = m.value != 0 || !m.exact;
  if (!hasX) return out + NumberLatex(q);
  const bool sum = m.text.find(" + ") != std::string::npos ||
                   m.text.find(" − ") != std::string::npos || m.text.rfind("≈", 0) == 0;
  if (m.text == "1") {
    out += "x";
  } else if (m.text == "−1") {
    out += "-x";
  } else {
    out += (sum ? "(" + NumberLatex(m) + ")" : NumberLatex(m)) + "x";
  }
  if (q.value == 0 && q.exact) return out;
  const std::string ql = NumberLatex(q);
  if (q.text.rfind("−", 0) == 0 && !ql.empty() && ql[0] == '-') return out + " - " + ql.substr(1);
  return out + " + " + (q.text.rfind("≈", 0) == 0 ? "(" + ql + ")" : ql);
}

bool SheetHasApproximations(const Sheet& sheet) {
  auto has = [](const std::string& s) { return s.find("≈") != std::string::npos; };
  auto any = [&](const std::vector<std::string>& lines) {
    return std::any_of(lines.begin(), lines.end(), has);
  };
  for (int i = 0; i < kSectionCount; ++i) {
    if (any(SectionLines(sheet, SectionId(i)))) return true;
  }
  if (sheet.tableReady && any(TableLines(sheet))) return true;
  return std::any_of(sheet.points.begin(), sheet.points.end(),
                     [&](const GraphPoint& p) { return has(p.label); });
}

std::string SheetLatex(const Sheet& sheet) {
  std::string out = LatexPreamble();
  out += "\\begin{document}\n\\section*{" + LatexText(kSheetTitle) + "}\n";
  // The heading: f as the sheet writes it, typeset; a formula with no exact study has only its
  // text as typed, set as a formula too.
  const FunctionData& f = sheet.function.data;
  if (sheet.function.determined) {
    out += "\\[ f(x) = " + ExprLatex(f.f) + " \\]\n\n";
  } else if (!f.typed.empty()) {
    out += "\\[ f(x) = " + StudentLatex(f.typed) + " \\]\n\n";
  }
  if (!sheet.rejected.empty()) return out + LatexText(sheet.rejected) + "\n\\end{document}\n";
  for (const SectionId id : kOutline) {
    out += "\\subsection*{" + LatexText(SectionTitle(id)) +
           "}\n\\begin{itemize}\\setlength{\\itemsep}{1pt}\n";
    for (const std::string& line : LatexLines(sheet, id)) out += "\\item " + line + "\n";
    out += "\\end{itemize}\n";
    if (const SignChart* chart = SectionChart(sheet, id)) out += SignChartLatex(*chart);
    out += WorkingLatex(SectionSteps(sheet, id));
  }
  out += "\\subsection*{" + LatexText(kTableTitle) + "}\n";
  std::string legend;
  const std::string table = sheet.tableReady ? TkzTable(sheet, &legend) : "";
  out += table.empty() ? "non determinata\n\n" : table + legend;
  if (sheet.tableReady && !sheet.function.data.typed.empty()) {
    // The heading stays on the page of the picture.
    const std::string graph = GraphTikz(sheet);
    out +=
        "\\par\\noindent\\begin{minipage}{\\linewidth}\n\\subsection*{" + LatexText(kGraphTitle) +
        "}\n" +
        (graph.empty() ? std::string("non determinato: nessuna finestra del grafico\n") : graph) +
        "\\end{minipage}\n\n";
  }
  if (SheetHasApproximations(sheet)) {
    out +=
        "\\noindent I valori segnati con $\\approx$ sono calcolati numericamente (10 cifre "
        "significative); gli altri sono esatti.\n";
  }
  return out + "\\end{document}\n";
}

std::string TkzSignLine(std::size_t n, bool has, const std::vector<Sign>& at,
                        const std::vector<Sign>& on) {
  // Each sign at a column and on an interval, in the order of Sign.
  constexpr const char* kAt[] = {"t", "t", "z", "d", ""};
  constexpr const char* kOn[] = {"+", "-", "0", "h", ""};
  std::string l = "\\tkzTabLine{";
  for (std::size_t i = 0; i < n; ++i) {
    if (i) l += ", ";
    l += has ? kAt[int(at[i])] : "";
    if (i + 1 < n) l += std::string(", ") + (has ? kOn[int(on[i])] : "?");
  }
  return l + "}\n";
}

}  // namespace curvalis::study
