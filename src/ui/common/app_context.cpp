#include "ui/common/app_context.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QUrl>
#include <cstdio>

#include "io/data_folder.h"

namespace curvalis {

void AppContext::message(QWidget* parent, std::string_view text, std::string_view detail) {
  if (m_trace) m_trace->Message(text, detail);
  if (m_messageSink) {
    m_messageSink(parent, text);
    return;
  }
  if (m_batch) {
    std::fprintf(stderr, "Curvalis: %.*s%s%.*s\n", int(text.size()), text.data(),
                 detail.empty() ? "" : " ", int(detail.size()), detail.data());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Curvalis"), QString::fromUtf8(text),
                  QMessageBox::Ok, parent);
  if (!detail.empty()) {
    box.setInformativeText(QString::fromUtf8(detail));
  }
  box.exec();
}

bool AppContext::ask(QWidget* parent, std::string_view text, std::string_view detail) {
  if (m_questionSink) return m_questionSink(parent, text, detail);
  if (m_batch) return false;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Curvalis"), QString::fromUtf8(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  if (!detail.empty()) {
    box.setInformativeText(QString::fromUtf8(detail));
  }
  return box.exec() == QMessageBox::Yes;
}

bool AppContext::runPrintDialog(QWidget* parent, QPrinter& printer) {
  if (m_printDialogRunner) return m_printDialogRunner(parent, printer);
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool AppContext::hasPrinter() const {
  if (m_printerCheck) return m_printerCheck();
  return !QPrinterInfo::defaultPrinter().isNull();
}

void AppContext::openDocument(const QString& path) {
  if (m_documentOpener) {
    m_documentOpener(path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
}

QString AppContext::chooseSaveFile(QWidget* parent, const QString& title, const QString& start,
                                   const QStringList& filters, QString* chosenFilter) {
  if (m_saveFileChooser) return m_saveFileChooser(parent, title, start, filters, chosenFilter);
  const QFileInfo startInfo(start);
  QFileDialog dialog(parent, title, startInfo.absolutePath());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  dialog.selectFile(startInfo.fileName());
  // A name typed without an ending takes the one of the chosen kind: "*.png" gives "png".
  auto suffixOf = [](const QString& filter) {
    const qsizetype dot = filter.lastIndexOf(QLatin1String("*."));
    return dot < 0 ? QString() : filter.mid(dot + 2).section(QLatin1Char(')'), 0, 0);
  };
  if (!filters.isEmpty()) dialog.setDefaultSuffix(suffixOf(filters.front()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().front();
}

void AppContext::attachTrace(Surface& surface) {
  if (!m_trace) return;
  m_sinks.push_back(std::make_unique<TraceSink>(*m_trace, surface.name()));
  surface.AddSink(m_sinks.back().get());
}

WidgetHost::~WidgetHost() {
  while (m_busy > 0) SetBusyCursor(false);
}

// The hourglass is an application override cursor; nested commands nest it.
void WidgetHost::SetBusyCursor(bool busy) {
  if (busy) {
    ++m_busy;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (m_busy > 0) {
    --m_busy;
    QApplication::restoreOverrideCursor();
  }
}

void WidgetHost::Message(std::string_view text, std::string_view detail) {
  // A message box is shown with the default cursor.
  int held = m_busy;
  for (int i = 0; i < held; ++i) QApplication::restoreOverrideCursor();
  m_context.message(m_window, text, detail);
  for (int i = 0; i < held; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
}

template <typename F>
auto WidgetHost::WithDefaultCursor(F dialog) {
  int held = m_busy;
  for (int i = 0; i < held; ++i) QApplication::restoreOverrideCursor();
  auto result = dialog();
  for (int i = 0; i < held; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  return result;
}

bool WidgetHost::Ask(std::string_view text, std::string_view detail) {
  return WithDefaultCursor([&] { return m_context.ask(m_window, text, detail); });
}

QString WidgetHost::ChooseSaveFile(const QString& title, const QString& start,
                                   const QStringList& filters, QString* chosenFilter) {
  return WithDefaultCursor(
      [&] { return m_context.chooseSaveFile(m_window, title, start, filters, chosenFilter); });
}

bool WidgetHost::RunPrintDialog(QPrinter& printer) {
  return WithDefaultCursor([&] { return m_context.runPrintDialog(m_window, printer); });
}

void WidgetHost::CommandStarted(std::string_view name) {
  if (TraceWriter* t = m_context.trace()) t->Command(name);
}

void WidgetHost::ControlText(std::string_view control, std::string_view text) {
  if (TraceWriter* t = m_context.trace()) t->ControlText(control, text);
}

void WidgetHost::FileWritten(std::string_view path, bool written) {
  if (TraceWriter* t = m_context.trace()) t->File(path, written);
}

PrintRoute ChoosePrintRoute(bool batch, bool pdfFileSet, bool printerExists) {
  if (pdfFileSet) return PrintRoute::PdfFile;
  if (printerExists || batch) return PrintRoute::DefaultPrinter;
  return PrintRoute::OfferPdf;
}

PrintRoute PrintRouteOf(const AppContext& context) {
  // The printer is looked for only when it matters.
  if (!context.printToPdf().isEmpty()) return PrintRoute::PdfFile;
  return ChoosePrintRoute(context.batch(), false, context.hasPrinter());
}

QString OfferPdfInstead(WidgetHost& host, const QString& fileName) {
  if (!host.Ask("Impossibile stampare: nessuna stampante predefinita.",
                "Salvare le stesse pagine in un file PDF?")) {
    return {};
  }
  QString folder = DataFolder();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  QString path =
      host.ChooseSaveFile(QStringLiteral("Salva come PDF"), QDir(folder).filePath(fileName),
                          {QStringLiteral("Documento PDF (*.pdf)")}, nullptr);
  if (path.isEmpty()) return {};  // cancelled
  if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
    path += QStringLiteral(".pdf");
  return path;
}

}  // namespace curvalis
