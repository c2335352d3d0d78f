#include "exact_engine/conditions.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "exact_engine/translate.h"
#include "exact_engine/writer.h"

namespace curvalis::study {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

bool Near(double a, double b, double rel) {
  return std::fabs(a - b) <= rel * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

bool CollectPoints(const Node& c, std::vector<std::pair<double, Node>>& out) {
  if (c.kind == Node::Kind::True || c.kind == Node::Kind::False) return true;
  if (c.Is("and") || c.Is("or")) {
    for (const Node& a : c.args) {
      if (!CollectPoints(a, out)) return false;
    }
    return true;
  }
  if (c.kind != Node::Kind::Op || c.args.size() != 2 || !IsConditionOp(c.text)) return false;
  const bool left = c.args[0].kind == Node::Kind::X;
  const Node& k = left ? c.args[1] : c.args[0];
  if ((left ? c.args[0] : c.args[1]).kind != Node::Kind::X || HasX(k)) return false;
  const double v = TreeValue(k);
  if (!std::isfinite(v)) return false;
  out.push_back({v, k});
  return true;
}

std::optional<bool> Holds(const Node& c, int p, const std::function<int(double)>& position) {
  if (c.kind == Node::Kind::True) return true;
  if (c.kind == Node::Kind::False) return false;
  if (c.Is("and") || c.Is("or")) {
    const bool all = c.Is("and");
    for (const Node& a : c.args) {
      std::optional<bool> h = Holds(a, p, position);
      if (!h) return std::nullopt;
      if (*h != all) return !all;
    }
    return all;
  }
  const bool left = c.args[0].kind == Node::Kind::X;
  const int q = position(TreeValue(left ? c.args[1] : c.args[0]));
  if (q < 0) return std::nullopt;
  const int a = left ? p : q, b = left ? q : p;
  const std::string& r = c.text;
  if (r == "<") return a < b;
  if (r == "<=") return a <= b;
  if (r == ">") return a > b;
  if (r == ">=") return a >= b;
  if (r == "!=") return a != b;
  if (r == "=") return a == b;
  return std::nullopt;
}

// The domain's condition as a student writes it: "x ∈ ℝ", "x ≠ 2", "x ≥ 1", "−1 ≤ x ≤ 1".
std::string ConditionText(const std::vector<Interval>& iv) {
  if (iv.empty()) return "\xE2\x88\x85";  // ∅
  auto inf = [](const Number& n) { return std::isinf(n.value); };
  if (iv.size() == 1 && inf(iv[0].from) && inf(iv[0].to)) return "x \xE2\x88\x88 \xE2\x84\x9D";
  // Only single points left out: "x ≠ a ∧ x ≠ b".
  bool points = inf(iv.front().from) && inf(iv.back().to);
  for (std::size_t i = 0; points && i + 1 < iv.size(); ++i) {
    points = iv[i].to.value == iv[i + 1].from.value && !iv[i].closedRight && !iv[i + 1].closedLeft;
  }
  std::string out;
  if (points) {
    for (std::size_t i = 0; i + 1 < iv.size(); ++i) {
      if (i) out += " \xE2\x88\xA7 ";
      out += "x \xE2\x89\xA0 " + iv[i].to.text;
    }
    return out;
  }
  for (std::size_t i = 0; i < iv.size(); ++i) {
    if (i) out += " \xE2\x88\xA8 ";
    const Interval& v = iv[i];
    const char* le = "\xE2\x89\xA4";  // ≤
    if (inf(v.from)) {
      out += "x " + std::string(v.closedRight ? le : "<") + " " + v.to.text;
    } else if (inf(v.to)) {
      out += "x " + std::string(v.closedLeft ? "\xE2\x89\xA5" : ">") + " " + v.from.text;
    } else {
      out += v.from.text + " " + (v.closedLeft ? le : "<") + " x " + (v.closedRight ? le : "<") +
             " " + v.to.text;
    }
  }
  return out;
}

}  // namespace

// The intervals where a condition on x holds. The condition compares x with constants;
// those constants, in increasing order, cut the line into points and open pieces, and the
// condition is decided on each exactly by the order of the constants alone.
std::optional<Domain> DomainOfCondition(const Node& cond, const std::optional<Number>& period) {
  std::vector<std::pair<double, Node>> points;
  if (!CollectPoints(cond, points)) return std::nullopt;
  if (period) {
    points.push_back({0.0, Node::Num("0")});
    std::optional<Node> t = TranslateFormula(period->text).tree;
    if (!t || !period->exact) return std::nullopt;
    points.push_back({period->value, *t});
  }
  std::sort(points.begin(), points.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<double, Node>> unique;
  for (auto& p : points) {
    if (unique.empty() || !Near(unique.back().first, p.first, 1e-12)) unique.push_back(p);
  }
  const int k = static_cast<int>(unique.size());
  auto position = [&](double v) {
    for (int j = 0; j < k; ++j) {
      if (Near(unique[static_cast<std::size_t>(j)].first, v, 1e-12)) return 2 * j + 1;
    }
    return -1;
  };
  std::vector<bool> in(static_cast<std::size_t>(2 * k + 1));
  for (int p = 0; p <= 2 * k; ++p) {
    std::optional<bool> h = Holds(cond, p, position);
    if (!h) return std::nullopt;
    bool v = *h;
    if (period) v = v && p >= position(0) && p < position(period->value);
    in[static_cast<std::size_t>(p)] = v;
  }
  Domain d;
  auto end = [&](int j) { return WriteNumber(unique[static_cast<std::size_t>(j)].second); };
  for (int p = 0; p <= 2 * k;) {
    if (!in[static_cast<std::size_t>(p)]) {
      ++p;
      continue;
    }
    int e = p;
    while (e + 1 <= 2 * k && in[static_cast<std::size_t>(e + 1)]) ++e;
    Interval iv;
    if (p % 2 == 1) {
      iv.from = end((p - 1) / 2);
      iv.closedLeft = true;
    } else {
      iv.from = p == 0 ? ApproxNumber(-kInf) : end(p / 2 - 1);
      iv.from.exact = iv.from.exact || p == 0;  // −∞ is exact; a constant keeps its own mark
    }
    if (e % 2 == 1) {
      iv.to = end((e - 1) / 2);
      iv.closedRight = true;
    } else {
      iv.to = e == 2 * k ? ApproxNumber(kInf) : end(e / 2);
      iv.to.exact = iv.to.exact || e == 2 * k;  // +∞ is exact; a constant keeps its own mark
    }
    d.intervals.push_back(iv);
    p = e + 1;
  }
  d.condition = ConditionText(d.intervals);
  return d;
}

}  // namespace curvalis::study
