// The study's graph as data, for every painter of it (the window, the PDF, the printed page):
// the view, the curve of f as runs of a polyline cut where it must be, the asymptotes as lines
// across the view and the labelled points. Standard C++ only; drawing is the painters' job.
#pragma once

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
  std::vector<GraphPoint> points;     // the sheet's noteworthy points, marked and labelled
};

// The graph of the sheet with f sampled at samples + 1 evenly spaced abscissas across the view
// (none when the view is empty).
StudyGraph MakeStudyGraph(const Sheet& sheet, int samples);

// The abscissas where the curve must be cut: the vertical asymptotes and the ends of the
// domain's intervals, increasing.
std::vector<double> GraphBreaks(const Sheet& sheet);

}  // namespace curvalis::study
