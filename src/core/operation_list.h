// The drawing kept as operations: a surface sink that keeps every operation since the last
// erase (background or clear), so that the same picture can be painted again at any size, on
// any device: the printed page, an exported file, the clipboard, a sharper screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/surface.h"

namespace curvalis {

class OperationList : public SurfaceSink {
 public:
  // One kept operation. Scale: x1, y1, x2, y2 are left, top, right, bottom. Point and print:
  // the position is x1, y1. Print: `print` is the index of its text in texts().
  struct Op {
    enum class Kind : std::uint8_t { Scale, Line, Point, Print };
    Kind kind = Kind::Line;
    Rgb color;
    std::uint8_t width = 1;  // the draw width, 1 to 100
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::uint32_t print = 0;
  };
  struct Text {
    std::vector<PrintRun> runs;
    std::string flat;
  };

  // A list of a surface of `widthPx` x `heightPx` logical pixels, erased to `background`.
  OperationList(int widthPx, int heightPx, Rgb background);

  int widthPx() const { return widthPx_; }
  int heightPx() const { return heightPx_; }
  // The colour the last erase left.
  Rgb background() const { return background_; }
  const std::vector<Op>& ops() const { return ops_; }
  const std::vector<Text>& texts() const { return texts_; }

  // Hands `sink` the whole picture: the background, the scale in force at the erase, then
  // every operation in order. Any sink can take it: a painter, the trace, a test's recorder.
  void Replay(SurfaceSink& sink) const;

  void OnBackground(Rgb color) override;
  void OnClear() override;
  void OnScale(const Scale& scale) override;
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override;
  void OnPoint(float x, float y, Rgb color, int width) override;
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string& flat) override;

 private:
  void Erase();

  int widthPx_;
  int heightPx_;
  Rgb background_;
  Scale scale_;       // the scale in force now
  Scale startScale_;  // the scale in force at the last erase
  std::vector<Op> ops_;
  std::vector<Text> texts_;
};

}  // namespace curvalis
