// The trace events of the sheet, one per section.
#include <cmath>

#include "core/trace.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

std::string Bool(bool b) {
  return b ? "true" : "false";
}

std::string Json(const Number& n) {
  std::string value =
      std::isinf(n.value) ? (n.value > 0 ? "\"+inf\"" : "\"-inf\"") : JsonNumber(n.value);
  return "{\"text\":" + JsonString(n.text) + ",\"value\":" + value + ",\"exact\":" + Bool(n.exact) +
         (n.checked ? "" : ",\"checked\":false") + "}";
}

std::string Json(const Interval& i, const std::string& extra = {}) {
  return "{\"from\":" + Json(i.from) + ",\"to\":" + Json(i.to) + ",\"closed\":[" +
         Bool(i.closedLeft) + "," + Bool(i.closedRight) + "]" + extra + "}";
}

std::string Json(const Point& p) {
  return "\"x\":" + Json(p.x) + ",\"y\":" + Json(p.y);
}

template <typename T, typename F>
std::string List(const std::vector<T>& items, F one) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + one(items[i]);
  return out + "]";
}

// An expression's fields: its text and its LaTeX.
std::string ExprJson(const Expr& e) {
  return ",\"text\":" + JsonString(e.text) +
         ",\"latex\":" + JsonString(e.latex.empty() ? LatexText(e.text) : e.latex);
}

std::string SignJson(Sign s) {
  constexpr const char* kSigns[] = {"\"+\"", "\"-\"", "\"0\"", "null", "null"};  // as Sign
  return kSigns[int(s)];
}

std::string SideJson(Side s) {
  constexpr const char* kSides[] = {"\"left\"", "\"right\"", "\"both\"", "\"-inf\"",
                                    "\"+inf\""};  // in the order of Side
  return kSides[int(s)];
}

// The side a horizontal or oblique asymptote is approached from, where the values say it.
std::string FromJson(int from) {
  return from > 0 ? ",\"from\":\"above\"" : from < 0 ? ",\"from\":\"below\"" : "";
}

// A periodic f's points of every period ("x = π/2 + kπ, k ∈ ℤ").
std::string EveryPeriodJson(const std::string& text) {
  return text.empty() ? "" : ",\"every_period\":" + JsonString(text);
}

// The domain: its condition, its intervals, the points where f is discontinuous and how.
std::string DomainBody(const Sheet& s) {
  const Domain& d = s.domain.data.domain;
  return ",\"text\":" + JsonString(d.condition) +
         ",\"intervals\":" + List(d.intervals, [](const Interval& i) { return Json(i); }) +
         ",\"discontinuities\":" + List(s.domain.data.discontinuities, [](const Discontinuity& c) {
           constexpr const char* kKinds[] = {"removable", "jump", "second"};  // as the kinds
           return "{\"x\":" + Json(c.x) + ",\"kind\":\"" + kKinds[int(c.kind)] + "\"" +
                  (c.jump ? ",\"jump\":" + Json(*c.jump) : std::string()) + "}";
         });
}

// A sign chart: its finite columns, and each row's signs walking columns and intervals in
// order; nothing where the section has none.
std::string ChartJson(const Sheet& s, SectionId id) {
  const SignChart* chart = SectionChart(s, id);
  if (!chart) return {};
  const SignChart& c = *chart;
  std::vector<Number> points;
  for (const Number& x : c.xs) {
    if (std::isfinite(x.value)) points.push_back(x);
  }
  return ",\"chart\":{\"points\":" + List(points, [](const Number& n) { return Json(n); }) +
         ",\"rows\":" +
         List(c.rows,
              [&](const SignChartRow& r) {
                std::string signs;
                auto add = [&](Sign sg) {
                  signs += (signs.empty() ? "" : ",") +
                           (sg == Sign::Undefined ? std::string("\"‖\"") : SignJson(sg));
                };
                for (std::size_t i = 0; i < c.xs.size(); ++i) {
                  if (std::isfinite(c.xs[i].value)) add(r.atPoint[i]);
                  if (i + 1 < c.xs.size()) add(r.onInterval[i]);
                }
                return "{\"factor\":" + JsonString(r.factor) +
                       (r.denominator ? ",\"denominator\":true" : "") + ",\"signs\":[" + signs +
                       "]}";
              }) +
         "}";
}

std::string AsymptotesBody(const Sheet& s) {
  return ",\"items\":" +
         List(s.asymptotes.data.items,
              [](const AsymptoteItem& a) {
                switch (a.kind) {
                  case AsymptoteKind::Vertical:
                    return "{\"kind\":\"vertical\",\"x\":" + Json(a.x) +
                           ",\"side\":" + SideJson(a.side) + "}";
                  case AsymptoteKind::Horizontal:
                    return "{\"kind\":\"horizontal\",\"side\":" + SideJson(a.side) +
                           ",\"y\":" + Json(a.q) + FromJson(a.from) + "}";
                  case AsymptoteKind::Oblique:
                    break;
                }
                return "{\"kind\":\"oblique\",\"side\":" + SideJson(a.side) +
                       ",\"m\":" + Json(a.m) + ",\"q\":" + Json(a.q) + FromJson(a.from) + "}";
              }) +
         EveryPeriodJson(s.asymptotes.data.periodicVertical);
}

// f′ and the points where f is not differentiable, with their kind.
std::string DerivativeBody(const Sheet& s) {
  const DerivativeData& d = s.derivative.data;
  return ExprJson(d.d1) +
         ",\"not_differentiable\":" + List(d.kinds, [](const NonDifferentiablePoint& p) {
           constexpr const char* kKinds[] = {"\"corner\"", "\"cusp\"", "\"vertical_tangent\"",
                                             "\"vertical_inflection\"", "null"};  // as the kinds
           return "{\"x\":" + Json(p.x) + ",\"kind\":" + kKinds[int(p.kind)] +
                  ",\"left\":" + (p.left ? Json(*p.left) : "null") +
                  ",\"right\":" + (p.right ? Json(*p.right) : "null") + "}";
         });
}

std::string ParityBody(const ParityData& d) {
  std::string out = std::string(",\"value\":") + (d.parity == Parity::Even  ? "\"even\""
                                                  : d.parity == Parity::Odd ? "\"odd\""
                                                                            : "\"none\"");
  if (d.period) out += ",\"period\":" + Json(*d.period);
  if (d.parity == Parity::None) {
    out += std::string(",\"why\":") +
           (d.why == ParityWhy::DomainNotSymmetric ? "\"domain\"" : "\"values\"");
  }
  return out;
}

std::string LimitsBody(const LimitsData& d) {
  return ",\"items\":" + List(d.items, [](const LimitItem& l) {
           const char* side =
               l.side == Approach::Left || l.side == Approach::PlusInfinity ? "left" : "right";
           return "{\"at\":" + Json(l.at) + ",\"side\":\"" + side +
                  "\",\"value\":" + (l.value ? Json(*l.value) : "null") +
                  (l.reason.empty() ? ""
                                    : ",\"undetermined\":true,\"reason\":" + JsonString(l.reason)) +
                  "}";
         });
}

std::string Body(const Sheet& s, SectionId id) {
  switch (id) {
    case SectionId::Function: {
      const FunctionData& d = s.function.data;
      std::string out = ExprJson(d.f) + ",\"exact\":" + Bool(d.exact);
      if (!d.exact) out += ",\"reason\":" + JsonString(d.reason);
      return out;
    }
    case SectionId::Domain:
      return DomainBody(s);
    case SectionId::Parity:
      return ParityBody(s.parity.data);
    case SectionId::Intercepts:
      return ",\"points\":" +
             List(s.intercepts.data.points, [](const Point& p) { return "{" + Json(p) + "}"; }) +
             EveryPeriodJson(s.intercepts.data.periodicZeros);
    case SectionId::Sign:
      return ",\"intervals\":" +
             List(s.sign.data.intervals,
                  [](const SignInterval& i) {
                    return Json(i.range, ",\"sign\":" + SignJson(i.sign));
                  }) +
             ChartJson(s, id);
    case SectionId::Limits:
      return LimitsBody(s.limits.data);
    case SectionId::Asymptotes:
      return AsymptotesBody(s);
    case SectionId::Derivative:
      return DerivativeBody(s);
    case SectionId::Monotonicity:
      return ",\"intervals\":" +
             List(s.monotonicity.data.intervals,
                  [](const TrendInterval& i) {
                    constexpr const char* kTrends[] = {"increasing", "decreasing", "constant"};
                    return Json(i.range,
                                std::string(",\"trend\":\"") + kTrends[int(i.trend)] + "\"");
                  }) +
             ChartJson(s, id);
    case SectionId::Extrema:
      return ",\"items\":" + List(s.extrema.data.items, [](const ExtremumItem& e) {
               return std::string("{\"kind\":\"") + (e.maximum ? "max" : "min") + "\"," +
                      Json(e.p) + ",\"absolute\":" + Bool(e.absolute) + "}";
             });
    case SectionId::SecondDerivative:
      return ExprJson(s.secondDerivative.data.d2);
    case SectionId::Concavity:
      return ",\"intervals\":" +
             List(s.concavity.data.intervals,
                  [](const ConcavityInterval& i) {
                    return Json(i.range,
                                std::string(",\"concavity\":\"") + (i.up ? "up" : "down") + "\"");
                  }) +
             ChartJson(s, id);
    case SectionId::Inflections:
      return ",\"items\":" + List(s.inflections.data.items, [](const InflectionItem& i) {
               return "{" + Json(i.p) + ",\"horizontal_tangent\":" + Bool(i.horizontalTangent) +
                      "}";
             });
  }
  return {};
}

template <typename T>
std::string Event(const Sheet& sheet, SectionId id, const Section<T>& section) {
  const std::string head = "{\"op\":\"study\",\"section\":\"" + std::string(SectionName(id)) + "\"";
  if (!section.ready || !section.determined) {
    return head + ",\"undetermined\":true,\"reason\":" +
           JsonString(section.ready ? section.reason : std::string("calcolo interrotto")) + "}";
  }
  std::string steps;
  if (!section.steps.empty()) {
    steps = ",\"steps\":" + List(section.steps, [](const Step& st) {
              return "{\"rule\":\"" + std::string(StepRuleName(st.rule)) +
                     "\",\"text\":" + JsonString(st.text) + ",\"latex\":" + JsonString(st.latex) +
                     "}";
            });
  }
  return head + Body(sheet, id) + steps + "}";
}

}  // namespace

std::string StudyEvent(const Sheet& s, SectionId id) {
  std::string event;
  WithSection(s, id, [&](const auto& section) { event = Event(s, id, section); });
  return event;
}

}  // namespace curvalis::study
