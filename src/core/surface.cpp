#include "core/surface.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/print_format.h"

namespace curvalis {
namespace {

constexpr Rgb kPalette[16] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
};

// A coordinate as the drawing takes it: a single, or nothing when it is no number or out of
// the single range.
bool ToSingle(double v, float* out) {
  if (!(std::fabs(v) <= static_cast<double>(FLT_MAX))) return false;
  *out = static_cast<float>(v);
  return true;
}

}  // namespace

Rgb Palette(int index) {
  return kPalette[index & 15];
}

Surface::Surface(std::string name, int widthPx, int heightPx)
    : name_(std::move(name)), widthPx_(widthPx), heightPx_(heightPx) {}

void Surface::AddSink(SurfaceSink* sink) {
  sinks_.push_back(sink);
}

void Surface::RemoveSink(SurfaceSink* sink) {
  sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

void Surface::SetBackground(Rgb color) {
  background_ = color;
  currentX_ = scale_.left;
  currentY_ = scale_.top;
  for (auto* s : sinks_) s->OnBackground(color);
}

void Surface::Clear() {
  currentX_ = scale_.left;
  currentY_ = scale_.top;
  for (auto* s : sinks_) s->OnClear();
}

void Surface::SetScale(double left, double top, double right, double bottom) {
  Scale sc;
  if (!ToSingle(left, &sc.left) || !ToSingle(top, &sc.top) || !ToSingle(right, &sc.right) ||
      !ToSingle(bottom, &sc.bottom) || sc.left == sc.right || sc.top == sc.bottom) {
    return;  // a scale that cannot be set leaves the old one
  }
  scale_ = sc;
  for (auto* s : sinks_) s->OnScale(scale_);
}

void Surface::SetDrawWidth(int width) {
  drawWidth_ = std::clamp(width, 1, 100);
}

void Surface::SetForeColor(Rgb color) {
  foreColor_ = color;
}

bool Surface::Line(double x1, double y1, double x2, double y2, Rgb color) {
  float fx1, fy1, fx2, fy2;
  if (!ToSingle(x1, &fx1) || !ToSingle(y1, &fy1) || !ToSingle(x2, &fx2) || !ToSingle(y2, &fy2)) {
    return false;
  }
  for (auto* s : sinks_) s->OnLine(fx1, fy1, fx2, fy2, color, drawWidth_);
  currentX_ = fx2;
  currentY_ = fy2;
  return true;
}

bool Surface::Point(double x, double y, Rgb color) {
  float fx, fy;
  if (!ToSingle(x, &fx) || !ToSingle(y, &fy)) return false;
  for (auto* s : sinks_) s->OnPoint(fx, fy, color, drawWidth_);
  currentX_ = fx;
  currentY_ = fy;
  return true;
}

std::vector<PrintRun> Surface::Layout(const std::vector<PrintItem>& items, std::string* flat) {
  std::vector<PrintRun> runs;
  std::string text;
  int column = 1;  // column of the next character
  for (const PrintItem& item : items) {
    if (item.tab > 0) {
      if (item.tab > column) {
        text.append(static_cast<std::size_t>(item.tab - column), ' ');
        column = item.tab;
      }
      continue;
    }
    if (item.text.empty()) continue;
    if (!runs.empty() && runs.back().column + static_cast<int>(runs.back().text.size()) == column) {
      runs.back().text += item.text;
    } else {
      runs.push_back(PrintRun{column, item.text});
    }
    text += item.text;
    column += static_cast<int>(item.text.size());
  }
  if (flat) *flat = std::move(text);
  return runs;
}

void Surface::Print(const std::vector<PrintItem>& items) {
  std::string flat;
  std::vector<PrintRun> runs = Layout(items, &flat);
  for (auto* s : sinks_) s->OnPrint(currentX_, currentY_, foreColor_, runs, flat);
  // The line break: back to the left edge, one text line lower.
  float lineWorld = (scale_.bottom - scale_.top) * kLineHeightPx / static_cast<float>(heightPx_);
  currentX_ = scale_.left;
  currentY_ += lineWorld;
}

void Surface::Print(std::string_view text) {
  Print({PrintItem{0, std::string(text)}});
}

PrintLine& PrintLine::Tab(int column) {
  items_.push_back(PrintItem{column, {}});
  return *this;
}

PrintLine& PrintLine::Text(std::string_view text) {
  items_.push_back(PrintItem{0, std::string(text)});
  return *this;
}

PrintLine& PrintLine::Double(double v) {
  return Text(PrintDouble(v));
}

PrintLine& PrintLine::Single(float v) {
  return Text(PrintSingle(v));
}

}  // namespace curvalis
