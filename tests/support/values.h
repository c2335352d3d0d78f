// Values in test messages: a value as a reader of a failed assertion wants to see it.
#pragma once

#include <string>

#include "core/value.h"

namespace curvalis::testing {

inline std::string Describe(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
      return "number " + std::to_string(v.number);
    case ValueKind::Bool:
      return v.number != 0 ? "TRUE" : "FALSE";
    case ValueKind::Text:
      return "text \"" + v.text + "\"";
    case ValueKind::Empty:
      return "empty";
    case ValueKind::Error:
      return std::string(ErrorText(v.error));
  }
  return "?";
}

}  // namespace curvalis::testing
