#include "study/graph.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/eval_service.h"
#include "core/prepare_formula.h"

namespace curvalis::study {

std::vector<double> GraphBreaks(const Sheet& sheet) {
  std::vector<double> breaks;
  if (sheet.asymptotes.determined) {
    for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
      if (a.kind == AsymptoteKind::Vertical) breaks.push_back(a.x.value);
    }
  }
  if (sheet.domain.determined) {
    for (const Interval& i : sheet.domain.data.domain.intervals) {
      if (std::isfinite(i.from.value)) breaks.push_back(i.from.value);
      if (std::isfinite(i.to.value)) breaks.push_back(i.to.value);
    }
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  return breaks;
}

namespace {

// The curve from the program's evaluator, the same one that draws f in the main window.
void SampleCurve(const Sheet& sheet, int samples, StudyGraph& g) {
  const GraphView& v = g.view;
  std::unique_ptr<EvalServer> server = StartEvalServer();
  bool opened = false;
  try {
    server->book().Open(PrepareFormula(sheet.function.data.typed));
    opened = !sheet.function.data.typed.empty();
  } catch (const EvalError&) {
  }
  if (opened) {
    const std::vector<double> breaks = GraphBreaks(sheet);
    const double far = 20 * (v.top - v.bottom);
    bool drawing = false;
    double prevX = 0, prevY = 0;
    for (int k = 0; k <= samples; ++k) {
      const double x = v.left + (v.right - v.left) * k / samples;
      const double y = server->book().NumberAt(x);
      if (!std::isfinite(y)) {
        drawing = false;
        continue;
      }
      bool cut = !drawing;
      if (drawing) {
        const auto b = std::upper_bound(breaks.begin(), breaks.end(), prevX);
        if (b != breaks.end() && *b <= x) cut = true;
        if ((prevY > v.top && y < v.bottom) || (prevY < v.bottom && y > v.top)) cut = true;
      }
      if (cut) g.curve.emplace_back();
      g.curve.back().emplace_back(x, std::clamp(y, v.bottom - far, v.top + far));
      drawing = true;
      prevX = x;
      prevY = y;
    }
  }
  server->book().Close();
  QuitEvalServer(server);
}

}  // namespace

StudyGraph MakeStudyGraph(const Sheet& sheet, int samples) {
  StudyGraph g;
  g.view = sheet.tableReady ? sheet.view : GraphView{};
  g.points = sheet.points;
  const GraphView& v = g.view;
  if (!(v.right > v.left) || !(v.top > v.bottom)) return g;
  if (sheet.asymptotes.determined) {
    for (const AsymptoteItem& a : sheet.asymptotes.data.items) {
      if (a.kind == AsymptoteKind::Vertical) {
        g.asymptotes.push_back({a.x.value, v.top, a.x.value, v.bottom});
      } else {
        const double m = a.kind == AsymptoteKind::Horizontal ? 0 : a.m.value;
        g.asymptotes.push_back({v.left, m * v.left + a.q.value, v.right, m * v.right + a.q.value});
      }
    }
  }
  SampleCurve(sheet, samples, g);
  return g;
}

}  // namespace curvalis::study
