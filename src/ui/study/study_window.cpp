#include "ui/study/study_window.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

#include "io/data_folder.h"
#include "io/graph_output.h"
#include "io/study/study_output.h"
#include "ui/common/layout.h"
#include "ui/study/formula_label.h"
#include "ui/study/study_views.h"

namespace curvalis {
namespace {

// The sections that belong to the one before them on the sheet ("Derivata prima" holds the
// monotonicity and the extrema, "Derivata seconda" the concavity and the inflections): their
// headings stand a step lower.
bool IsSubsection(study::SectionId id) {
  using study::SectionId;
  return id == SectionId::Monotonicity || id == SectionId::Extrema || id == SectionId::Concavity ||
         id == SectionId::Inflections;
}

QFont HeadingFont(const QFont& base, bool sub) {
  QFont f = base;
  f.setBold(true);
  f.setPointSizeF(base.pointSizeF() * (sub ? 1.0 : 1.2));
  return f;
}

}  // namespace

StudyWindow::StudyWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_context(context), m_host(this, context) {
  setObjectName(QStringLiteral("Studio"));
  setWindowTitle(QStringLiteral("Studio completo"));
  m_worker = new StudyWorker(context.exactEngineFactory(), this);
  connect(m_worker, &StudyWorker::sectionReady, this, &StudyWindow::showSheet);
  connect(m_worker, &StudyWorker::finished, this, &StudyWindow::showFinished);
  createMenus();
  createContent();
  // As tall as the screen allows (the sheet scrolls), beside the main window so that the
  // graph there stays in sight, and wholly on the screen.
  const QRect area = (parent ? parent->screen() : screen())->availableGeometry();
  resize(560, std::min(720, area.height() * 9 / 10));
  if (parent) {
    // Narrower where the screen beside the main window is: the text reflows, and the graph on
    // the main window stays uncovered.
    const QRect mainFrame = parent->window()->frameGeometry();
    const int room =
        std::max(area.right() - mainFrame.right(), mainFrame.left() - area.left()) - 16;
    if (room < width() && room >= 360) resize(room, height());
    PlaceBeside(this, parent->window());
  }
  if (y() + height() > area.bottom())
    move(x(), std::max(area.top(), area.bottom() - height() - 40));
}

StudyWindow::~StudyWindow() = default;

void StudyWindow::createMenus() {
  QMenu* menu = menuBar()->addMenu(QStringLiteral("&Studio"));
  menu->setObjectName(QStringLiteral("mStudioMenu"));
  auto add = [&](const char* name, const QString& caption, QKeySequence key, auto slot) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    menu->addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
  };
  add("mEsportaStudio", QStringLiteral("Esporta studio..."), QKeySequence(Qt::CTRL | Qt::Key_E),
      &StudyWindow::mEsportaStudio);
  add("mStampaStudio", QStringLiteral("Stampa studio"), QKeySequence::Print,
      &StudyWindow::mStampaStudio);
  menu->addSeparator();
  // One control hides the whole working, or shows it again.
  QAction* working = add("mSvolgimento", QStringLiteral("Mostra svolgimento"), QKeySequence(),
                         [this] { setWorkingShown(workingShown()); });
  working->setCheckable(true);
  working->setChecked(true);
  menu->addSeparator();
  add("mChiudiStudio", QStringLiteral("Chiudi"), QKeySequence(Qt::CTRL | Qt::Key_W),
      &QWidget::close);
  // Nothing to export or print before a sheet is finished.
  m_actions.value(QStringLiteral("mEsportaStudio"))->setEnabled(false);
  m_actions.value(QStringLiteral("mStampaStudio"))->setEnabled(false);
}

void StudyWindow::createContent() {
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("Foglio"));
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* page = new QWidget;
  page->setBackgroundRole(QPalette::Base);
  page->setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 12, 16, 16);
  layout->setSpacing(4);

  auto setUp = [&](auto* l, const QString& name, const QFont& font) {
    l->setObjectName(name);
    l->setFont(font);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    l->setFocusPolicy(Qt::StrongFocus);  // each piece of text is reached with Tab
    layout->addWidget(l);
    return l;
  };
  auto label = [&](const QString& name, const QFont& font) {
    auto* l = new QLabel(page);
    l->setTextFormat(Qt::PlainText);
    return setUp(l, name, font);
  };
  // The texts that hold formulas: their powers as superscripts.
  auto formula = [&](const QString& name, const QFont& font) {
    return setUp(new FormulaLabel(page), name, font);
  };
  QFont big = font();
  big.setPointSizeF(font().pointSizeF() * 1.35);
  big.setBold(true);
  m_title = formula(QStringLiteral("Formula"), big);
  m_title->setStudentText(QStringLiteral("Nessuna funzione studiata"));
  m_rejected = label(QStringLiteral("Motivo"), font());
  m_rejected->hide();
  for (const study::SectionId id : study::kOutline) {
    const auto s = std::size_t(id);
    const QString title = Q(study::SectionTitle(id));
    const bool sub = IsSubsection(id);
    if (!sub) layout->addSpacing(8);
    m_headings[s] =
        label(QStringLiteral("Titolo_") + Q(study::SectionName(id)), HeadingFont(font(), sub));
    m_headings[s]->setText(title);
    m_headings[s]->setAccessibleName(title);
    m_bodies[s] = formula(QStringLiteral("Sezione_") + Q(study::SectionName(id)), font());
    m_bodies[s]->setAccessibleName(title);
    m_bodies[s]->setIndent(14);
    // The sign charts of f, f′ and f″ under their sections' results.
    if (id == study::SectionId::Sign || id == study::SectionId::Monotonicity ||
        id == study::SectionId::Concavity) {
      m_charts[s] = new SignChartView(id, page);
      m_charts[s]->hide();
      layout->addWidget(m_charts[s]);
    }
    m_workings[s] = formula(QStringLiteral("Svolgimento_") + Q(study::SectionName(id)), font());
    m_workings[s]->setAccessibleName(Q(study::kWorkingTitle) + QStringLiteral(": ") + title);
    m_workings[s]->setIndent(28);
    m_workings[s]->hide();
  }
  layout->addSpacing(8);
  m_tableHeading = label(QStringLiteral("Titolo_tabella"), HeadingFont(font(), false));
  m_tableHeading->setText(Q(study::kTableTitle));
  m_table = new VariationTableView(page);
  layout->addWidget(m_table);
  layout->addSpacing(8);
  m_graphHeading = label(QStringLiteral("Titolo_grafico"), HeadingFont(font(), false));
  m_graphHeading->setText(Q(study::kGraphTitle));
  m_graph = new StudyGraphView(page);
  layout->addWidget(m_graph);
  layout->addStretch(1);
  scroll->setWidget(page);
  setCentralWidget(scroll);
  for (int s = 0; s < study::kSectionCount; ++s) refreshSection(study::SectionId(s));
}

void StudyWindow::study(const QString& funzione) {
  m_formula = funzione;
  m_sheet = study::Sheet{};
  m_finished = false;
  const QString caption = QStringLiteral("f(x) = ") + funzione;
  m_title->setStudentText(QStringLiteral("Studio di ") + caption);
  m_title->setAccessibleName(m_title->studentText());
  setWindowTitle(QStringLiteral("Studio completo - ") + caption);
  refreshAll();
  m_worker->start(funzione.toStdString());
}

QString StudyWindow::sectionText(study::SectionId id) const {
  return m_bodies[size_t(id)]->studentText();
}

FormulaLabel* StudyWindow::sectionLabel(study::SectionId id) const {
  return m_bodies[size_t(id)];
}

FormulaLabel* StudyWindow::workingLabel(study::SectionId id) const {
  return m_workings[size_t(id)];
}

bool StudyWindow::workingShown() const {
  return m_actions.value(QStringLiteral("mSvolgimento"))->isChecked();
}

void StudyWindow::setWorkingShown(bool shown) {
  m_actions.value(QStringLiteral("mSvolgimento"))->setChecked(shown);
  for (int s = 0; s < study::kSectionCount; ++s) refreshSection(study::SectionId(s));
}

void StudyWindow::refreshSection(study::SectionId id) {
  QStringList lines;
  for (const std::string& line : study::SectionLines(m_sheet, id)) lines << Q(line);
  FormulaLabel* body = m_bodies[size_t(id)];
  body->setStudentText(lines.join(QLatin1Char('\n')));
  body->setAccessibleDescription(body->studentText());
  // A pending section stands out in grey italics from the found ones.
  const bool pending = !study::SectionReady(m_sheet, id);
  QFont f = body->font();
  f.setItalic(pending);
  body->setFont(f);
  body->setForegroundRole(pending ? QPalette::PlaceholderText : QPalette::WindowText);
  // The working under the result: its heading, then its lines numbered.
  const std::vector<study::Step>& steps = study::SectionSteps(m_sheet, id);
  QStringList working;
  for (std::size_t k = 0; k < steps.size(); ++k) {
    working << QString::number(k + 1) + QStringLiteral(". ") + Q(steps[k].text);
  }
  FormulaLabel* w = m_workings[size_t(id)];
  w->setStudentText(working.isEmpty() ? QString()
                                      : Q(study::kWorkingTitle) + QStringLiteral(":\n") +
                                            working.join(QLatin1Char('\n')));
  w->setAccessibleDescription(w->studentText());
  w->setVisible(!working.isEmpty() && workingShown() && m_sheet.rejected.empty());
  if (SignChartView* chart = m_charts[size_t(id)]) {
    chart->setSheet(m_sheet);
    chart->setVisible(chart->hasChart() && workingShown() && m_sheet.rejected.empty());
  }
}

// A formula that cannot be studied at all: the window shows the reason, nothing else.
void StudyWindow::refreshRejected() {
  const bool rejected = !m_sheet.rejected.empty();
  m_rejected->setText(Q(m_sheet.rejected));
  m_rejected->setAccessibleName(m_rejected->text());
  m_rejected->setVisible(rejected);
  for (int s = 0; s < study::kSectionCount; ++s) {
    m_headings[size_t(s)]->setVisible(!rejected);
    m_bodies[size_t(s)]->setVisible(!rejected);
    if (rejected) m_workings[size_t(s)]->hide();
  }
  for (QWidget* w : {static_cast<QWidget*>(m_tableHeading), static_cast<QWidget*>(m_table),
                     static_cast<QWidget*>(m_graphHeading), static_cast<QWidget*>(m_graph)}) {
    w->setVisible(!rejected);
  }
}

void StudyWindow::showSheet(const study::Sheet& sheet, int section) {
  m_sheet = sheet;
  refreshRejected();
  refreshSection(study::SectionId(section));
  emit sectionShown(section);
}

void StudyWindow::showFinished(const study::Sheet& sheet) {
  m_sheet = sheet;
  m_finished = true;
  refreshAll();
}

// The whole sheet; it is exported or printed only once it is finished, and not a rejection.
void StudyWindow::refreshAll() {
  refreshRejected();
  for (int s = 0; s < study::kSectionCount; ++s) refreshSection(study::SectionId(s));
  m_table->setSheet(m_sheet);
  m_graph->setSheet(m_sheet);
  const bool any = m_finished && m_sheet.rejected.empty();
  m_actions.value(QStringLiteral("mEsportaStudio"))->setEnabled(any);
  m_actions.value(QStringLiteral("mStampaStudio"))->setEnabled(any);
}

void StudyWindow::mEsportaStudio() {
  m_host.CommandStarted("mEsportaStudio");
  if (!m_finished) return;
  // Each kind with the working or with the results alone.
  static const StudyFormat kOffered[] = {StudyFormat::Pdf,      StudyFormat::Pdf,
                                         StudyFormat::Latex,    StudyFormat::Latex,
                                         StudyFormat::Markdown, StudyFormat::Markdown};
  const QStringList filters = {QStringLiteral("Documento PDF (*.pdf)"),
                               QStringLiteral("Documento PDF, solo risultati (*.pdf)"),
                               QStringLiteral("Documento LaTeX (*.tex)"),
                               QStringLiteral("Documento LaTeX, solo risultati (*.tex)"),
                               QStringLiteral("Testo Markdown (*.md)"),
                               QStringLiteral("Testo Markdown, solo risultati (*.md)")};
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  QString chosenFilter;
  QString path = m_context.chooseSaveFile(this, QStringLiteral("Esporta studio"),
                                          QDir(folder).filePath(QStringLiteral("Studio.pdf")),
                                          filters, &chosenFilter);
  if (path.isEmpty()) return;  // cancelled
  const qsizetype chosen = filters.indexOf(chosenFilter);
  const bool resultsOnly = chosen >= 0 && chosen % 2 == 1;
  std::optional<StudyFormat> format = StudyFormatOf(path);
  if (!format) {  // no known ending: the chosen kind's
    format = kOffered[chosen < 0 ? 0 : chosen];
    path += QLatin1Char('.') + StudySuffix(*format);
  }
  BusyCursor busy(m_host);
  QString reason;
  const bool written =
      ExportStudy(resultsOnly ? study::ResultsOnly(m_sheet) : m_sheet, path, *format, &reason);
  m_host.FileWritten(QDir::toNativeSeparators(path).toStdString(), written);
  if (!written) m_host.Message(FailureMessage(kMsgStudyNotExported, reason).toStdString());
}

// The PDF file set for printing takes the pages as it is; a printer is chosen and set up in
// the print dialog (in batch mode the default printer, without a dialog); without a printer
// the user may save the same pages as a PDF file.
void StudyWindow::mStampaStudio() {
  m_host.CommandStarted("mStampaStudio");
  if (!m_finished) return;
  BusyCursor busy(m_host);
  QString reason;
  bool printed = true;
  // What the window shows: with the working, or the results alone.
  const study::Sheet sheet = workingShown() ? m_sheet : study::ResultsOnly(m_sheet);
  switch (PrintRouteOf(m_context)) {
    case PrintRoute::PdfFile:
      printed = PrintStudy(sheet, m_context.printToPdf(), &reason);
      break;
    case PrintRoute::DefaultPrinter: {
      if (m_context.batch()) {
        printed = PrintStudy(sheet, QString(), &reason);
        break;
      }
      QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
      printer.setDocName(QStringLiteral("Studio completo"));
      if (!m_host.RunPrintDialog(printer)) return;  // cancelled
      printed = PrintStudyOn(printer, sheet, &reason);
      break;
    }
    case PrintRoute::OfferPdf: {
      const QString path = OfferPdfInstead(m_host, QStringLiteral("Studio.pdf"));
      if (path.isEmpty()) return;  // declined or cancelled
      printed = ExportStudy(sheet, path, StudyFormat::Pdf, &reason);
      m_host.FileWritten(QDir::toNativeSeparators(path).toStdString(), printed);
      break;
    }
  }
  if (!printed) m_host.Message(FailureMessage(kMsgNotPrinted, reason).toStdString());
}

}  // namespace curvalis
