// The batch trace: one JSON object per line, in the order the program does things.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/surface.h"

namespace curvalis {

// Shortest exact text of a number: a single as a single ("0.1", not "0.100000001").
std::string JsonNumber(double v);
std::string JsonNumber(float v);
std::string JsonString(std::string_view s);  // quoted and escaped; invalid UTF-8 as U+FFFD
std::string JsonColor(Rgb c);                // "\"#RRGGBB\""

class TraceWriter {
 public:
  explicit TraceWriter(std::ostream& out) : out_(out) {}
  void Command(std::string_view name);
  // A message box; `detail`, when not empty, is written as "detail".
  void Message(std::string_view text, std::string_view detail = {});
  void ControlText(std::string_view control, std::string_view text);
  void File(std::string_view path, bool written);
  void Line(const std::string& jsonObject);  // a whole object, already formatted

 private:
  std::ostream& out_;
};

// Writes the drawing operations of one surface into a trace.
class TraceSink : public SurfaceSink {
 public:
  TraceSink(TraceWriter& writer, std::string surfaceName)
      : writer_(writer), surface_(std::move(surfaceName)) {}
  void OnBackground(Rgb color) override;
  void OnClear() override;
  void OnScale(const Scale& scale) override;
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override;
  void OnPoint(float x, float y, Rgb color, int width) override;
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string& flat) override;

 private:
  std::string head(std::string_view op) const;
  TraceWriter& writer_;
  std::string surface_;
};

}  // namespace curvalis
