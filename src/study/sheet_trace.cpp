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

std::string Latex(const Expr& e) {
  return e.latex.empty() ? LatexText(e.text) : e.latex;
}

std::string SignJson(Sign s) {
  switch (s) {
    case Sign::Plus:
      return "\"+\"";
    case Sign::Minus:
      return "\"-\"";
    case Sign::Zero:
      return "\"0\"";
    default:
      return "null";
  }
}

std::string SideJson(Side s) {
  switch (s) {
    case Side::Left:
      return "\"left\"";
    case Side::Right:
      return "\"right\"";
    case Side::Both:
      return "\"both\"";
    case Side::MinusInfinity:
      return "\"-inf\"";
    case Side::PlusInfinity:
      return "\"+inf\"";
  }
  return "null";
}

std::string Body(const Sheet& s, SectionId id) {
  switch (id) {
    case SectionId::Function: {
      const FunctionData& d = s.function.data;
      std::string out = ",\"text\":" + JsonString(d.f.text) +
                        ",\"latex\":" + JsonString(Latex(d.f)) + ",\"exact\":" + Bool(d.exact);
      if (!d.exact) out += ",\"reason\":" + JsonString(d.reason);
      return out;
    }
    case SectionId::Domain: {
      const Domain& d = s.domain.data.domain;
      return ",\"text\":" + JsonString(d.condition) +
             ",\"intervals\":" + List(d.intervals, [](const Interval& i) { return Json(i); });
    }
    case SectionId::Parity: {
      const ParityData& d = s.parity.data;
      std::string out = std::string(",\"value\":") + (d.parity == Parity::Even  ? "\"even\""
                                                      : d.parity == Parity::Odd ? "\"odd\""
                                                                                : "\"none\"");
      if (d.period) out += ",\"period\":" + Json(*d.period);
      return out;
    }
    case SectionId::Intercepts:
      return ",\"points\":" +
             List(s.intercepts.data.points, [](const Point& p) { return "{" + Json(p) + "}"; });
    case SectionId::Sign:
      return ",\"intervals\":" + List(s.sign.data.intervals, [](const SignInterval& i) {
               return Json(i.range, ",\"sign\":" + SignJson(i.sign));
             });
    case SectionId::Limits:
      return ",\"items\":" + List(s.limits.data.items, [](const LimitItem& l) {
               const char* side =
                   l.side == Approach::Left || l.side == Approach::PlusInfinity ? "left" : "right";
               return "{\"at\":" + Json(l.at) + ",\"side\":\"" + side +
                      "\",\"value\":" + (l.value ? Json(*l.value) : "null") +
                      (l.reason.empty()
                           ? ""
                           : ",\"undetermined\":true,\"reason\":" + JsonString(l.reason)) +
                      "}";
             });
    case SectionId::Asymptotes:
      return ",\"items\":" + List(s.asymptotes.data.items, [](const AsymptoteItem& a) {
               switch (a.kind) {
                 case AsymptoteKind::Vertical:
                   return "{\"kind\":\"vertical\",\"x\":" + Json(a.x) +
                          ",\"side\":" + SideJson(a.side) + "}";
                 case AsymptoteKind::Horizontal:
                   return "{\"kind\":\"horizontal\",\"side\":" + SideJson(a.side) +
                          ",\"y\":" + Json(a.q) + "}";
                 case AsymptoteKind::Oblique:
                   break;
               }
               return "{\"kind\":\"oblique\",\"side\":" + SideJson(a.side) + ",\"m\":" + Json(a.m) +
                      ",\"q\":" + Json(a.q) + "}";
             });
    case SectionId::Derivative: {
      const DerivativeData& d = s.derivative.data;
      return ",\"text\":" + JsonString(d.d1.text) + ",\"latex\":" + JsonString(Latex(d.d1)) +
             ",\"not_differentiable\":" +
             List(d.notDifferentiable, [](const Number& n) { return Json(n); });
    }
    case SectionId::Monotonicity:
      return ",\"intervals\":" + List(s.monotonicity.data.intervals, [](const TrendInterval& i) {
               const char* t = i.trend == Trend::Increasing   ? "increasing"
                               : i.trend == Trend::Decreasing ? "decreasing"
                                                              : "constant";
               return Json(i.range, std::string(",\"trend\":\"") + t + "\"");
             });
    case SectionId::Extrema:
      return ",\"items\":" + List(s.extrema.data.items, [](const ExtremumItem& e) {
               return std::string("{\"kind\":\"") + (e.maximum ? "max" : "min") + "\"," +
                      Json(e.p) + ",\"absolute\":" + Bool(e.absolute) + "}";
             });
    case SectionId::SecondDerivative: {
      const Expr& d = s.secondDerivative.data.d2;
      return ",\"text\":" + JsonString(d.text) + ",\"latex\":" + JsonString(Latex(d));
    }
    case SectionId::Concavity:
      return ",\"intervals\":" + List(s.concavity.data.intervals, [](const ConcavityInterval& i) {
               return Json(i.range,
                           std::string(",\"concavity\":\"") + (i.up ? "up" : "down") + "\"");
             });
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
  return head + Body(sheet, id) + "}";
}

}  // namespace

std::string StudyEvent(const Sheet& s, SectionId id) {
  std::string event;
  WithSection(s, id, [&](const auto& section) { event = Event(s, id, section); });
  return event;
}

}  // namespace curvalis::study
