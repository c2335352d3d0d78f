#include "app/batch_pointer.h"

#include <charconv>
#include <cmath>

#include "ui/main/tervano.h"

namespace curvalis {
namespace {

std::optional<double> FiniteNumber(std::string_view text) {
  double v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v, std::chars_format::general);
  // from_chars also reads "nan" and "inf": they are no pixel.
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
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

bool CheckPointerValue(const std::string& name, const std::string& text, std::string* error) {
  const char* form = name == "Tervano.Punta"      ? "PX,PY"
                     : name == "Tervano.Trascina" ? "DX,DY"
                                                  : nullptr;
  if (!form || ParsePixelPair(text)) return true;
  *error = name + " takes two numbers " + form + ", not \"" + text + "\"";
  return false;
}

void BatchPunta(Tervano& window, std::string_view text) {
  if (std::optional<QPointF> at = ParsePixelPair(text)) window.coordinateAt(*at);
}

void BatchTrascina(Tervano& window, std::string_view text) {
  if (std::optional<QPointF> by = ParsePixelPair(text)) window.trascina(*by);
}

}  // namespace curvalis
