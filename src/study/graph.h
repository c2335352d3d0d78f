// The study's graph as data, for every painter of it (the window, the PDF, the printed page):
// the view, the curve of f as runs of a polyline cut where it must be, the asymptotes as lines
// across the view and the labelled points. Standard C++ only; drawing is the painters' job.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "study/sheet.h"

namespace curvalis::study {

// A line segment in the graph's coordinates.
struct GraphLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct StudyGraph {
  GraphView view;  // the sheet's view once its table is final, else the default one
  // The curve: each run is a polyline of (x, y); a new run starts where f is undefined, at
  // every break of the domain and where the curve leaves the view on one side and comes back
  // on the other. y is held within 20 view heights of the view.
  std::vector<std::vector<std::pair<double, double>>> curve;
  std::vector<GraphLine> asymptotes;  // dashed; a line serving both infinities drawn once
  // The equation of each line of `asymptotes`, in the student notation and in LaTeX:
  // "x = 2", "y = x + 2".
  std::vector<std::string> asymptoteTexts, asymptoteLatex;
  std::vector<GraphPoint> points;  // the sheet's noteworthy points, marked and labelled
};

// The graph of the sheet with f sampled at samples + 1 evenly spaced abscissas across the view
// (none when the view is empty).
StudyGraph MakeStudyGraph(const Sheet& sheet, int samples);

// The abscissas where the curve must be cut: the vertical asymptotes and the ends of the
// domain's intervals, increasing.
std::vector<double> GraphBreaks(const Sheet& sheet);

// --- The graph laid out in a frame ----------------------------------------------------------
//
// Every painter of the graph (the window, the PDF, the printed page, the SVG beside the
// Markdown, the TikZ picture of the LaTeX document) draws the same layout: the ticks and their
// numbers, the labels of the points and of the asymptotes, and a legend for the labels that
// found no room beside their point. The layout works in the frame's own units, x to the right
// and y downwards from the upper-left corner; texts are measured by the painter's fonts.

// A rectangle of the frame.
struct GraphBox {
  double left = 0, top = 0, width = 0, height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
  bool Overlaps(const GraphBox& o) const {
    return left < o.right() && o.left < right() && top < o.bottom() && o.top < bottom();
  }
};

// How a painter measures its texts: the width of a text in frame units, and the height and
// ascent of a line, for the numbers of the ticks and for the labels.
struct GraphFonts {
  std::function<double(const std::string&)> tickWidth;
  double tickHeight = 12, tickAscent = 9;
  std::function<double(const std::string&)> labelWidth;
  double labelHeight = 14, labelAscent = 11;
};

// A text placed in the frame: the box it fills (its baseline at box.top + ascent).
struct GraphText {
  std::string text;   // the student notation ("(2 − √3; 4 − 2√3)", "x = 2", "−1.5")
  std::string latex;  // the same for LaTeX's math mode
  GraphBox box;
};

// The label of a point or of an asymptote. A label with no room anywhere beside its point
// stands as its number ("1", "2", ...) in `text`, and the legend under the graph says what the
// number stands for.
struct GraphLabel {
  GraphText placed;
  int number = 0;                   // 0: the label itself is shown
  int point = -1;                   // the index in StudyGraph::points, or -1
  int asymptote = -1;               // the index in StudyGraph::asymptotes, or -1
  double anchorX = 0, anchorY = 0;  // the point labelled, in frame units
  bool leader = false;              // placed a line or more away: a thin line joins it to its point
};

struct GraphLayout {
  double width = 0, height = 0;      // the frame
  std::vector<double> xGrid, yGrid;  // the ticks, in the graph's coordinates
  std::vector<GraphText> tickTexts;  // the numbers of the ticks beside the axes
  std::vector<GraphLabel> labels;    // the points' labels first, then the asymptotes'
  std::vector<GraphText> legend;     // "1: (2 + √5; ...)", one a line, in order
  double axisX = 0, axisY = 0;       // where the axes are drawn (kept inside the frame)
  // The frame's coordinates of a point of the graph.
  double X(double x) const { return (x - left) / (right - left) * width; }
  double Y(double y) const { return (top - y) / (top - bottom) * height; }
  double left = 0, right = 1, bottom = 0, top = 1;
};

// The step of the ticks: 1, 2 or 5 times a power of ten giving about `count` ticks over `span`.
double GraphTickStep(double span, int count);
// A tick's number with the decimals its step needs: "0", "−1.5", "2".
std::string GraphTickText(double v, double step);

// Lays out `g` in a frame `width` × `height`: the ticks and their numbers, then each label in
// the first place around its point (right above, right below, left above, left below, above,
// below, then further out) that stays inside the frame and is clear of the labels already
// placed, the numbers of the ticks, the marks of the points and the curve; where the curve
// cannot be avoided the same places are tried again without it, and a label that still fits
// nowhere becomes its number, placed the same way, with its line in the legend.
GraphLayout LayOutGraph(const StudyGraph& g, double width, double height, const GraphFonts& fonts);

}  // namespace curvalis::study
