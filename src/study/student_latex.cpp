// The student notation in LaTeX: text mode with its symbols declared in the preamble, and
// math mode, where the notation is read as a formula (powers, roots, fractions, functions).
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/utf8.h"
#include "study/latex_parts.h"
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

// The characters special to LaTeX, as its text mode and its math mode write them.
constexpr Symbol kTextEscapes[] = {
    {U'#', "\\#"},
    {U'$', "\\$"},
    {U'%', "\\%"},
    {U'&', "\\&"},
    {U'_', "\\_"},
    {U'{', "\\{"},
    {U'}', "\\}"},
    {U'\\', "\\textbackslash{}"},
    {U'^', "\\textasciicircum{}"},
    {U'~', "\\textasciitilde{}"},
    {U'<', "\\textless{}"},
    {U'>', "\\textgreater{}"},
    {U'|', "\\textbar{}"},
};
constexpr Symbol kMathEscapes[] = {
    {U'%', "\\%"}, {U'#', "\\#"}, {U'&', "\\&"},           {U'_', "\\_"},    {U'$', "\\$"},
    {U'{', "\\{"}, {U'}', "\\}"}, {U'\\', "\\backslash "}, {U'~', "\\sim "}, {U'*', "\\cdot "},
};

// How `table` writes c; nullptr when it does not hold it.
template <std::size_t N>
const char* Lookup(const Symbol (&table)[N], char32_t c) {
  for (const Symbol& s : table) {
    if (s.code == c) return s.latex;
  }
  return nullptr;
}

// Latin letters with accents that the T1 fonts hold (Italian and its neighbours).
bool Latin1Letter(char32_t c) {
  return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
}

}  // namespace

std::string LatexPreamble() {
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

namespace {

// --- Math mode ------------------------------------------------------------------------------

// The characters of the student notation in math mode.
constexpr Symbol kMath[] = {
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
  if (const char* m = Lookup(kMath, c)) return m;
  if (Latin1Letter(c)) return "\\text{" + std::string(utf8) + "}";
  return "\\diamond ";
}

}  // namespace

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

namespace {

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
      if (const char* e = Lookup(kMathEscapes, char32_t(c))) {
        out += e;
      } else if (c >= 0x20) {
        out += c;
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

}  // namespace

std::string LatexText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t c = Utf8Next(text, i);
    if (const char* e = Lookup(kTextEscapes, c)) {
      out += e;
      continue;
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
    } else if (Latin1Letter(c) || Lookup(kSymbols, c)) {
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

}  // namespace curvalis::study
