#include "io/graph_output.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>

#include "io/save_file.h"

namespace curvalis {
namespace {

// A PDF of one page: the drawing with its labels fitted to the page's printable area.
bool WritePdf(QIODevice& out, const std::optional<QPageLayout>& layout, const OperationList& list,
              const std::vector<DrawingLabel>& labels, QString* why) {
  QPdfWriter writer(&out);
  writer.setCreator(QStringLiteral("Curvalis"));
  writer.setTitle(QStringLiteral("Curvalis"));
  if (layout) writer.setPageLayout(*layout);
  QPainter painter;
  if (!painter.begin(&writer)) {
    *why = QStringLiteral("il file PDF non può essere scritto");
    return false;
  }
  PaintFitted(painter, QRectF(0, 0, writer.width(), writer.height()), list, labels);
  painter.end();
  return true;
}

bool WriteSvg(QIODevice& out, const OperationList& list, QString* why) {
  QSvgGenerator svg;
  svg.setOutputDevice(&out);
  svg.setSize(QSize(list.widthPx(), list.heightPx()));
  svg.setViewBox(QRect(0, 0, list.widthPx(), list.heightPx()));
  svg.setResolution(96);
  svg.setTitle(QStringLiteral("Curvalis"));
  svg.setDescription(QStringLiteral("Curvalis"));
  QPainter painter;
  if (!painter.begin(&svg)) {
    *why = QStringLiteral("il file SVG non può essere scritto");
    return false;
  }
  PaintOperations(painter, list);
  painter.end();
  return true;
}

bool WriteImage(QIODevice& out, const QImage& image, const char* format, QString* why) {
  if (image.isNull()) {
    *why = QStringLiteral("memoria insufficiente per l'immagine");
    return false;
  }
  if (!image.save(&out, format)) {
    *why = QStringLiteral("l'immagine non può essere scritta come ") + QLatin1String(format);
    return false;
  }
  return true;
}

}  // namespace

bool SaveBitmap(const QImage& image, const QString& path, QString* reason) {
  return WriteWhole(path, reason, [&](QIODevice& out, QString* why) {
    return WriteImage(out, image, "BMP", why);
  });
}

bool PrintDrawing(const OperationList& list, const std::vector<DrawingLabel>& labels,
                  const QString& pdfPath, QString* reason) {
  if (!pdfPath.isEmpty()) {
    return WriteWhole(pdfPath, reason, [&](QIODevice& out, QString* why) {
      return WritePdf(out, std::nullopt, list, labels, why);
    });
  }

  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    if (reason) *reason = QStringLiteral("nessuna stampante predefinita");
    return false;
  }
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Curvalis"));
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (reason) *reason = info.description().isEmpty() ? info.printerName() : info.description();
    if (reason) *reason += QStringLiteral(": la stampante non risponde");
    return false;
  }
  PaintFitted(painter, QRectF(0, 0, printer.width(), printer.height()), list, labels);
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error) {
    if (reason) *reason = info.printerName() + QStringLiteral(": errore della stampante");
    return false;
  }
  return true;
}

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  for (PictureFormat f :
       {PictureFormat::Png, PictureFormat::Bmp, PictureFormat::Svg, PictureFormat::Pdf}) {
    if (suffix == PictureSuffix(f)) return f;
  }
  return std::nullopt;
}

QString PictureSuffix(PictureFormat format) {
  static const char* const kSuffixes[] = {"png", "bmp", "svg", "pdf"};  // in PictureFormat's order
  return QString::fromLatin1(kSuffixes[int(format)]);
}

bool ExportDrawing(const OperationList& list, const QString& path, PictureFormat format, int scale,
                   QString* reason) {
  if (scale < 1 || scale > kMaxPictureScale) {
    if (reason) *reason = Where(path, QStringLiteral("ingrandimento fuori dai limiti"));
    return false;
  }
  return WriteWhole(path, reason, [&](QIODevice& out, QString* why) {
    switch (format) {
      case PictureFormat::Png:
      case PictureFormat::Bmp:
        return WriteImage(out, RenderOperations(list, scale),
                          format == PictureFormat::Png ? "PNG" : "BMP", why);
      case PictureFormat::Svg:
        return WriteSvg(out, list, why);
      case PictureFormat::Pdf: {
        // One page the drawing's size, 96 logical pixels to the inch, without margins.
        const QPageSize page(QSizeF(list.widthPx() * 0.75, list.heightPx() * 0.75),
                             QPageSize::Point, QStringLiteral("Curvalis"), QPageSize::ExactMatch);
        return WritePdf(out, QPageLayout(page, QPageLayout::Portrait, QMarginsF()), list, {}, why);
      }
    }
    return false;
  });
}

}  // namespace curvalis
