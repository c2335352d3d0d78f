// The written study on paper and on screen: the sign-and-variation table drawn as a student
// draws it, the graph of f over a view that shows every noteworthy point, and the whole sheet
// laid out on pages (PDF, printer). One painting routine serves the study window, the PDF file
// and the printed page, so they cannot drift apart. Qt Gui, no widgets.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <string>

#include "study/graph.h"
#include "study/sheet.h"

class QIODevice;
class QPrinter;

namespace curvalis {

inline constexpr char kMsgStudyNotExported[] = "Impossibile esportare lo studio";

// The table's size in its logical units (pixels at 96 dpi) before any scaling.
QSizeF VariationTableSize(const study::VariationTable& table);

// Paints the sign-and-variation table into `area` of `p`: a row of x with the noteworthy
// points, the rows of the signs of f′ and f″ ("+", "−", "0", "‖" where undefined) and the row
// of f with its arrows, values and limits. The table keeps its proportions; it is shrunk to
// the width of `area` when it is wider, never enlarged, and stands at its upper-left corner.
// Returns the height it took.
qreal PaintVariationTable(QPainter& p, const QRectF& area, const study::VariationTable& table);

// The sign chart of Segno ("schema del segno"), painted with the rows of the table: the row of
// x, a sign row for each factor and the row of f. Same rules of size as the table; an empty
// chart has size 0 and paints nothing.
QSizeF SignChartSize(const study::SignChart& chart);
qreal PaintSignChart(QPainter& p, const QRectF& area, const study::SignChart& chart);

// Paints the graph of f into `area` of `p`, over the sheet's view: the axes, the asymptotes
// dashed, the curve evaluated by the program's own evaluator at as many abscissas as `area`
// has device pixels across (twice over), cut at poles and gaps, the noteworthy points marked
// and labelled with their exact coordinates. A sheet without its graph points paints the axes
// of the default view.
void PaintStudyGraph(QPainter& p, const QRectF& area, const study::Sheet& sheet);

// Paints the graph as PaintStudyGraph does into an SVG picture (720 × 540) written to `out`.
// False, with the reason.
bool WriteStudyGraphSvg(QIODevice& out, const study::Sheet& sheet, QString* why);

// The file kinds the sheet is exported to, chosen by the file's ending.
enum class StudyFormat { Pdf, Latex, Markdown };
std::optional<StudyFormat> StudyFormatOf(const QString& path);
// The file ending of a kind, without the dot: "pdf", "tex", "md".
QString StudySuffix(StudyFormat format);

// Writes the sheet to `path` as `format`: a PDF with the table and the graph drawn as vectors
// (its texts stay text), a LaTeX document, a Markdown text with its graph as an SVG picture
// of the same name beside it ("studio.md" links "studio.svg"; when the picture cannot be
// written, the text says why and is written all the same). Written through a temporary file
// renamed over `path`, so a failure leaves an older file whole. False, with the reason.
bool ExportStudy(const study::Sheet& sheet, const QString& path, StudyFormat format,
                 QString* reason);

// Prints the sheet at the printer's resolution on the default printer, or into the PDF file
// `pdfPath` when it is not empty. False, with the reason, when there is no printer or the
// printer fails.
bool PrintStudy(const study::Sheet& sheet, const QString& pdfPath, QString* reason);

// Prints the sheet on `printer` as it was set up (by the print dialog). False, with the reason.
bool PrintStudyOn(QPrinter& printer, const study::Sheet& sheet, QString* reason);

}  // namespace curvalis
