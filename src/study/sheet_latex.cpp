// The sheet as a standalone LaTeX document; the sign-and-variation table with tkz-tab.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "core/utf8.h"
#include "study/graph.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

// The symbols of the student notation and of the sheet's texts, as LaTeX writes them. Each
// is declared in the preamble so that the sheet's texts go into the document as they are.
struct Symbol {
  char32_t code;
  const char* latex;
};
constexpr Symbol kSymbols[] = {
    {U'∞', "\\ensuremath{\\infty}"},     {U'√', "\\ensuremath{\\surd}"},
    {U'−', "\\ensuremath{-}"},           {U'≈', "\\ensuremath{\\approx}"},
    {U'²', "\\ensuremath{^2}"},          {U'³', "\\ensuremath{^3}"},
    {U'π', "\\ensuremath{\\pi}"},        {U'ℝ', "\\ensuremath{\\mathbb{R}}"},
    {U'∪', "\\ensuremath{\\cup}"},       {U'‖', "\\ensuremath{\\|}"},
    {U'′', "\\ensuremath{'}"},           {U'″', "\\ensuremath{''}"},
    {U'→', "\\ensuremath{\\to}"},        {U'↗', "\\ensuremath{\\nearrow}"},
    {U'↘', "\\ensuremath{\\searrow}"},   {U'⁻', "\\ensuremath{^-}"},
    {U'⁺', "\\ensuremath{^+}"},          {U'≠', "\\ensuremath{\\neq}"},
    {U'≤', "\\ensuremath{\\leq}"},       {U'≥', "\\ensuremath{\\geq}"},
    {U'∈', "\\ensuremath{\\in}"},        {U'∉', "\\ensuremath{\\notin}"},
    {U'∅', "\\ensuremath{\\emptyset}"},  {U'·', "\\ensuremath{\\cdot}"},
    {U'×', "\\ensuremath{\\times}"},     {U'÷', "\\ensuremath{\\div}"},
    {U'«', "\\guillemotleft{}"},         {U'»', "\\guillemotright{}"},
    {U'∧', "\\ensuremath{\\wedge}"},     {U'∨', "\\ensuremath{\\vee}"},
    {U'ℤ', "\\ensuremath{\\mathbb{Z}}"}, {U'∩', "\\ensuremath{\\cap}"},
    {U'₊', "\\ensuremath{_+}"},          {U'₋', "\\ensuremath{_-}"},
};

// Latin letters with accents that the T1 fonts hold (Italian and its neighbours).
bool Latin1Letter(char32_t c) {
  return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
}

std::string Math(const Number& n) {
  return "$" + NumberLatex(n) + "$";
}

std::string Preamble() {
  std::string out =
      "\\documentclass[a4paper,11pt]{article}\n"
      "\\usepackage[utf8]{inputenc}\n"
      "\\usepackage[T1]{fontenc}\n"
      "\\usepackage{lmodern}\n"
      "\\usepackage{amsmath,amssymb}\n"
      "\\usepackage[margin=2cm]{geometry}\n"
      "\\usepackage{tikz}\n"
      "\\usepackage{tkz-tab}\n"
      // Text a reader copies or searches: ligatures and symbols carry their Unicode.
      "\\input{glyphtounicode}\n"
      "\\pdfgentounicode=1\n";
  for (const Symbol& s : kSymbols) {
    char code[16];
    std::snprintf(code, sizeof code, "%04X", unsigned(s.code));
    out += "\\DeclareUnicodeCharacter{" + std::string(code) + "}{" + s.latex + "}\n";
  }
  return out;
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
  auto line = [&](bool has, const std::vector<Sign>& at, const std::vector<Sign>& on) {
    std::string l = "\\tkzTabLine{";
    for (std::size_t i = 0; i < n; ++i) {
      if (i) l += ", ";
      l += has ? TkzSignCode(at[i], true) : "";
      if (i + 1 < n) l += ", " + (has ? TkzSignCode(on[i], false) : std::string("?"));
    }
    return l + "}\n";
  };
  out += line(t.hasD1, t.d1AtPoint, t.d1OnInterval);
  out += line(t.hasD2, t.d2AtPoint, t.d2OnInterval);
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

// --- Math mode ------------------------------------------------------------------------------

// The characters of the student notation in math mode.
struct MathSymbol {
  char32_t code;
  const char* latex;
};
constexpr MathSymbol kMath[] = {
    {U'−', "-"},           {U'–', "-"},           {U'·', "\\cdot "},     {U'×', "\\times "},
    {U'÷', "\\div "},      {U'∞', "\\infty "},    {U'π', "\\pi "},       {U'≠', "\\neq "},
    {U'≤', "\\leq "},      {U'≥', "\\geq "},      {U'∈', "\\in "},       {U'∉', "\\notin "},
    {U'∪', "\\cup "},      {U'∩', "\\cap "},      {U'∧', "\\wedge "},    {U'∨', "\\vee "},
    {U'ℝ', "\\mathbb{R}"}, {U'ℤ', "\\mathbb{Z}"}, {U'≈', "\\approx "},   {U'→', "\\to "},
    {U'′', "'"},           {U'″', "''"},          {U'∅', "\\emptyset "}, {U'‖', "\\| "},
    {U'²', "^{2}"},        {U'³', "^{3}"},        {U'⁻', "^{-}"},        {U'⁺', "^{+}"},
    {U'↗', "\\nearrow "},  {U'↘', "\\searrow "},  {U'√', "\\surd "},     {U'«', "\\langle "},
    {U'»', "\\rangle "},
};

// One character that is not ASCII, in math mode: its command, an accented letter as text, or a
// diamond for a character the fonts do not hold (never a character pdflatex cannot set).
std::string MathChar(char32_t c, std::string_view utf8) {
  for (const MathSymbol& m : kMath) {
    if (m.code == c) return m.latex;
  }
  if (Latin1Letter(c)) return "\\text{" + std::string(utf8) + "}";
  return "\\diamond ";
}

// The engine's LaTeX, with any character that is not ASCII written as a command.
std::string CleanLatex(std::string_view latex) {
  std::string out;
  for (std::size_t i = 0; i < latex.size();) {
    const std::size_t start = i;
    const char32_t c = Utf8Next(latex, i);
    if (c < 0x80) {
      out += char(c);
    } else {
      out += MathChar(c, latex.substr(start, i - start));
    }
  }
  return out;
}

// The names of functions in the student notation, as LaTeX sets them.
struct FunctionName {
  const char* name;
  const char* latex;
};
constexpr FunctionName kFunctionNames[] = {
    {"ln", "\\ln "},
    {"log", "\\log "},
    {"exp", "\\exp "},
    {"sin", "\\sin "},
    {"cos", "\\cos "},
    {"tan", "\\tan "},
    {"sinh", "\\sinh "},
    {"cosh", "\\cosh "},
    {"tanh", "\\tanh "},
    {"arcsin", "\\arcsin "},
    {"arccos", "\\arccos "},
    {"arctan", "\\arctan "},
    {"sen", "\\operatorname{sen}"},
    {"tg", "\\operatorname{tg}"},
    {"arctg", "\\operatorname{arctg}"},
    {"arcsen", "\\operatorname{arcsen}"},
    {"senh", "\\operatorname{senh}"},
    {"tgh", "\\operatorname{tgh}"},
    {"cotg", "\\operatorname{cotg}"},
    {"sqrt", "\\operatorname{sqrt}"},
};

bool Letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool Digit(char c) {
  return (c >= '0' && c <= '9') || c == '.';
}

std::string StudentMath(std::string_view text, std::size_t& i, std::size_t end);

// The operand after "^" or "√": a group in parentheses (the parentheses only delimit it and
// are dropped), a root, a sign and its operand, or a run of letters and digits.
std::string Operand(std::string_view text, std::size_t& i, std::size_t end) {
  if (i >= end) return "";
  if (text[i] == '(') {
    int depth = 0;
    std::size_t close = i;
    for (; close < end; ++close) {
      depth += text[close] == '(' ? 1 : text[close] == ')' ? -1 : 0;
      if (depth == 0) break;
    }
    if (close < end) {
      std::size_t k = i + 1;
      std::string inner = StudentMath(text, k, close);
      i = close + 1;
      return inner;
    }
  }
  if (text.substr(i, 3) == "√") {
    i += 3;
    return "\\sqrt{" + Operand(text, i, end) + "}";
  }
  if (text[i] == '-' || text.substr(i, 3) == "−") {
    i += text[i] == '-' ? 1 : 3;
    return "-" + Operand(text, i, end);
  }
  std::size_t k = i;
  while (k < end && (Letter(text[k]) || Digit(text[k]))) ++k;
  if (k == i) k = i + 1;
  while (k < end && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) ++k;  // one character
  std::size_t j = i;
  std::string out = StudentMath(text, j, k);
  i = k;
  return out;
}

std::string StudentMath(std::string_view text, std::size_t& i, std::size_t end) {
  std::string out;
  while (i < end) {
    const char c = text[i];
    if (c == '^') {
      ++i;
      out += "^{" + Operand(text, i, end) + "}";
      continue;
    }
    if (Letter(c)) {
      std::size_t k = i;
      while (k < end && Letter(text[k])) ++k;
      std::string_view run = text.substr(i, k - i);
      i = k;
      if (run == "log" && text.substr(i, 2) == "10") {
        out += "\\log_{10}";
        i += 2;
        continue;
      }
      const auto* f = std::find_if(std::begin(kFunctionNames), std::end(kFunctionNames),
                                   [&](const FunctionName& n) { return run == n.name; });
      if (f != std::end(kFunctionNames)) {
        out += f->latex;
      } else if (run.size() == 1) {
        out += run;
      } else {
        out += "\\mathrm{" + std::string(run) + "}";
      }
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      ++i;
      switch (c) {
        case '%':
        case '#':
        case '&':
        case '_':
        case '$':
        case '{':
        case '}':
          out += '\\';
          out += c;
          break;
        case '\\':
          out += "\\backslash ";
          break;
        case '~':
          out += "\\sim ";
          break;
        case '*':
          out += "\\cdot ";
          break;
        default:
          if (c >= 0x20) out += c;
      }
      continue;
    }
    const std::size_t start = i;
    const char32_t u = Utf8Next(text, i);
    if (u == U'√') {
      out += "\\sqrt{" + Operand(text, i, end) + "}";
      continue;
    }
    out += MathChar(u, text.substr(start, i - start));
  }
  return out;
}

std::string M(const std::string& math) {
  return "$" + math + "$";
}

std::string IntervalLatex(const Interval& i) {
  return std::string(i.closedLeft ? "[" : "\\mathopen{]}") + NumberLatex(i.from) + ";\\, " +
         NumberLatex(i.to) + (i.closedRight ? "]" : "\\mathclose{[}");
}

// "A", "A e B", "A, B e C", each part in math mode.
std::string JoinMath(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " e " : ", ";
    out += M(parts[i]);
  }
  return out;
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
  switch (side) {
    case Side::Left:
      return "da sinistra";
    case Side::Right:
      return "da destra";
    case Side::Both:
      return "da entrambi i lati";
    case Side::MinusInfinity:
      return "per $x \\to -\\infty$";
    case Side::PlusInfinity:
      return "per $x \\to +\\infty$";
  }
  return {};
}

template <typename Item, typename Key>
std::vector<std::string> IntervalsLatex(const std::vector<Item>& items, Key key) {
  std::vector<std::string> parts;
  for (const Item& i : items) {
    if (key(i)) parts.push_back(IntervalLatex(i.range));
  }
  return parts;
}

std::string ExprLatex(const Expr& e) {
  return e.latex.empty() ? StudentLatex(e.text) : CleanLatex(e.latex);
}

// The lines of one section for the document, each a LaTeX paragraph: Italian words in text
// mode, every value, interval, limit and point in math mode. They say what SectionLines says.
std::vector<std::string> LatexLines(const Sheet& sheet, SectionId id) {
  std::vector<std::string> lines;
  bool done = false;
  WithSection(sheet, id, [&](const auto& section) { done = section.ready && section.determined; });
  if (!done) {
    for (const std::string& l : SectionLines(sheet, id)) lines.push_back(LatexText(l));
    return lines;
  }
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
      lines.push_back(M("D = " + (set.empty() ? std::string("\\emptyset") : set)));
      break;
    }
    case SectionId::Parity: {
      const ParityData& d = sheet.parity.data;
      lines.push_back(d.parity == Parity::Even  ? "pari"
                      : d.parity == Parity::Odd ? "dispari"
                                                : "né pari né dispari");
      if (d.period) {
        const std::string t = NumberLatex(*d.period);
        lines.push_back("periodica di periodo " + M(t) + ": lo studio che segue è nel periodo " +
                        M("[0; " + t + "\\mathclose{[}"));
      }
      break;
    }
    case SectionId::Intercepts: {
      for (const Point& p : sheet.intercepts.data.points) lines.push_back(M(PointLatex(p)));
      if (lines.empty()) lines.push_back("nessuna intersezione con gli assi");
      break;
    }
    case SectionId::Sign: {
      const auto& items = sheet.sign.data.intervals;
      const std::pair<Sign, const char*> kinds[] = {
          {Sign::Plus, "f > 0"}, {Sign::Minus, "f < 0"}, {Sign::Zero, "f = 0"}};
      for (const auto& kind : kinds) {
        const Sign sign = kind.first;
        auto parts = IntervalsLatex(items, [&](const SignInterval& i) { return i.sign == sign; });
        if (!parts.empty()) lines.push_back(M(kind.second) + " in " + JoinMath(parts));
      }
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
        switch (a.kind) {
          case AsymptoteKind::Vertical:
            lines.push_back("asintoto verticale " + M("x = " + NumberLatex(a.x)) + " (" +
                            SideLatex(a.side) + ")");
            break;
          case AsymptoteKind::Horizontal:
            lines.push_back("asintoto orizzontale " + M("y = " + NumberLatex(a.q)) + " (" +
                            SideLatex(a.side) + ")");
            break;
          case AsymptoteKind::Oblique:
            lines.push_back("asintoto obliquo " + M(LineLatex(a.m, a.q)) + " (" +
                            SideLatex(a.side) + ")");
            break;
        }
      }
      if (lines.empty()) lines.push_back("nessun asintoto");
      break;
    }
    case SectionId::Derivative: {
      const DerivativeData& d = sheet.derivative.data;
      lines.push_back(M("\\displaystyle f'(x) = " + ExprLatex(d.d1)));
      if (!d.notDifferentiable.empty()) {
        std::vector<std::string> parts;
        for (const Number& n : d.notDifferentiable) parts.push_back("x = " + NumberLatex(n));
        lines.push_back("$f$ non è derivabile in " + JoinMath(parts));
      }
      break;
    }
    case SectionId::Monotonicity: {
      const auto& items = sheet.monotonicity.data.intervals;
      const std::pair<Trend, const char*> kinds[] = {{Trend::Increasing, "crescente in "},
                                                     {Trend::Decreasing, "decrescente in "},
                                                     {Trend::Constant, "costante in "}};
      for (const auto& kind : kinds) {
        const Trend trend = kind.first;
        auto parts =
            IntervalsLatex(items, [&](const TrendInterval& i) { return i.trend == trend; });
        if (!parts.empty()) lines.push_back(kind.second + JoinMath(parts));
      }
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
      const auto& items = sheet.concavity.data.intervals;
      auto up = IntervalsLatex(items, [](const ConcavityInterval& i) { return i.up; });
      auto down = IntervalsLatex(items, [](const ConcavityInterval& i) { return !i.up; });
      if (!up.empty()) lines.push_back("concava verso l'alto in " + JoinMath(up));
      if (!down.empty()) lines.push_back("concava verso il basso in " + JoinMath(down));
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
  }
  return lines;
}

// --- The graph ----------------------------------------------------------------------------

// The picture's frame in its own units (those of the layout), and the size of a unit: 15 cm
// by 10 cm. The labels are set in \footnotesize (9 pt), the ticks' numbers in \scriptsize (8 pt);
// the layout measures them a little wider than they come out, so a label never runs into another.
constexpr double kFrameW = 600, kFrameH = 400, kUnitCm = 0.025;
constexpr double kUnitsPerPt = 1 / (kUnitCm / 2.54 * 72.27);

double MathWidth(const std::string& text, double pt) {
  double w = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = Utf8Next(text, i);
    w += c == ' ' ? 0.2 : (c == U'(' || c == U')' || c == U';' || c == U'.') ? 0.42 : 0.56;
  }
  return w * pt * kUnitsPerPt;
}

GraphFonts LatexFonts() {
  GraphFonts f;
  f.tickWidth = [](const std::string& t) { return MathWidth(t, 8); };
  f.tickHeight = 10 * kUnitsPerPt;
  f.tickAscent = 6.5 * kUnitsPerPt;
  f.labelWidth = [](const std::string& t) { return MathWidth(t, 9); };
  f.labelHeight = 12 * kUnitsPerPt;
  f.labelAscent = 8 * kUnitsPerPt;
  return f;
}

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
  return buf;
}

std::string At(double x, double y) {
  return "(" + Num(x) + "," + Num(y) + ")";
}

// The graph as a TikZ picture in the frame's units (y downwards, as the layout has it), and
// the legend of the labels that stand as numbers.
std::string GraphTikz(const Sheet& sheet) {
  const StudyGraph g = MakeStudyGraph(sheet, 600);
  const GraphLayout l = LayOutGraph(g, kFrameW, kFrameH, LatexFonts());
  if (l.width <= 0) return "";
  const GraphFonts fonts = LatexFonts();
  // The colours of the PDF's graph.
  std::string out =
      "\\definecolor{asymptote}{RGB}{30,90,200}\n\\begin{center}\n\\begin{tikzpicture}[x=" +
      Num(kUnitCm) + "cm,y=-" + Num(kUnitCm) + "cm]\n\\begin{scope}\n\\clip (0,0) rectangle " +
      At(kFrameW, kFrameH) + ";\n";
  for (double x : l.xGrid)
    out +=
        "\\draw[black!12,line width=0.3pt] " + At(l.X(x), 0) + " -- " + At(l.X(x), kFrameH) + ";\n";
  for (double y : l.yGrid)
    out +=
        "\\draw[black!12,line width=0.3pt] " + At(0, l.Y(y)) + " -- " + At(kFrameW, l.Y(y)) + ";\n";
  out += "\\draw[line width=0.5pt] " + At(0, l.axisY) + " -- " + At(kFrameW, l.axisY) + ";\n";
  out += "\\draw[line width=0.5pt] " + At(l.axisX, 0) + " -- " + At(l.axisX, kFrameH) + ";\n";
  for (const GraphLine& a : g.asymptotes) {
    out += "\\draw[dashed,asymptote,line width=0.6pt] " + At(l.X(a.x1), l.Y(a.y1)) + " -- " +
           At(l.X(a.x2), l.Y(a.y2)) + ";\n";
  }
  for (const auto& run : g.curve) {
    if (run.size() < 2) continue;
    out += "\\draw[red!80!black,line width=0.9pt,line join=round]";
    int column = 0;
    for (std::size_t k = 0; k < run.size(); ++k) {
      const double y = std::clamp(l.Y(run[k].second), -3 * kFrameH, 4 * kFrameH);
      out += (k ? " -- " : " ") + At(l.X(run[k].first), y);
      if (++column == 6) {
        out += "\n";
        column = 0;
      }
    }
    out += ";\n";
  }
  out += "\\end{scope}\n\\draw[line width=0.4pt] (0,0) rectangle " + At(kFrameW, kFrameH) + ";\n";
  for (const GraphText& t : l.tickTexts) {
    out += "\\node[anchor=base west,inner sep=0,font=\\scriptsize,text=black!70] at " +
           At(t.box.left, t.box.top + fonts.tickAscent) + " {" + M(t.latex) + "};\n";
  }
  for (const GraphPoint& p : g.points) {
    const double x = l.X(p.p.x.value), y = l.Y(p.p.y.value);
    if (!(x >= 0 && x <= kFrameW && y >= 0 && y <= kFrameH)) continue;
    out += p.kind == PointKind::Hole
               ? "\\filldraw[fill=white,draw=green!40!black,line width=0.8pt] " + At(x, y) +
                     " circle[radius=2.4pt];\n"
               : "\\fill[green!40!black] " + At(x, y) + " circle[radius=2.2pt];\n";
  }
  for (const GraphLabel& label : l.labels) {
    const GraphBox& b = label.placed.box;
    if (label.leader) {
      const double x = std::clamp(label.anchorX, b.left, b.right());
      const double y = std::clamp(label.anchorY, b.top, b.bottom());
      out += "\\draw[black!45,line width=0.3pt] " + At(label.anchorX, label.anchorY) + " -- " +
             At(x, y) + ";\n";
    }
    const bool line = label.asymptote >= 0;
    out += std::string("\\node[anchor=base west,inner sep=0.5pt,font=\\footnotesize,fill=white,") +
           "fill opacity=0.8,text opacity=1,text=" + (line ? "asymptote" : "green!35!black") +
           "] at " + At(b.left + 1, b.top + fonts.labelAscent) + " {" +
           (label.number ? "\\textbf{" + label.placed.text + "}" : M(label.placed.latex)) + "};\n";
  }
  out += "\\end{tikzpicture}\n\\end{center}\n";
  if (!l.legend.empty()) {
    out += "\\begin{center}\\footnotesize\n";
    for (std::size_t i = 0; i < l.legend.size(); ++i) {
      out += "\\textbf{" + std::to_string(i + 1) + "}: " + M(l.legend[i].latex) +
             (i + 1 < l.legend.size() ? "\\\\\n" : "\n");
    }
    out += "\\end{center}\n";
  }
  return out;
}

}  // namespace

std::string LatexText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t c = Utf8Next(text, i);
    switch (c) {
      case '\\':
        out += "\\textbackslash{}";
        continue;
      case '^':
        out += "\\textasciicircum{}";
        continue;
      case '~':
        out += "\\textasciitilde{}";
        continue;
      case '#':
      case '$':
      case '%':
      case '&':
      case '_':
      case '{':
      case '}':
        out += '\\';
        out += char(c);
        continue;
      case '<':
        out += "\\textless{}";
        continue;
      case '>':
        out += "\\textgreater{}";
        continue;
      case '|':
        out += "\\textbar{}";
        continue;
      default:
        break;
    }
    if (c == U'√') {
      // The root over the factor after it, drawn as a radical: √3, √x, √(x² − 1).
      std::size_t end = i;
      std::string_view inner;
      if (end < text.size() && text[end] == '(') {
        int depth = 0;
        for (; end < text.size(); ++end) {
          depth += text[end] == '(' ? 1 : text[end] == ')' ? -1 : 0;
          if (depth == 0) break;
        }
        if (end < text.size()) {
          inner = text.substr(i + 1, end - i - 1);
          ++end;
        }
      } else {
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.')) {
          ++end;
        }
        inner = text.substr(i, end - i);
      }
      if (!inner.empty()) {
        out += "\\ensuremath{\\sqrt{\\text{" + LatexText(inner) + "}}}";
        i = end;
        continue;
      }
    }
    if (c < 0x80 && c >= 0x20) {
      out += char(c);
    } else if (Latin1Letter(c) || std::any_of(std::begin(kSymbols), std::end(kSymbols),
                                              [&](const Symbol& s) { return s.code == c; })) {
      out.append(text.substr(start, i - start));
    } else {
      out += "?";
    }
  }
  return out;
}

std::string StudentLatex(std::string_view text) {
  std::size_t i = 0;
  return StudentMath(text, i, text.size());
}

std::string NumberLatex(const Number& n) {
  // A number the sheet wrote itself carries its text as its LaTeX: read as the student text.
  if (n.latex.empty() || n.latex == n.text) return StudentLatex(n.text);
  return CleanLatex(n.latex);
}

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
  for (int i = 0; i < kSectionCount; ++i) {
    for (const std::string& l : SectionLines(sheet, SectionId(i))) {
      if (has(l)) return true;
    }
  }
  if (sheet.tableReady) {
    for (const std::string& l : TableLines(sheet)) {
      if (has(l)) return true;
    }
  }
  for (const GraphPoint& p : sheet.points) {
    if (has(p.label)) return true;
  }
  return false;
}

std::string SheetLatex(const Sheet& sheet) {
  std::string out = Preamble();
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
    if (id == SectionId::Sign && sheet.sign.determined)
      out += SignChartLatex(sheet.sign.data.chart);
    out += WorkingLatex(SectionSteps(sheet, id));
  }
  out += "\\subsection*{Tabella dei segni e della variazione}\n";
  std::string legend;
  const std::string table = sheet.tableReady ? TkzTable(sheet, &legend) : "";
  out += table.empty() ? "non determinata\n\n" : table + legend;
  if (sheet.tableReady && !sheet.function.data.typed.empty()) {
    // The heading stays on the page of the picture.
    const std::string graph = GraphTikz(sheet);
    out +=
        "\\par\\noindent\\begin{minipage}{\\linewidth}\n\\subsection*{Grafico}\n" +
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

std::string TkzSignCode(Sign s, bool atPoint) {
  switch (s) {
    case Sign::Plus:
      return atPoint ? "t" : "+";
    case Sign::Minus:
      return atPoint ? "t" : "-";
    case Sign::Zero:
      return atPoint ? "z" : "0";
    case Sign::Undefined:
      return atPoint ? "d" : "h";
    case Sign::None:
      return "";
  }
  return "";
}

}  // namespace curvalis::study
