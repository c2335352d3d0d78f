#include "io/graph_output.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include "io/save_file.h"

namespace curvalis {
namespace {

QString Where(const QString& path, const QString& what) {
  return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

bool EnsureFolderOf(const QString& path, QString* reason) {
  const QString folder = QFileInfo(path).absolutePath();
  if (QFileInfo(folder).isDir() || QDir().mkpath(folder)) return true;
  if (reason) *reason = Where(folder, QStringLiteral("la cartella non può essere creata"));
  return false;
}

// The image as large as fits the printable area of the page, its proportions kept, centred.
// The painter's origin is the printable area's upper-left corner.
void PaintFitted(QPainter& painter, const QImage& image) {
  const QRect area(0, 0, painter.device()->width(), painter.device()->height());
  QSize size = image.size().scaled(area.size(), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), size);
  target.moveCenter(area.center());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(target, image);
}

bool PrintToPdf(const QImage& image, const QString& pdfPath, QString* reason) {
  if (!EnsureFolderOf(pdfPath, reason)) return false;
  QSaveFile file(pdfPath);
  if (!file.open(QIODevice::WriteOnly)) {
    if (reason) *reason = Where(pdfPath, file.errorString());
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Curvalis"));
    writer.setTitle(QStringLiteral("Curvalis"));
    QPainter painter;
    if (!painter.begin(&writer)) {
      file.cancelWriting();
      if (reason) *reason = Where(pdfPath, QStringLiteral("il file PDF non può essere scritto"));
      return false;
    }
    PaintFitted(painter, image);
    painter.end();
  }
  QString why;
  if (!CommitWhole(file, &why)) {
    if (reason) *reason = Where(pdfPath, why);
    return false;
  }
  return true;
}

}  // namespace

bool SaveBitmap(const QImage& image, const QString& path, QString* reason) {
  if (!EnsureFolderOf(path, reason)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (reason) *reason = Where(path, file.errorString());
    return false;
  }
  if (!image.save(&file, "BMP")) {
    QString why = file.error() != QFileDevice::NoError
                      ? file.errorString()
                      : QStringLiteral("l'immagine non può essere scritta come BMP");
    file.cancelWriting();
    if (reason) *reason = Where(path, why);
    return false;
  }
  QString why;
  if (!CommitWhole(file, &why)) {
    if (reason) *reason = Where(path, why);
    return false;
  }
  return true;
}

bool PrintImage(const QImage& image, const QString& pdfPath, QString* reason) {
  if (!pdfPath.isEmpty()) return PrintToPdf(image, pdfPath, reason);

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
  PaintFitted(painter, image);
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error) {
    if (reason) *reason = info.printerName() + QStringLiteral(": errore della stampante");
    return false;
  }
  return true;
}

}  // namespace curvalis
