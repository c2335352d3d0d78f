#include "app/batch_pointer.h"

#include "core/read_number.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

// A pixel value: an optional minus, then a decimal number as the formula language reads it,
// and nothing else; "nan", "inf" and a number beyond the doubles are no pixel.
std::optional<double> FiniteNumber(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  double v = 0;
  bool overflow = false;
  if (text.empty() || ScanDecimal(text, v, overflow) != text.size() || overflow) {
    return std::nullopt;
  }
  return negative ? -v : v;
}

}  // namespace

std::optional<QPointF> ParsePixelPair(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::optional<double> a = FiniteNumber(text.substr(0, comma));
  std::optional<double> b = FiniteNumber(text.substr(comma + 1));
  if (!a || !b) return std::nullopt;
  return QPointF(*a, *b);
}

bool CheckPointerValue(Cmd id, const std::string& text, std::string* error) {
  const char* form = id == Cmd::TervanoPunta      ? "PX,PY"
                     : id == Cmd::TervanoTrascina ? "DX,DY"
                                                  : nullptr;
  if (!form || ParsePixelPair(text)) return true;
  *error = std::string(CommandName(id)) + " takes two numbers " + form + ", not \"" + text + "\"";
  return false;
}

void BatchPunta(Tervano& window, std::string_view text) {
  if (std::optional<QPointF> at = ParsePixelPair(text)) window.coordinateAt(*at);
}

void BatchTrascina(Tervano& window, std::string_view text) {
  if (std::optional<QPointF> by = ParsePixelPair(text)) window.trascina(*by);
}

}  // namespace curvalis
