#include "io/study/study_output.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "io/save_file.h"
#include "io/study/sheet_text.h"
#include "study/sheet_writers.h"

namespace curvalis {

using namespace sheet_text;

namespace {

// The pages being written: where the next line goes, a new page where a block does not fit.
struct Pages {
  QPagedPaintDevice& device;
  QPainter& p;
  QRectF page;
  qreal y = 0;

  void Room(qreal needed) {
    if (y + needed <= page.height() || y == 0) return;
    device.newPage();
    y = 0;
  }

  void Paragraph(const QString& text, const QFont& font, qreal indent, qreal after) {
    // A line with a power that fits the page is set with its exponent raised ("x^4" as x⁴,
    // "e^(−x)" with −x up, the parentheses that only delimit it left out).
    const qreal size = font.pixelSize();
    if (text.contains(u'^') && !font.bold() &&
        LabelWidth(text, false, size) <= page.width() - indent) {
      const QFontMetricsF fm(font);
      const qreal height = fm.height() + kRaise * size / kLabelFont;
      Room(height);
      DrawLabel(p, QPointF(indent, y + kRaise * size / kLabelFont + fm.ascent()), text, false,
                size);
      y += height + after;
      return;
    }
    p.setFont(font);
    const QRectF box(indent, 0, page.width() - indent, 1e6);
    const QRectF need = p.boundingRect(box, Qt::TextWordWrap, text);
    Room(need.height());
    p.drawText(QRectF(indent, y, page.width() - indent, need.height() + 2), Qt::TextWordWrap, text);
    y += need.height() + after;
  }

  // A section: its heading and lines, the sign chart under Segno, the working under the
  // results with its lines numbered as in the other documents.
  void Section(const study::Sheet& sheet, study::SectionId id) {
    const QFont heading = SheetFont(14, true), body = SheetFont(12);
    Room(60);
    Paragraph(Q(study::SectionTitle(id)), heading, 0, 2);
    for (const std::string& line : study::SectionLines(sheet, id)) {
      Paragraph(Q(line), body, 16, 1);
    }
    if (const study::SignChart* chart = study::SectionChart(sheet, id)) {
      const QSizeF size = SignChartSize(*chart);
      const qreal scale = std::min(1.0, (page.width() - 16) / size.width());
      Room(24 + size.height() * scale);
      Paragraph(Q(study::kSignChartTitle), SheetFont(12, true), 16, 4);
      y += PaintSignChart(p, QRectF(16, y, page.width() - 16, size.height()), *chart) + 6;
    }
    const std::vector<study::Step>& steps = study::SectionSteps(sheet, id);
    if (!steps.empty()) {
      y += 3;
      Paragraph(Q(study::kWorkingTitle), SheetFont(12, true), 16, 1);
      for (std::size_t k = 0; k < steps.size(); ++k) {
        Paragraph(QString::number(k + 1) + QStringLiteral(". ") + Q(steps[k].text), body, 28, 1);
      }
    }
    y += 8;
  }

  // The variation table and the graph, each under its heading.
  void TableAndGraph(const study::Sheet& sheet) {
    const QFont heading = SheetFont(14, true);
    const QSizeF size = VariationTableSize(sheet.table);
    const qreal scale = std::min(1.0, page.width() / size.width());
    Room(30 + size.height() * scale);
    Paragraph(Q(study::kTableTitle), heading, 0, 6);
    y += PaintVariationTable(p, QRectF(0, y, page.width(), size.height()), sheet.table) + 14;

    const qreal graphHeight = std::min(page.width() * 0.75, page.height() - 40);
    Room(30 + graphHeight);
    Paragraph(Q(study::kGraphTitle), heading, 0, 6);
    PaintStudyGraph(p, QRectF(0, y, page.width(), graphHeight), sheet);
    y += graphHeight;
  }
};

// The whole sheet on pages of `device`: the formula studied, each section with its heading and
// lines, the table and the graph; a new page where the next block does not fit.
bool PaintSheetPages(QPagedPaintDevice& device, const study::Sheet& sheet, QString* why) {
  QPainter p;
  if (!p.begin(&device)) {
    *why = QStringLiteral("il documento non può essere scritto");
    return false;
  }
  // Logical units of 96 to the inch, whatever the device's resolution.
  const qreal unit = device.logicalDpiX() / 96.0;
  p.scale(unit, unit);
  Pages pages{device, p, QRectF(0, 0, device.width() / unit, device.height() / unit)};
  pages.Paragraph(Q(study::kSheetTitle), SheetFont(18, true), 0, 4);
  // f as the sheet writes it; the text as typed only when the sheet has none.
  const std::string& f = sheet.function.determined && !sheet.function.data.f.text.empty()
                             ? sheet.function.data.f.text
                             : sheet.function.data.typed;
  if (!f.empty()) pages.Paragraph(QStringLiteral("f(x) = ") + Q(f), SheetFont(12), 0, 10);
  for (const study::SectionId id : study::kOutline) pages.Section(sheet, id);
  if (sheet.tableReady) pages.TableAndGraph(sheet);
  return p.end();
}

bool WriteSheetPdf(QIODevice& out, const study::Sheet& sheet, QString* why) {
  QPdfWriter writer(&out);
  writer.setCreator(QStringLiteral("Curvalis"));
  writer.setTitle(Q(study::kSheetTitle));
  writer.setResolution(1200);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
  if (!PaintSheetPages(writer, sheet, why)) {
    if (why->isEmpty()) *why = QStringLiteral("il file PDF non può essere scritto");
    return false;
  }
  return true;
}

bool WriteText(QIODevice& out, const std::string& text, QString* why) {
  if (out.write(text.data(), qint64(text.size())) != qint64(text.size())) {
    *why = out.errorString();
    return false;
  }
  return true;
}

// The graph beside a Markdown document: the same name with the ending ".svg", written whole
// or not at all; the document links it, or says why it is missing.
study::MarkdownGraph WriteGraphBeside(const study::Sheet& sheet, const QString& path) {
  const QFileInfo info(path);
  const QString svg =
      info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".svg");
  QString reason;
  if (WriteWhole(svg, &reason, [&](QIODevice& out, QString* why) {
        return WriteStudyGraphSvg(out, sheet, why);
      })) {
    return {QFileInfo(svg).fileName().toStdString(), {}};
  }
  return {{}, (QFileInfo(svg).fileName() + QStringLiteral(": ") + reason).toStdString()};
}

}  // namespace

std::optional<StudyFormat> StudyFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  for (StudyFormat f : {StudyFormat::Pdf, StudyFormat::Latex, StudyFormat::Markdown}) {
    if (suffix == StudySuffix(f)) return f;
  }
  return std::nullopt;
}

QString StudySuffix(StudyFormat format) {
  constexpr const char* kSuffixes[] = {"pdf", "tex", "md"};  // in the order of StudyFormat
  return QString::fromLatin1(kSuffixes[int(format)]);
}

bool ExportStudy(const study::Sheet& sheet, const QString& path, StudyFormat format,
                 QString* reason) {
  return WriteWhole(path, reason, [&](QIODevice& out, QString* why) {
    switch (format) {
      case StudyFormat::Pdf:
        return WriteSheetPdf(out, sheet, why);
      case StudyFormat::Latex:
        return WriteText(out, study::SheetLatex(sheet), why);
      case StudyFormat::Markdown:
        return WriteText(out, study::SheetMarkdown(sheet, WriteGraphBeside(sheet, path)), why);
    }
    return false;
  });
}

bool PrintStudy(const study::Sheet& sheet, const QString& pdfPath, QString* reason) {
  if (!pdfPath.isEmpty()) return ExportStudy(sheet, pdfPath, StudyFormat::Pdf, reason);
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    if (reason) *reason = QStringLiteral("nessuna stampante predefinita");
    return false;
  }
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(Q(study::kSheetTitle));
  return PrintStudyOn(printer, sheet, reason);
}

bool PrintStudyOn(QPrinter& printer, const study::Sheet& sheet, QString* reason) {
  // A printer set up in the print dialog to print into a file is named by the file.
  const QString who =
      printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
  QString why;
  if (!PaintSheetPages(printer, sheet, &why)) {
    if (reason)
      *reason = who + QStringLiteral(": ") +
                (why.isEmpty() ? QStringLiteral("la stampante non risponde") : why);
    return false;
  }
  if (printer.printerState() == QPrinter::Error) {
    if (reason) *reason = who + QStringLiteral(": errore della stampante");
    return false;
  }
  return true;
}

}  // namespace curvalis
