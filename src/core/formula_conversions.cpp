// Conversions between the values of the formula language: a value as a number, as a truth
// value and as text, and the result of a formula as it leaves the interpreters.
#include <charconv>

#include "core/formula_kernels.h"
#include "core/formula_names.h"
#include "core/formula_program.h"
#include "core/read_number.h"

namespace curvalis::formula {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

double TextToNumber(std::string_view s) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  double v = 0;
  bool overflow = false;
  std::size_t used = ScanDecimal(s, v, overflow);
  if (used == 0 || overflow) return Boxed(ErrorCode::Value);
  s.remove_prefix(used);
  if (!s.empty() && s.front() == '%') {
    v /= 100;
    s.remove_prefix(1);
  }
  if (!Trim(s).empty()) return Boxed(ErrorCode::Value);
  return negative ? -v : v;
}

double TruthOf(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
    case ValueKind::Bool:
      return v.number != 0 ? 1.0 : 0.0;
    case ValueKind::Empty:
      return 0.0;
    case ValueKind::Error:
      return Boxed(v.error);
    case ValueKind::Text: {
      std::string_view t = Trim(v.text);
      if (EqualsNoCase(t, "TRUE")) return 1.0;
      if (EqualsNoCase(t, "FALSE")) return 0.0;
      return Boxed(ErrorCode::Value);
    }
  }
  return Boxed(ErrorCode::Value);
}

void AppendNumberText(std::string& out, double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  for (char* p = buf; p != res.ptr; ++p) {
    if (*p == 'e') *p = 'E';
  }
  out.append(buf, res.ptr);
}

void FinishResult(Value& v) {
  if (v.kind == ValueKind::Empty) SetNumber(v, 0.0);
  if (v.kind == ValueKind::Number) v.number += 0.0;  // a negative zero becomes 0
  if (v.kind != ValueKind::Text) v.text.clear();     // what a stack slot held before
}

}  // namespace curvalis::formula
