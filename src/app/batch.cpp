#include "app/batch.h"

#include <QApplication>
#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <streambuf>

#include "app/batch_pointer.h"
#include "app/study_engine.h"
#include "io/graph_output.h"
#include "io/study/study_output.h"
#include "study/sheet.h"
#include "study/sheet_writers.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

// The written study of the batch run: one exact engine for the whole run (its helper stays
// warm between commands) and the last sheet, for --report.
struct BatchStudy {
  std::unique_ptr<study::ExactEngine> engine;
  std::optional<study::Sheet> sheet;
};

// The trace written to standard output, straight through C's stdout as std::cout would. The
// program does not include <iostream>: with this compiler every file that does constructs the
// standard streams and their locale when the program starts, which the window's start-up
// would pay without ever using them.
class StdoutBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return std::fputc(traits_type::to_char_type(c), stdout) == EOF ? traits_type::eof() : c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    return std::streamsize(std::fwrite(s, 1, std::size_t(n), stdout));
  }
  int sync() override { return std::fflush(stdout) == 0 ? 0 : -1; }
};

BatchStudy& Study() {
  static BatchStudy s;
  return s;
}

// Writes each section of the sheet into the trace as soon as it is ready.
class TraceSections : public study::SheetObserver {
 public:
  explicit TraceSections(TraceWriter* trace) : trace_(trace) {}
  void SectionReady(const study::Sheet& sheet, study::SectionId id) override {
    if (trace_) trace_->Line(study::StudyEvent(sheet, id));
  }
  void Finished(const study::Sheet&) override {}

 private:
  TraceWriter* trace_;
};

study::Sheet BuildStudy(const std::string& funzione, TraceWriter* trace) {
  BatchStudy& s = Study();
  if (!s.engine) s.engine = MakeProgramExactEngine();
  TraceSections sections(trace);
  return study::BuildSheet(*s.engine, funzione, &sections);
}

// "Studio completo": the whole sheet of Funzione, every section in the trace, before the next
// command runs.
void mScheda(Tervano& w) {
  TraceWriter* trace = w.context().trace();
  if (trace) trace->Command(CommandName(Cmd::mScheda));
  Study().sheet = BuildStudy(w.funzione()->text().toStdString(), trace);
}

std::optional<StudyFormat> ReportFormatOf(const std::string& path) {
  auto ends = [&](const std::string& e) {
    return path.size() > e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0;
  };
  if (ends(".pdf")) return StudyFormat::Pdf;
  if (ends(".tex")) return StudyFormat::Latex;
  if (ends(".md")) return StudyFormat::Markdown;
  return std::nullopt;
}

// Writes the sheet to `path` by its ending, whole or not at all. The PDF is drawn by the study
// window's own painting, its table and graph as vectors; the Markdown's graph is an SVG
// picture beside it, painted by the same routine.
bool WriteReport(const study::Sheet& sheet, const std::string& path, std::string* error) {
  QString why;
  if (ExportStudy(sheet, QString::fromStdString(path), *ReportFormatOf(path), &why)) return true;
  *error = why.toStdString();
  return false;
}

// A command a script may run: NAME for one without a value, NAME=TEXT for one with.
struct BatchCommand {
  Cmd id;
  std::string text;
};
std::optional<BatchCommand> ReadBatchCommand(const std::string& command) {
  const std::size_t eq = command.find('=');
  const std::optional<Cmd> id = FindCommand(command.substr(0, eq));
  if (!id || !CommandOf(*id).scriptable || CommandOf(*id).takesValue != (eq != std::string::npos)) {
    return std::nullopt;
  }
  return BatchCommand{*id, eq == std::string::npos ? std::string() : command.substr(eq + 1)};
}

// Far more than Funzione holds; a bound, so that a device or a huge file cannot hang the start.
constexpr std::streamsize kMaxFormulaFileBytes = std::streamsize(16) << 20;

// The text of a formula file, byte for byte: NUL, control characters and any encoding, which
// no command line can carry.
bool ReadFormulaFile(const std::string& path, std::string* text, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the formula file " + path;
    return false;
  }
  text->clear();
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text->append(chunk, std::size_t(in.gcount()));
    if (std::streamsize(text->size()) > kMaxFormulaFileBytes) {
      *error = "the formula file " + path + " is larger than 16 MiB";
      return false;
    }
  }
  if (in.bad()) {
    *error = "cannot read the formula file " + path;
    return false;
  }
  return true;
}

}  // namespace

std::optional<BatchOptions> ParseBatchArguments(const std::vector<std::string>& args,
                                                std::string* error) {
  BatchOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) {
        *error = "missing value after " + a;
        return false;
      }
      *out = args[++i];
      return true;
    };
    if (a == "--formula") {
      if (!value(&options.formula)) return std::nullopt;
    } else if (a == "--formula-file") {
      std::string path;
      if (!value(&path) || !ReadFormulaFile(path, &options.formula, error)) return std::nullopt;
    } else if (a == "--trace") {
      if (!value(&options.tracePath)) return std::nullopt;
    } else if (a == "--image") {
      if (!value(&options.imagePath)) return std::nullopt;
      if (!PictureFormatOf(QString::fromStdString(options.imagePath))) {
        *error = "the image " + options.imagePath + " must end in .png, .bmp, .svg or .pdf";
        return std::nullopt;
      }
    } else if (a == "--image-scale") {
      std::string n;
      if (!value(&n)) return std::nullopt;
      if (n.size() != 1 || n[0] < '1' || n[0] > '0' + kMaxPictureScale) {
        *error = "the image scale must be a whole number from 1 to " +
                 std::to_string(kMaxPictureScale) + ", not " + n;
        return std::nullopt;
      }
      options.imageScale = n[0] - '0';
    } else if (a == "--report" || a == "--report-results") {
      std::string& path = a == "--report" ? options.reportPath : options.resultsPath;
      if (!value(&path)) return std::nullopt;
      if (!ReportFormatOf(path)) {
        *error = "the report " + path + " must end in .pdf, .tex or .md";
        return std::nullopt;
      }
    } else if (a == "--print-to") {
      if (!value(&options.printTo)) return std::nullopt;
    } else if (a.rfind("--", 0) == 0) {
      *error = "unknown option " + a;
      return std::nullopt;
    } else if (std::optional<BatchCommand> c = ReadBatchCommand(a)) {
      if (!CheckPointerValue(c->id, c->text, error)) return std::nullopt;
      options.commands.push_back(a);
    } else {
      *error = "unknown command " + a;
      return std::nullopt;
    }
  }
  return options;
}

void RunBatchCommand(Tervano& window, const std::string& command) {
  const std::optional<BatchCommand> c = ReadBatchCommand(command);
  if (!c) return;
  if (c->id == Cmd::mScheda) {
    mScheda(window);  // the sheet in the trace, without the study window
  } else if (c->id == Cmd::TervanoPunta) {
    BatchPunta(window, c->text);
  } else if (c->id == Cmd::TervanoTrascina) {
    BatchTrascina(window, c->text);
  } else {
    RunCommand(window, c->id, QString::fromUtf8(c->text));
  }
}

int RunBatch(int argc, char** argv, const std::vector<std::string>& args) {
  std::string error;
  std::optional<BatchOptions> options = ParseBatchArguments(args, &error);
  if (!options) {
    std::fprintf(stderr, "curvalis: %s\n", error.c_str());
    std::fprintf(stderr,
                 "usage: curvalis --batch [--formula TEXT | --formula-file FILE] [--trace FILE] "
                 "[--image FILE] [--image-scale N] "
                 "[--print-to FILE.pdf] [--report FILE.pdf|.tex|.md] "
                 "[--report-results FILE.pdf|.tex|.md] [COMMAND ...]\n");
    return 2;
  }
  // No window is shown: without a display of its own the batch mode draws off screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  std::ofstream traceFile;
  StdoutBuffer stdoutBuffer;
  std::ostream stdoutStream(&stdoutBuffer);
  std::unique_ptr<TraceWriter> trace;
  if (options->tracePath == "-") {
    trace = std::make_unique<TraceWriter>(stdoutStream);
  } else if (!options->tracePath.empty()) {
    traceFile.open(options->tracePath, std::ios::binary | std::ios::trunc);
    if (!traceFile) {
      std::fprintf(stderr, "curvalis: cannot write the trace to %s\n", options->tracePath.c_str());
      return 2;
    }
    trace = std::make_unique<TraceWriter>(traceFile);
  }
  AppContext context;
  context.setBatch(true);
  context.setTrace(trace.get());
  context.setPrintToPdf(QString::fromStdString(options->printTo));

  int code = 0;
  {
    Tervano window(context);
    window.funzione()->setText(QString::fromStdString(options->formula));
    for (const std::string& command : options->commands) RunBatchCommand(window, command);
    if (!options->imagePath.empty()) {
      const QString path = QString::fromStdString(options->imagePath);
      QString reason;
      if (!ExportDrawing(window.canvas()->operations(), path, *PictureFormatOf(path),
                         options->imageScale, &reason)) {
        std::fprintf(stderr, "curvalis: cannot write the image %s\n", reason.toLocal8Bit().data());
        code = 1;
      }
    }
    // --report with the working, --report-results with the results alone.
    for (const bool working : {true, false}) {
      const std::string& path = working ? options->reportPath : options->resultsPath;
      if (path.empty()) continue;
      // The sheet of the last "Studio completo", or of Funzione as it is at the end.
      BatchStudy& s = Study();
      if (!s.sheet) s.sheet = BuildStudy(window.funzione()->text().toStdString(), nullptr);
      std::string reason;
      const bool written =
          WriteReport(working ? *s.sheet : study::ResultsOnly(*s.sheet), path, &reason);
      if (trace) trace->File(path, written);
      if (!written) {
        std::fprintf(stderr, "curvalis: cannot write the report %s: %s\n", path.c_str(),
                     reason.c_str());
        code = 1;
      }
    }
  }
  Study() = BatchStudy();
  return code;
}

}  // namespace curvalis
