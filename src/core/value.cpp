#include "core/value.h"

#include <limits>

namespace curvalis {

std::string_view ErrorText(ErrorCode code) {
  switch (code) {
    case ErrorCode::Div0:
      return "#DIV/0!";
    case ErrorCode::Num:
      return "#NUM!";
    case ErrorCode::Value:
      return "#VALUE!";
    case ErrorCode::Name:
      return "#NAME?";
    case ErrorCode::None:
      break;
  }
  return "";
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
