// The sheet as a standalone LaTeX document; the sign-and-variation table with tkz-tab.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "core/utf8.h"
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
    {U'∞', "\\ensuremath{\\infty}"},    {U'√', "\\ensuremath{\\surd}"},
    {U'−', "\\ensuremath{-}"},          {U'≈', "\\ensuremath{\\approx}"},
    {U'²', "\\ensuremath{^2}"},         {U'³', "\\ensuremath{^3}"},
    {U'π', "\\ensuremath{\\pi}"},       {U'ℝ', "\\ensuremath{\\mathbb{R}}"},
    {U'∪', "\\ensuremath{\\cup}"},      {U'‖', "\\ensuremath{\\|}"},
    {U'′', "\\ensuremath{'}"},          {U'″', "\\ensuremath{''}"},
    {U'→', "\\ensuremath{\\to}"},       {U'↗', "\\ensuremath{\\nearrow}"},
    {U'↘', "\\ensuremath{\\searrow}"},  {U'⁻', "\\ensuremath{^-}"},
    {U'⁺', "\\ensuremath{^+}"},         {U'≠', "\\ensuremath{\\neq}"},
    {U'≤', "\\ensuremath{\\leq}"},      {U'≥', "\\ensuremath{\\geq}"},
    {U'∈', "\\ensuremath{\\in}"},       {U'∉', "\\ensuremath{\\notin}"},
    {U'∅', "\\ensuremath{\\emptyset}"}, {U'·', "\\ensuremath{\\cdot}"},
    {U'×', "\\ensuremath{\\times}"},    {U'÷', "\\ensuremath{\\div}"},
    {U'«', "\\guillemotleft{}"},        {U'»', "\\guillemotright{}"},
    {U'ℤ', "\\ensuremath{\\mathbb Z}"}, {U'₊', "\\ensuremath{_+}"},
    {U'₋', "\\ensuremath{_-}"},         {U'∧', "\\ensuremath{\\wedge}"},
    {U'∨', "\\ensuremath{\\vee}"},
};

// Latin letters with accents that the T1 fonts hold (Italian and its neighbours).
bool Latin1Letter(char32_t c) {
  return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
}

std::string Math(const Number& n) {
  return "$" + (n.latex.empty() ? n.text : n.latex) + "$";
}

std::string MathOrText(const Expr& e) {
  return e.latex.empty() ? LatexText(e.text) : "$" + e.latex + "$";
}

std::string Preamble() {
  std::string out =
      "\\documentclass[a4paper,11pt]{article}\n"
      "\\usepackage[utf8]{inputenc}\n"
      "\\usepackage[T1]{fontenc}\n"
      "\\usepackage{lmodern}\n"
      "\\usepackage{amsmath,amssymb}\n"
      "\\usepackage[margin=2cm]{geometry}\n"
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

std::string SignCode(Sign s, bool atPoint) {
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

std::string TkzTable(const Sheet& sheet) {
  const VariationTable& t = sheet.table;
  const std::size_t n = t.xs.size();
  if (n < 2) return "";
  char spacing[64];
  std::snprintf(spacing, sizeof spacing, "[lgt=2.2,espcl=%.2f]",
                std::min(2.6, 14.0 / double(n - 1)));
  std::string out = "\\begin{center}\n\\begin{tikzpicture}\n\\tkzTabInit" + std::string(spacing) +
                    "{$x$ /1, $f'(x)$ /1, $f''(x)$ /1, $f(x)$ /2}{";
  for (std::size_t i = 0; i < n; ++i) out += (i ? ", " : "") + Math(t.xs[i]);
  out += "}\n";
  auto line = [&](bool has, const std::vector<Sign>& at, const std::vector<Sign>& on) {
    std::string l = "\\tkzTabLine{";
    for (std::size_t i = 0; i < n; ++i) {
      if (i) l += ", ";
      l += has ? SignCode(at[i], true) : "";
      if (i + 1 < n) l += ", " + (has ? SignCode(on[i], false) : std::string("?"));
    }
    return l + "}\n";
  };
  out += line(t.hasD1, t.d1AtPoint, t.d1OnInterval);
  out += line(t.hasD2, t.d2AtPoint, t.d2OnInterval);
  out += "\\tkzTabVar{";
  for (std::size_t i = 0; i < n; ++i) out += (i ? ", " : "") + VarCell(t, i);
  out += "}\n";
  for (std::size_t i = 0; i < n; ++i) {
    if (VarCell(t, i) == "R/") {
      out += "\\tkzTabIma{" + std::to_string(i) + "}{" + std::to_string(i + 2) + "}{" +
             std::to_string(i + 1) + "}{" + Math(*t.f[i].value) + "}\n";
    }
  }
  return out + "\\end{tikzpicture}\n\\end{center}\n";
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

std::string SheetLatex(const Sheet& sheet) {
  std::string out = Preamble();
  out += "\\begin{document}\n\\section*{" + LatexText(kSheetTitle) + "}\n";
  out += "$f(x) = $ " + LatexText(sheet.function.data.typed) + "\n\n";
  if (!sheet.rejected.empty()) return out + LatexText(sheet.rejected) + "\n\\end{document}\n";
  for (const SectionId id : kOutline) {
    out += "\\subsection*{" + LatexText(SectionTitle(id)) + "}\n\\begin{itemize}\n";
    std::vector<std::string> lines = SectionLines(sheet, id);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      std::string item = LatexText(lines[k]);
      // f, f′ and f″ in LaTeX's own notation where the engine wrote them so.
      if (k == 0 && id == SectionId::Function && sheet.function.determined) {
        item = "$f(x) = $ " + MathOrText(sheet.function.data.f);
      } else if (k == 0 && id == SectionId::Derivative && sheet.derivative.determined) {
        item = "$f'(x) = $ " + MathOrText(sheet.derivative.data.d1);
      } else if (k == 0 && id == SectionId::SecondDerivative && sheet.secondDerivative.determined) {
        item = "$f''(x) = $ " + MathOrText(sheet.secondDerivative.data.d2);
      }
      out += "\\item " + item + "\n";
    }
    out += "\\end{itemize}\n";
  }
  out += "\\subsection*{Tabella dei segni e della variazione}\n";
  const std::string table = sheet.tableReady ? TkzTable(sheet) : "";
  out += table.empty() ? "non determinata\n\n" : table;
  out +=
      "\\noindent I valori segnati con $\\approx$ sono calcolati numericamente (10 cifre "
      "significative); gli altri sono esatti.\n";
  return out + "\\end{document}\n";
}

}  // namespace curvalis::study
