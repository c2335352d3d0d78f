// What the windows share for the program's life: the batch trace (when there is one), where
// message boxes go, and where printing goes. main() and the batch mode build one and hand it
// to the main window, which hands it to the windows it opens.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "core/command.h"
#include "core/trace.h"

class QPrinter;

namespace curvalis {

namespace study {
class ExactEngine;
}

class AppContext {
 public:
  using MessageSink = std::function<void(QWidget* parent, std::string_view text)>;
  // Asks for a file to write: a save dialog of `parent` with `title`, starting at `start`, that
  // offers `filters` and sets `chosenFilter` to the one chosen. An empty result: cancelled.
  using SaveFileChooser =
      std::function<QString(QWidget* parent, const QString& title, const QString& start,
                            const QStringList& filters, QString* chosenFilter)>;

  // Asks `text` (with `detail` under it) with the answers Sì and No: true for Sì.
  using QuestionSink =
      std::function<bool(QWidget* parent, std::string_view text, std::string_view detail)>;
  // Shows the print dialog of `parent` over `printer`: true when the user chose to print.
  using PrintDialogRunner = std::function<bool(QWidget* parent, QPrinter& printer)>;

  // Makes the exact engine of the study window; called once, on the study's worker thread.
  using ExactEngineFactory = std::function<std::unique_ptr<study::ExactEngine>()>;

  // The windowed program: message boxes on screen, printing on the default printer.
  AppContext() = default;
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Batch mode: message boxes are written to the trace and to standard error, never shown,
  // and long computations show no progress window.
  bool batch() const { return m_batch; }
  void setBatch(bool batch) { m_batch = batch; }
  // The trace every window writes to, or none.
  TraceWriter* trace() const { return m_trace; }
  void setTrace(TraceWriter* trace) { m_trace = trace; }
  // Print commands print to this PDF file instead of the default printer when it is set.
  const QString& printToPdf() const { return m_printToPdf; }
  void setPrintToPdf(const QString& path) { m_printToPdf = path; }
  // Replaces the modal message box (tests use it, so that no dialog can block them).
  void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }
  // Replaces the desktop's application that opens a document (tests use it, so that no other
  // program starts).
  void setDocumentOpener(std::function<void(const QString& path)> opener) {
    m_documentOpener = std::move(opener);
  }

  // Replaces the save dialog (tests use it, so that no dialog can block them).
  void setSaveFileChooser(SaveFileChooser chooser) { m_saveFileChooser = std::move(chooser); }
  // Replaces the question box and the print dialog (tests use them, so that no dialog can
  // block them).
  void setQuestionSink(QuestionSink sink) { m_questionSink = std::move(sink); }
  void setPrintDialogRunner(PrintDialogRunner runner) { m_printDialogRunner = std::move(runner); }
  // Replaces the look for a default printer (tests use it to have one, or none, whatever the
  // machine has).
  void setPrinterCheck(std::function<bool()> check) { m_printerCheck = std::move(check); }

  // Where the study window gets its exact engine (tests put a double of their own there).
  // Without one, every exact question is answered "motore di calcolo esatto non disponibile".
  void setExactEngineFactory(ExactEngineFactory factory) {
    m_exactEngineFactory = std::move(factory);
  }
  const ExactEngineFactory& exactEngineFactory() const { return m_exactEngineFactory; }

  // A message box of `parent` with `text`, and `detail` as its informative text when not
  // empty, or its replacement; always written to the trace.
  void message(QWidget* parent, std::string_view text, std::string_view detail = {});
  // The question box, or its replacement; never shown in batch mode, where it is answered No.
  bool ask(QWidget* parent, std::string_view text, std::string_view detail);
  // The print dialog, or its replacement.
  bool runPrintDialog(QWidget* parent, QPrinter& printer);
  // Whether the system has a default printer, or the replacement's answer.
  bool hasPrinter() const;
  // The save dialog, or its replacement.
  QString chooseSaveFile(QWidget* parent, const QString& title, const QString& start,
                         const QStringList& filters, QString* chosenFilter);
  // Opens the file `path` with the desktop's application for it, or the replacement.
  void openDocument(const QString& path);
  // Adds a trace sink for `surface` when there is a trace; the sink lives as long as the
  // context.
  void attachTrace(Surface& surface);

 private:
  bool m_batch = false;
  TraceWriter* m_trace = nullptr;
  QString m_printToPdf;
  MessageSink m_messageSink;
  std::function<void(const QString& path)> m_documentOpener;
  SaveFileChooser m_saveFileChooser;
  QuestionSink m_questionSink;
  PrintDialogRunner m_printDialogRunner;
  std::function<bool()> m_printerCheck;
  ExactEngineFactory m_exactEngineFactory;
  std::vector<std::unique_ptr<TraceSink>> m_sinks;
};

// The Host of a window: its hourglass cursor, its message boxes, and the trace.
class WidgetHost : public Host {
 public:
  WidgetHost(QWidget* window, AppContext& context) : m_window(window), m_context(context) {}
  ~WidgetHost() override;
  void SetBusyCursor(bool busy) override;
  using Host::Message;
  void Message(std::string_view text, std::string_view detail) override;
  void CommandStarted(std::string_view name) override;
  void ControlText(std::string_view control, std::string_view text) override;
  void FileWritten(std::string_view path, bool written) override;
  // The context's question box, save dialog and print dialog of the window, shown with the
  // default cursor.
  bool Ask(std::string_view text, std::string_view detail);
  QString ChooseSaveFile(const QString& title, const QString& start, const QStringList& filters,
                         QString* chosenFilter);
  bool RunPrintDialog(QPrinter& printer);

  AppContext& context() { return m_context; }

 private:
  // Runs `dialog` with the default cursor, then holds the hourglass again.
  template <typename F>
  auto WithDefaultCursor(F dialog);

  QWidget* m_window;
  AppContext& m_context;
  int m_busy = 0;
};

// Where a print command's pages go.
enum class PrintRoute {
  PdfFile,         // the PDF file set for printing (batch mode's --print-to)
  DefaultPrinter,  // the default printer; without one the failure is told (batch mode)
  OfferPdf,        // no printer: the user is offered to save the same pages as a PDF file
};
PrintRoute ChoosePrintRoute(bool batch, bool pdfFileSet, bool printerExists);
// The route for the context's print commands now.
PrintRoute PrintRouteOf(const AppContext& context);

// Tells that there is no printer and offers to save the pages as a PDF file instead: a
// question, then a save dialog starting at `fileName` in the data folder (or the home folder
// when there is none yet). The path chosen, ending in ".pdf"; empty when the user declined or
// cancelled.
QString OfferPdfInstead(WidgetHost& host, const QString& fileName);

}  // namespace curvalis
