// The study's graph as a TikZ picture, drawn from the same layout as the PDF's graph.
#include <cmath>
#include <cstdio>

#include "core/utf8.h"
#include "study/graph.h"
#include "study/latex_parts.h"
#include "study/sheet_writers.h"

namespace curvalis::study {
namespace {

// --- The graph ----------------------------------------------------------------------------

// The picture's frame in its own units (those of the layout), and the size of a unit: 15 cm
// by 10 cm. The labels are set in \footnotesize (9 pt), the ticks' numbers in \scriptsize (8 pt);
// the layout measures them a little wider than they come out, so a label never runs into another.
constexpr double kFrameW = 600, kFrameH = 400, kUnitCm = 0.025;
constexpr double kUnitsPerPt = 1 / (kUnitCm / 2.54 * 72.27);

double MathWidth(const std::string& text, double pt) {
  double w = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = Utf8Next(text, i);
    w += c == ' ' ? 0.2 : (c == U'(' || c == U')' || c == U';' || c == U'.') ? 0.42 : 0.56;
  }
  return w * pt * kUnitsPerPt;
}

GraphFonts LatexFonts() {
  GraphFonts f;
  f.tickWidth = [](const std::string& t) { return MathWidth(t, 8); };
  f.tickHeight = 10 * kUnitsPerPt;
  f.tickAscent = 6.5 * kUnitsPerPt;
  f.labelWidth = [](const std::string& t) { return MathWidth(t, 9); };
  f.labelHeight = 12 * kUnitsPerPt;
  f.labelAscent = 8 * kUnitsPerPt;
  return f;
}

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
  return buf;
}

std::string At(double x, double y) {
  return "(" + Num(x) + "," + Num(y) + ")";
}

}  // namespace

// The graph as a TikZ picture in the frame's units (y downwards, as the layout has it), and
// the legend of the labels that stand as numbers.
std::string GraphTikz(const Sheet& sheet) {
  const StudyGraph g = MakeStudyGraph(sheet, 600);
  const GraphLayout l = LayOutGraph(g, kFrameW, kFrameH, LatexFonts());
  if (l.width <= 0) return "";
  const GraphFonts fonts = LatexFonts();
  // The colours of the PDF's graph.
  std::string out =
      "\\definecolor{asymptote}{RGB}{30,90,200}\n\\begin{center}\n\\begin{tikzpicture}[x=" +
      Num(kUnitCm) + "cm,y=-" + Num(kUnitCm) + "cm]\n\\begin{scope}\n\\clip (0,0) rectangle " +
      At(kFrameW, kFrameH) + ";\n";
  for (double x : l.xGrid)
    out +=
        "\\draw[black!12,line width=0.3pt] " + At(l.X(x), 0) + " -- " + At(l.X(x), kFrameH) + ";\n";
  for (double y : l.yGrid)
    out +=
        "\\draw[black!12,line width=0.3pt] " + At(0, l.Y(y)) + " -- " + At(kFrameW, l.Y(y)) + ";\n";
  out += "\\draw[line width=0.5pt] " + At(0, l.axisY) + " -- " + At(kFrameW, l.axisY) + ";\n";
  out += "\\draw[line width=0.5pt] " + At(l.axisX, 0) + " -- " + At(l.axisX, kFrameH) + ";\n";
  for (const GraphLine& a : g.asymptotes) {
    out += "\\draw[dashed,asymptote,line width=0.6pt] " + At(l.X(a.x1), l.Y(a.y1)) + " -- " +
           At(l.X(a.x2), l.Y(a.y2)) + ";\n";
  }
  for (const auto& run : g.curve) {
    if (run.size() < 2) continue;
    out += "\\draw[red!80!black,line width=0.9pt,line join=round]";
    int column = 0;
    for (std::size_t k = 0; k < run.size(); ++k) {
      const double y = std::clamp(l.Y(run[k].second), -3 * kFrameH, 4 * kFrameH);
      out += (k ? " -- " : " ") + At(l.X(run[k].first), y);
      if (++column == 6) {
        out += "\n";
        column = 0;
      }
    }
    out += ";\n";
  }
  out += "\\end{scope}\n\\draw[line width=0.4pt] (0,0) rectangle " + At(kFrameW, kFrameH) + ";\n";
  for (const GraphText& t : l.tickTexts) {
    out += "\\node[anchor=base west,inner sep=0,font=\\scriptsize,text=black!70] at " +
           At(t.box.left, t.box.top + fonts.tickAscent) + " {" + M(t.latex) + "};\n";
  }
  for (const GraphPoint& p : g.points) {
    const double x = l.X(p.p.x.value), y = l.Y(p.p.y.value);
    if (!(x >= 0 && x <= kFrameW && y >= 0 && y <= kFrameH)) continue;
    out += p.kind == PointKind::Hole
               ? "\\filldraw[fill=white,draw=green!40!black,line width=0.8pt] " + At(x, y) +
                     " circle[radius=2.4pt];\n"
               : "\\fill[green!40!black] " + At(x, y) + " circle[radius=2.2pt];\n";
  }
  for (const GraphLabel& label : l.labels) {
    const GraphBox& b = label.placed.box;
    if (label.leader) {
      const double x = std::clamp(label.anchorX, b.left, b.right());
      const double y = std::clamp(label.anchorY, b.top, b.bottom());
      out += "\\draw[black!45,line width=0.3pt] " + At(label.anchorX, label.anchorY) + " -- " +
             At(x, y) + ";\n";
    }
    const bool line = label.asymptote >= 0;
    out += std::string("\\node[anchor=base west,inner sep=0.5pt,font=\\footnotesize,fill=white,") +
           "fill opacity=0.8,text opacity=1,text=" + (line ? "asymptote" : "green!35!black") +
           "] at " + At(b.left + 1, b.top + fonts.labelAscent) + " {" +
           (label.number ? "\\textbf{" + label.placed.text + "}" : M(label.placed.latex)) + "};\n";
  }
  out += "\\end{tikzpicture}\n\\end{center}\n";
  if (!l.legend.empty()) {
    out += "\\begin{center}\\footnotesize\n";
    for (std::size_t i = 0; i < l.legend.size(); ++i) {
      out += "\\textbf{" + std::to_string(i + 1) + "}: " + M(l.legend[i].latex) +
             (i + 1 < l.legend.size() ? "\\\\\n" : "\n");
    }
    out += "\\end{center}\n";
  }
  return out;
}

}  // namespace curvalis::study
