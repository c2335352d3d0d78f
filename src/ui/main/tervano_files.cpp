// The main window's commands of the menu "&File" that read and write files: the archive, the
// bitmap of the graph, the exported picture, the clipboard and the printed page.
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "core/archive_format.h"
#include "io/archive_file.h"
#include "io/data_folder.h"
#include "io/graph_output.h"
#include "session/printable_graph.h"
#include "ui/archive/archivio_window.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

QString ArchivePath() {
  return DataFilePath(QString::fromUtf8(kArchiveFileName));
}

}  // namespace

ArchivioWindow* Tervano::openArchivio() {
  // A window closed by "Seleziona" waits for the event loop to destroy it; the next use
  // loads a new one, which reads the archive again.
  if (!m_archivio || m_archivio->unloaded()) {
    m_archivio = new ArchivioWindow(m_context, this);
    connect(m_archivio, &ArchivioWindow::selected, this, &Tervano::selectFormula);
  }
  return m_archivio;
}

void Tervano::selectFormula(const QString& entry) {
  m_commands->DrawStartAxes();
  m_formula->setText(entry);
  m_host.ControlText(CommandName(Cmd::Funzione), entry.toStdString());
}

void Tervano::mApri() {
  m_host.CommandStarted(CommandName(Cmd::mApri));
  ArchivioWindow* archivio = openArchivio();
  archivio->showFiles(ArchivePath(), DataFilePath(QString::fromLatin1(kGraphFileName)));
  if (archivio->isVisible()) archivio->raise();  // already open: back to the front
  archivio->show();
  archivio->activateWindow();
}

void Tervano::mSalvaF() {
  m_host.CommandStarted(CommandName(Cmd::mSalvaF));
  QString reason;
  const bool written =
      EnsureDataFolder(&reason) && AppendArchiveRecord(ArchivePath(), m_formula->text(), &reason);
  m_host.FileWritten(kArchiveFileName, written);
  if (!written) m_host.Message(FailureMessage(kMsgArchiveNotSaved, reason).toStdString());
}

namespace {

// Writes the drawing to "Grafico.bmp"; a failure is told, and an older file stays whole.
void SaveGraph(SurfaceView& canvas, Host& host) {
  QString reason;
  bool written = EnsureDataFolder(&reason) &&
                 SaveBitmap(canvas.sink().logicalImage(),
                            DataFilePath(QString::fromLatin1(kGraphFileName)), &reason);
  host.FileWritten(kGraphFileName, written);
  if (!written) host.Message(FailureMessage(kMsgGraphNotSaved, reason).toStdString());
}

// The labels that stand over the drawing and are shown, each at its place with its own font,
// colours and background: what the page shows besides the drawing. Places and font are those
// of the drawing's own size, whatever the window's size.
std::vector<DrawingLabel> VisibleLabels(const Tervano& w) {
  std::vector<DrawingLabel> labels;
  QWidget* canvas = w.canvas();
  for (QLabel* l : canvas->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (!l->isVisibleTo(canvas)) continue;
    const QPalette& pal = l->palette();
    labels.push_back(DrawingLabel{
        QRectF(w.logicalGeometry(l)), l->text(), w.controlsFont(), pal.color(l->foregroundRole()),
        l->autoFillBackground() ? pal.color(l->backgroundRole()) : QColor()});
  }
  return labels;
}

// Prints the window: only its drawing and its labels go on the page, so the prompt and the
// text box are emptied and the formula is written onto the drawing instead; then both are
// restored. The page is painted from the drawing's operations, at the printer's resolution.
// Without a printer the user may save the same page as a PDF file instead, chosen before
// anything is emptied; declined or cancelled, nothing is emptied or written.
void PrintWindow(Tervano& w, const QString& kept, bool graphFrameAgain, const QString& pdfName) {
  BusyCursor busy(w.host());
  QString pdfPath = w.context().printToPdf();
  if (PrintRouteOf(w.context()) == PrintRoute::OfferPdf) {
    pdfPath = OfferPdfInstead(w.host(), pdfName);
    if (pdfPath.isEmpty()) return;
  }
  const int cursor = w.funzione()->cursorPosition();
  const bool focused = w.funzione()->hasFocus();
  w.label1()->setText(QString());
  w.host().ControlText("Label1", "");
  w.funzione()->setText(QString());
  w.host().ControlText(CommandName(Cmd::Funzione), "");
  if (graphFrameAgain) SetGraphFrame(w.surface(), w.commands().view());
  DrawCaption(w.surface(), w.commands().view(), kept.toStdString());

  // The empty text box is no label: it stays out of the page.
  QString reason;
  const bool printed = PrintDrawing(w.canvas()->operations(), VisibleLabels(w), pdfPath, &reason);
  if (pdfPath != w.context().printToPdf())
    w.host().FileWritten(QDir::toNativeSeparators(pdfPath).toStdString(), printed);

  w.label1()->setText(QStringLiteral("f(x)="));
  w.host().ControlText("Label1", "f(x)=");
  w.funzione()->setText(kept);
  w.funzione()->setCursorPosition(cursor);
  if (focused) w.funzione()->setFocus();
  w.host().ControlText(CommandName(Cmd::Funzione), kept.toStdString());
  if (!printed) w.host().Message(FailureMessage(kMsgNotPrinted, reason).toStdString());
}

}  // namespace

// The command frame of mSalva, mSalvaT, mStampa and mStampaT traces each of them as it starts.
void Tervano::mSalva() {
  CommandContext ctx = m_commands->Context();
  if (!DrawPrintableGraph(ctx, CommandName(Cmd::mSalva), true)) return;
  SaveGraph(*m_canvas, m_host);
}

void Tervano::mSalvaT() {
  CommandContext ctx = m_commands->Context();
  if (!DrawPrintableGraph(ctx, CommandName(Cmd::mSalvaT), true)) return;
  m_commands->RunAnalyses();
  SaveGraph(*m_canvas, m_host);
}

// "Esporta grafico...": the drawing to a file of the user's choice, PNG at three times the
// window's size, SVG or PDF as vectors; written whole or not at all.
void Tervano::mEsporta() {
  m_host.CommandStarted(CommandName(Cmd::mEsporta));
  static const PictureFormat kOffered[] = {PictureFormat::Png, PictureFormat::Svg,
                                           PictureFormat::Pdf};
  const QStringList filters = {QStringLiteral("Immagine PNG (*.png)"),
                               QStringLiteral("Disegno SVG (*.svg)"),
                               QStringLiteral("Documento PDF (*.pdf)")};
  QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  QString chosenFilter;
  QString path = m_context.chooseSaveFile(this, QStringLiteral("Esporta grafico"),
                                          QDir(folder).filePath(QStringLiteral("Grafico.png")),
                                          filters, &chosenFilter);
  if (path.isEmpty()) return;  // cancelled
  std::optional<PictureFormat> format = PictureFormatOf(path);
  if (!format) {  // no known ending: the chosen kind's
    const qsizetype chosen = filters.indexOf(chosenFilter);
    format = kOffered[chosen < 0 ? 0 : chosen];
    path += QLatin1Char('.') + PictureSuffix(*format);
  }
  BusyCursor busy(m_host);
  QString reason;
  const bool written = ExportDrawing(m_canvas->operations(), path, *format, 3, &reason);
  m_host.FileWritten(QDir::toNativeSeparators(path).toStdString(), written);
  if (!written) m_host.Message(FailureMessage(kMsgGraphNotExported, reason).toStdString());
}

// "Copia grafico": the drawing at twice the window's size, to the clipboard as an image.
void Tervano::mCopia() {
  m_host.CommandStarted(CommandName(Cmd::mCopia));
  QGuiApplication::clipboard()->setImage(RenderOperations(m_canvas->operations(), 2));
}

void Tervano::mStampa() {
  const QString kept = m_formula->text();
  CommandContext ctx = m_commands->Context();
  if (!DrawPrintableGraph(ctx, CommandName(Cmd::mStampa), false)) return;
  PrintWindow(*this, kept, false, QStringLiteral("Grafico.pdf"));
}

void Tervano::mStampaT() {
  const QString kept = m_formula->text();
  CommandContext ctx = m_commands->Context();
  if (!DrawPrintableGraph(ctx, CommandName(Cmd::mStampaT), false)) return;
  BusyCursor busy(m_host);  // the hourglass stays while the analyses run
  m_commands->RunAnalyses();
  PrintWindow(*this, kept, true, QStringLiteral("Grafico e analisi.pdf"));
}

}  // namespace curvalis
