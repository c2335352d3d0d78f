#include "core/value.h"

#include <limits>

namespace curvalis {

std::string_view ErrorText(ErrorCode code) {
  // In ErrorCode's order.
  static constexpr std::string_view kTexts[] = {"", "#DIV/0!", "#NUM!", "#VALUE!", "#NAME?"};
  return kTexts[std::size_t(code)];
}

bool IsUndefined(const Value& v) {
  switch (v.kind) {
    case ValueKind::Error:
    case ValueKind::Empty:
      return true;
    case ValueKind::Text:
      return v.text.empty();
    case ValueKind::Number:
    case ValueKind::Bool:
      return false;
  }
  return true;
}

double NumberOrNaN(const Value& v) {
  if (v.kind == ValueKind::Number || v.kind == ValueKind::Bool) return v.number;
  return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace curvalis
