#include "session/pointer_readout.h"

#include <charconv>
#include <cmath>

#include "core/prepare_formula.h"
#include "core/print_format.h"
#include "session/main_commands.h"

namespace curvalis {
namespace {

// Enough decimals for the smallest pixel a view can have, and more.
constexpr int kMaxDecimals = 15;

std::string WithSeparator(std::string s, std::string_view decimalSeparator) {
  std::size_t dot = s.find('.');
  if (dot != std::string::npos) s.replace(dot, 1, decimalSeparator);
  return s;
}

}  // namespace

int ReadoutDecimals(double pixelWidth) {
  if (!(pixelWidth > 0)) return kMaxDecimals;
  int d = 0;
  while (d < kMaxDecimals && std::pow(10.0, -d) > pixelWidth) ++d;
  return d;
}

double ReadoutAbscissa(const ViewState& view, double px) {
  const double step = PixelWidth(view);
  const double left = view.OffsetX - 3.2 * view.ScaleUnit;
  const double x = left + px * step;
  const double scale = std::pow(10.0, ReadoutDecimals(step));
  const double scaled = x * scale;
  // Beyond 2^53 a double has no fraction left to round away.
  if (!(std::fabs(scaled) < 0x1p53)) return x;
  double rounded = std::round(scaled) / scale;
  return rounded == 0 ? 0.0 : rounded;  // no negative zero
}

std::string ReadoutXText(double x, int decimals, std::string_view decimalSeparator) {
  if (x == 0) return "0";
  if (!(std::fabs(x) < 1e15)) return FormatGeneral(x, decimalSeparator);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  std::string s(buf, res.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return WithSeparator(std::move(s), decimalSeparator);
}

std::string ReadoutYText(double y, std::string_view decimalSeparator) {
  return FormatGeneral(y, decimalSeparator, 6);
}

PointerReadout::PointerReadout() = default;
PointerReadout::~PointerReadout() = default;

bool PointerReadout::Prepare(std::string_view funzione) {
  if (prepared_ && funzione == funzione_) return accepted_;
  funzione_.assign(funzione);
  prepared_ = true;
  accepted_ = formula_.Compile(PrepareFormula(funzione)) == FormulaReject::None;
  return accepted_;
}

std::string PointerReadout::Text(std::string_view funzione, const ViewState& view, double px,
                                 double py, std::string_view decimalSeparator) {
  try {
    if (!(px >= 0 && px <= kDrawingWidthPx && py >= 0 && py <= kDrawingHeightPx)) return {};
    if (!Prepare(funzione)) return {};
    const double x = ReadoutAbscissa(view, px);
    if (!std::isfinite(x)) return {};
    std::string text =
        "x = " + ReadoutXText(x, ReadoutDecimals(PixelWidth(view)), decimalSeparator);
    // Where the program uses f as a number (the graph drawn under the pointer), a truth value
    // is 1 or 0 and every text or error value is no number.
    const double y = formula_.EvaluateNumber(x);
    if (std::isfinite(y)) {
      text += "   f(x) = " + ReadoutYText(y, decimalSeparator);
    } else {
      text += "   f(x) non definita";
    }
    return text;
  } catch (...) {
    // Only running out of memory gets here: then there is nothing to show.
    prepared_ = false;
    return {};
  }
}

}  // namespace curvalis
