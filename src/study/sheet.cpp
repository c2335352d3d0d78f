#include "study/sheet.h"

#include "study/sheet_writers.h"

#include <cmath>

namespace curvalis::study {
namespace {

struct SectionNames {
  std::string_view name;
  std::string_view title;
};

constexpr std::array<SectionNames, kSectionCount> kNames = {{
    {"function", "Funzione"},
    {"domain", "Dominio"},
    {"parity", "Simmetrie"},
    {"intercepts", "Intersezioni con gli assi"},
    {"sign", "Segno"},
    {"limits", "Limiti"},
    {"asymptotes", "Asintoti"},
    {"derivative", "Derivata prima"},
    {"monotonicity", "Monotonia"},
    {"extrema", "Massimi e minimi"},
    {"second_derivative", "Derivata seconda"},
    {"concavity", "Concavità"},
    {"inflections", "Flessi"},
}};

template <typename T>
bool Pending(const Section<T>& s, std::vector<std::string>* lines) {
  if (!s.ready) {
    lines->push_back("calcolo in corso");
    return true;
  }
  if (!s.determined) {
    // A reason that already says so ("non determinato: tempo scaduto") is not said twice.
    lines->push_back(s.reason.rfind("non determinato", 0) == 0 ? s.reason
                                                               : "non determinato: " + s.reason);
    return true;
  }
  return false;
}

// The mark of a value our evaluator could neither confirm nor refute.
std::string Unchecked(const Number& n) {
  return n.checked ? "" : " (non verificato)";
}

// A factor in a product: a text with a sum or difference inside is put in parentheses.
std::string Factor(const std::string& text) {
  if (text.find(" + ") != std::string::npos || text.find(" − ") != std::string::npos ||
      text.rfind("≈", 0) == 0) {
    return "(" + text + ")";
  }
  return text;
}

// ", grafico sopra l'asintoto" / "sotto", or nothing when the values do not say.
std::string FromText(int from) {
  return from > 0 ? ", grafico sopra l'asintoto" : from < 0 ? ", grafico sotto l'asintoto" : "";
}

// ": f è costante" on one interval of D; on several, `several` ("f è costante in ogni
// intervallo del dominio").
std::string ConstantText(const Sheet& sheet, const std::string& one, const std::string& several) {
  const bool single = sheet.domain.determined && sheet.domain.data.domain.intervals.size() == 1;
  return ": " + (single ? one : several);
}

std::string DiscontinuityText(const Discontinuity& d) {
  const std::string at = "x = " + d.x.text + ": ";
  switch (d.kind) {
    case DiscontinuityKind::Removable:
      return at + "discontinuità eliminabile (di terza specie)" +
             (d.limit ? ", i due limiti valgono " + d.limit->text : std::string());
    case DiscontinuityKind::Jump:
      return at + "discontinuità di salto (di prima specie)" +
             (d.jump ? ", salto " + d.jump->text : std::string());
    case DiscontinuityKind::Second:
      break;
  }
  return at + "discontinuità di seconda specie";
}

std::string NonDifferentiableText(const NonDifferentiablePoint& p) {
  constexpr const char* kKinds[] = {"punto angoloso", "cuspide", "punto a tangente verticale",
                                    "flesso a tangente verticale",
                                    "tipo di punto non determinato"};  // in the order of the kinds
  std::string out = "x = " + p.x.text + ": " + kKinds[int(p.kind)];
  if (p.left) out += ", f′₋(" + p.x.text + ") = " + p.left->text;
  if (p.right) out += ", f′₊(" + p.x.text + ") = " + p.right->text;
  return out;
}

// The lines of the sections of f′ and f″.
void DerivativeLines(const Sheet& sheet, SectionId id, std::vector<std::string>& lines) {
  switch (id) {
    case SectionId::Derivative: {
      if (Pending(sheet.derivative, &lines)) break;
      const DerivativeData& d = sheet.derivative.data;
      lines.push_back(
          "f′(x) = " + d.d1.text +
          (d.d1.text == "0"
               ? ConstantText(sheet, "f è costante", "f è costante in ogni intervallo del dominio")
               : ""));
      if (!d.notDifferentiable.empty()) {
        std::vector<std::string> parts;
        for (const Number& n : d.notDifferentiable) parts.push_back("x = " + n.text);
        lines.push_back("f non è derivabile in " + JoinItalian(parts));
      }
      for (const NonDifferentiablePoint& p : d.kinds) lines.push_back(NonDifferentiableText(p));
      break;
    }
    case SectionId::Monotonicity: {
      if (Pending(sheet.monotonicity, &lines)) break;
      KindLines(
          sheet.monotonicity.data.intervals, [](const TrendInterval& i) { return i.trend; },
          {{Trend::Increasing, "crescente in "},
           {Trend::Decreasing, "decrescente in "},
           {Trend::Constant, "costante in "}},
          IntervalText, lines);
      break;
    }
    case SectionId::Extrema: {
      if (Pending(sheet.extrema, &lines)) break;
      for (const ExtremumItem& e : sheet.extrema.data.items) {
        lines.push_back(std::string(e.maximum ? "massimo" : "minimo") +
                        (e.absolute ? " relativo e assoluto " : " relativo ") + PointText(e.p));
      }
      if (lines.empty()) lines.push_back("nessun massimo né minimo");
      break;
    }
    case SectionId::SecondDerivative: {
      if (Pending(sheet.secondDerivative, &lines)) break;
      const std::string& d2 = sheet.secondDerivative.data.d2.text;
      lines.push_back(
          "f″(x) = " + d2 +
          (d2 == "0"
               ? ConstantText(sheet, "il grafico è una retta",
                              "in ogni intervallo del dominio il grafico è un tratto di retta")
               : ""));
      break;
    }
    case SectionId::Concavity: {
      if (Pending(sheet.concavity, &lines)) break;
      KindLines(
          sheet.concavity.data.intervals, [](const ConcavityInterval& i) { return i.up; },
          {{true, "concava verso l'alto in "}, {false, "concava verso il basso in "}}, IntervalText,
          lines);
      if (lines.empty() && sheet.secondDerivative.determined &&
          sheet.secondDerivative.data.d2.text == "0") {
        lines.push_back("f″(x) = 0 in tutto il dominio: né concava verso l'alto né verso il basso");
      }
      if (lines.empty()) lines.push_back("né concava né convessa in alcun intervallo");
      break;
    }
    case SectionId::Inflections: {
      if (Pending(sheet.inflections, &lines)) break;
      for (const InflectionItem& i : sheet.inflections.data.items) {
        lines.push_back("flesso " + PointText(i.p) +
                        (i.horizontalTangent ? " a tangente orizzontale" : ""));
      }
      if (lines.empty()) lines.push_back("nessun flesso");
      break;
    }
    default:
      break;
  }
}

void FunctionLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.function, &lines)) return;
  const FunctionData& d = sheet.function.data;
  lines.push_back("f(x) = " + d.f.text);
  if (!d.exact) {
    lines.push_back("Nessuno studio esatto (" + d.reason +
                    "): i valori segnati con ≈ sono calcolati numericamente.");
  }
}

void DomainLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.domain, &lines)) return;
  const Domain& d = sheet.domain.data.domain;
  if (!d.condition.empty()) lines.push_back(d.condition);
  std::string set;
  for (const Interval& i : d.intervals) set += (set.empty() ? "" : " ∪ ") + IntervalText(i);
  // A periodic f: D is every period's; the intervals are those of the period studied.
  const bool periodic = !sheet.domain.data.periodicCondition.empty() && sheet.periodWindow;
  lines.push_back(
      (periodic ? "nel periodo studiato " + IntervalText(*sheet.periodWindow) + ": " : "") +
      "D = " + (set.empty() ? "∅" : set));
}

void ParityLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.parity, &lines)) return;
  const ParityData& d = sheet.parity.data;
  lines.push_back(d.parity == Parity::Even  ? "pari: f(−x) = f(x) per ogni x del dominio"
                  : d.parity == Parity::Odd ? "dispari: f(−x) = −f(x) per ogni x del dominio"
                  : d.why == ParityWhy::DomainNotSymmetric
                      ? "né pari né dispari: il dominio non è simmetrico rispetto a 0"
                      : "né pari né dispari: f(−x) non è uguale né a f(x) né a −f(x)");
  if (d.period) {
    const std::string window =
        sheet.periodWindow ? IntervalText(*sheet.periodWindow) : "[0; " + d.period->text + "[";
    lines.push_back("periodica di periodo " + d.period->text +
                    ": lo studio che segue è nel periodo " + window);
  }
}

void InterceptLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.intercepts, &lines)) return;
  for (const Point& p : sheet.intercepts.data.points) lines.push_back(PointText(p));
  if (lines.empty()) lines.push_back("nessuna intersezione con gli assi");
  if (!sheet.intercepts.data.periodicZeros.empty()) {
    lines.push_back("zeri in ogni periodo: " + sheet.intercepts.data.periodicZeros);
  }
}

void SignLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.sign, &lines)) return;
  KindLines(
      sheet.sign.data.intervals, [](const SignInterval& i) { return i.sign; },
      {{Sign::Plus, "f > 0 in "}, {Sign::Minus, "f < 0 in "}, {Sign::Zero, "f = 0 in "}},
      IntervalText, lines);
}

void LimitLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.limits, &lines)) return;
  for (const LimitItem& item : sheet.limits.data.items) {
    lines.push_back(LimitText(item.at, item.side) + "f(x)" +
                    (item.value            ? " = " + item.value->text + Unchecked(*item.value)
                     : item.reason.empty() ? std::string(" non esiste")
                                           : ": " + item.reason));
  }
  if (lines.empty()) lines.push_back("nessun limite da calcolare");
  if (sheet.domain.determined) {
    for (const Discontinuity& d : sheet.domain.data.discontinuities) {
      lines.push_back(DiscontinuityText(d));
    }
  }
}

void AsymptoteLines(const Sheet& sheet, std::vector<std::string>& lines) {
  if (Pending(sheet.asymptotes, &lines)) return;
  for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
    if (a.kind == AsymptoteKind::Vertical) {
      lines.push_back("asintoto verticale x = " + a.x.text + " (" + SideText(a.side) + ")");
      continue;
    }
    const std::string line = a.kind == AsymptoteKind::Horizontal ? "orizzontale y = " + a.q.text
                                                                 : "obliquo " + LineText(a.m, a.q);
    lines.push_back("asintoto " + line + " (" + SideText(a.side) + FromText(a.from) + ")" +
                    Unchecked(a.q));
  }
  if (!sheet.asymptotes.data.periodicVertical.empty()) {
    lines.push_back("asintoti verticali in ogni periodo: " +
                    sheet.asymptotes.data.periodicVertical);
  }
  if (lines.empty()) lines.push_back("nessun asintoto");
}

}  // namespace

std::string_view SectionName(SectionId id) {
  return kNames[std::size_t(id)].name;
}

std::string_view SectionTitle(SectionId id) {
  return kNames[std::size_t(id)].title;
}

bool SectionReady(const Sheet& sheet, SectionId id) {
  bool ready = false;
  WithSection(sheet, id, [&](const auto& section) { ready = section.ready; });
  return ready;
}

std::string JoinItalian(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " e " : ", ";
    out += parts[i];
  }
  return out;
}

std::string LimitText(const Number& at, Approach side) {
  switch (side) {
    case Approach::MinusInfinity:
      return "lim x→−∞ ";
    case Approach::PlusInfinity:
      return "lim x→+∞ ";
    case Approach::Left:
      return "lim x→" + at.text + "⁻ ";
    case Approach::Right:
      return "lim x→" + at.text + "⁺ ";
  }
  return {};
}

std::string SideText(Side side) {
  constexpr const char* kTexts[] = {"da sinistra", "da destra", "da entrambi i lati", "per x → −∞",
                                    "per x → +∞"};  // in the order of Side
  return kTexts[int(side)];
}

std::string_view SignText(Sign sign) {
  constexpr std::string_view kTexts[] = {"+", "−", "0", "‖", ""};  // in the order of Sign
  return kTexts[int(sign)];
}

std::string IntervalText(const Interval& interval) {
  return std::string(interval.closedLeft ? "[" : "]") + interval.from.text + "; " +
         interval.to.text + (interval.closedRight ? "]" : "[");
}

std::string PointText(const Point& point) {
  return "(" + point.x.text + "; " + point.y.text + ")";
}

// y = m·x + q as a student writes it: "y = x + 2", "y = −x", "y = 2x − π", "y = 1".
std::string LineText(const Number& m, const Number& q) {
  std::string out = "y = ";
  const bool hasX = m.value != 0 || !m.exact;
  if (hasX) {
    if (m.text == "1") {
      out += "x";
    } else if (m.text == "−1") {
      out += "−x";
    } else {
      out += Factor(m.text) + "x";
    }
  }
  if (!hasX) return out + q.text;
  if (q.value == 0 && q.exact) return out;
  if (q.text.rfind("−", 0) == 0) return out + " − " + q.text.substr(std::string("−").size());
  return out + " + " + (q.text.rfind("≈", 0) == 0 ? "(" + q.text + ")" : q.text);
}

std::vector<std::string> SectionLines(const Sheet& sheet, SectionId id) {
  std::vector<std::string> lines;
  switch (id) {
    case SectionId::Function:
      FunctionLines(sheet, lines);
      break;
    case SectionId::Domain:
      DomainLines(sheet, lines);
      break;
    case SectionId::Parity:
      ParityLines(sheet, lines);
      break;
    case SectionId::Intercepts:
      InterceptLines(sheet, lines);
      break;
    case SectionId::Sign:
      SignLines(sheet, lines);
      break;
    case SectionId::Limits:
      LimitLines(sheet, lines);
      break;
    case SectionId::Asymptotes:
      AsymptoteLines(sheet, lines);
      break;
    default:
      DerivativeLines(sheet, id, lines);
  }
  return lines;
}

std::string ChartRowTitle(const SignChartRow& row) {
  return row.factor + (row.denominator ? " (den.)" : "");
}

std::string ChartRowLatex(const SignChartRow& row) {
  return row.latex + (row.denominator ? "\\text{ (den.)}" : "");
}

std::string ArrowText(Arrow arrow) {
  constexpr const char* kTexts[] = {"↗", "↘", "→", "‖"};  // in the order of Arrow
  return kTexts[int(arrow)];
}

std::string FCellText(const TableFCell& c) {
  if (c.value) return c.value->text;
  std::string out;
  if (c.left) out += c.left->text;
  if (c.left && c.right) out += " ‖ ";
  if (!c.left && !c.right) out += "‖";
  if (c.right) out += c.right->text;
  return out;
}

std::vector<std::string> TableLines(const Sheet& sheet) {
  if (!sheet.tableReady) return {"tabella: calcolo in corso"};
  const VariationTable& t = sheet.table;
  if (t.xs.empty()) return {"tabella non determinata"};
  std::string x = "x:", d1 = "segno di f′(x):", d2 = "segno di f″(x):", f = "f(x):";
  for (std::size_t i = 0; i < t.xs.size(); ++i) {
    x += (i ? " | " : " ") + t.xs[i].text;
    auto cell = [](Sign s) {
      return s == Sign::None ? std::string() : " " + std::string(SignText(s));
    };
    d1 += t.hasD1 ? cell(t.d1AtPoint[i]) : " ?";
    d2 += t.hasD2 ? cell(t.d2AtPoint[i]) : " ?";
    f += " " + FCellText(t.f[i]);
    if (i + 1 < t.xs.size()) {
      d1 += t.hasD1 ? cell(t.d1OnInterval[i]) : " ?";
      d2 += t.hasD2 ? cell(t.d2OnInterval[i]) : " ?";
      f += " " + ArrowText(t.arrows[i]);
    }
  }
  return {x, d1, d2, f};
}

const std::vector<Step>& SectionSteps(const Sheet& sheet, SectionId id) {
  const std::vector<Step>* steps = nullptr;
  WithSection(sheet, id, [&](const auto& s) { steps = &s.steps; });
  return *steps;
}

const SignChart* SectionChart(const Sheet& sheet, SectionId id) {
  const SignChart* chart = id == SectionId::Sign && sheet.sign.determined ? &sheet.sign.data.chart
                           : id == SectionId::Monotonicity && sheet.monotonicity.determined
                               ? &sheet.monotonicity.data.chart
                           : id == SectionId::Concavity && sheet.concavity.determined
                               ? &sheet.concavity.data.chart
                               : nullptr;
  return chart && !chart->rows.empty() ? chart : nullptr;
}

Sheet ResultsOnly(Sheet sheet) {
  for (int i = 0; i < kSectionCount; ++i) {
    WithSection(sheet, SectionId(i), [](auto& s) { s.steps.clear(); });
  }
  // The sign charts are working too: the window hides them with the rest of it.
  sheet.sign.data.chart = {};
  sheet.monotonicity.data.chart = {};
  sheet.concavity.data.chart = {};
  return sheet;
}

}  // namespace curvalis::study
