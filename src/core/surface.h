// The drawing surface every command draws through. Surface keeps the state a drawing surface
// has (scale, current text position, draw width, fore colour) and hands each operation, with
// single-precision coordinates, to its sinks: the window's canvas, the batch trace, a test's
// recorder. All of them therefore see the same operations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace curvalis {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb a, Rgb b) = default;
};

// The 16-colour palette, by index.
Rgb Palette(int index);
inline constexpr Rgb kLightGrey{192, 192, 192};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// World coordinates of the upper-left and lower-right corners.
struct Scale {
  float left = 0, top = 0, right = 1, bottom = 1;
  bool operator==(const Scale&) const = default;
};

// One item of a print statement: a text, or a tab to an absolute character column.
struct PrintItem {
  int tab = 0;       // > 0: a tab to this column (the first column is 1)
  std::string text;  // tab == 0: this text
};

// A print statement as the surface lays it out: runs of text each starting at a character
// column (the first column is 1), and the same as one text with every tab written as blanks.
struct PrintRun {
  int column = 1;
  std::string text;
};

class SurfaceSink {
 public:
  virtual ~SurfaceSink() = default;
  virtual void OnBackground(Rgb color) = 0;  // also erases
  virtual void OnClear() = 0;
  virtual void OnScale(const Scale& scale) = 0;
  virtual void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) = 0;
  virtual void OnPoint(float x, float y, Rgb color, int width) = 0;
  virtual void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
                       const std::string& flat) = 0;
};

class Surface {
 public:
  // `widthPx` and `heightPx`: the size of the surface in logical pixels, which fixes how far
  // a line break moves the text position in world units.
  Surface(std::string name, int widthPx, int heightPx);

  const std::string& name() const { return name_; }
  void AddSink(SurfaceSink* sink);
  void RemoveSink(SurfaceSink* sink);

  // Operations.
  void SetBackground(Rgb color);
  void Clear();
  void SetScale(double left, double top, double right, double bottom);
  void SetDrawWidth(int width);
  void SetForeColor(Rgb color);
  // A line or point whose coordinates are no numbers or do not fit a single is not drawn
  // and leaves the text position where it was; the result tells whether it was drawn.
  bool Line(double x1, double y1, double x2, double y2, Rgb color);  // position -> (x2, y2)
  bool Point(double x, double y, Rgb color);                         // position -> (x, y)
  // One print statement, ended by a line break: the position goes to the left edge, one
  // text line lower.
  void Print(const std::vector<PrintItem>& items);
  void Print(std::string_view text);

  // State.
  const Scale& scale() const { return scale_; }
  int drawWidth() const { return drawWidth_; }
  Rgb foreColor() const { return foreColor_; }
  Rgb background() const { return background_; }
  float currentX() const { return currentX_; }
  float currentY() const { return currentY_; }
  int widthPx() const { return widthPx_; }
  int heightPx() const { return heightPx_; }

  // Height of one text line, in logical pixels, the same on every back end.
  static constexpr int kLineHeightPx = 13;

  // Lays out a print statement: runs by column, and the flat text with tabs as blanks.
  static std::vector<PrintRun> Layout(const std::vector<PrintItem>& items, std::string* flat);

 private:
  std::string name_;
  int widthPx_;
  int heightPx_;
  std::vector<SurfaceSink*> sinks_;
  Scale scale_;
  int drawWidth_ = 1;
  Rgb foreColor_ = kBlack;
  Rgb background_ = kLightGrey;
  float currentX_ = 0;
  float currentY_ = 0;
};

// Builds print statements: PrintLine().Tab(100).Text("x=").Double(v).Tab(113)...
class PrintLine {
 public:
  PrintLine& Tab(int column);
  PrintLine& Text(std::string_view text);
  PrintLine& Double(double v);  // print rules, 15 digits
  PrintLine& Single(float v);   // print rules, 7 digits
  const std::vector<PrintItem>& items() const { return items_; }

 private:
  std::vector<PrintItem> items_;
};

}  // namespace curvalis
