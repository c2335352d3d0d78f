// The study window as a student meets it: the sections fill in order, the main window stays
// usable while the engine thinks, a new formula replaces the study, the exports and the print
// write what the window shows and never spoil an older file. The engine is a double with
// canned answers (and a delay when a test wants a slow one); no dialog can block a test.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "io/study/study_output.h"
#include "support/files.h"
#include "ui/main/tervano.h"
#include "ui/study/formula_engine.h"
#include "ui/study/formula_label.h"
#include "ui/study/study_views.h"
#include "ui/study/study_window.h"

using namespace curvalis;
using namespace curvalis::testing;
using study::SectionId;

namespace {

constexpr char kWorked[] = "(x^2-1)/(x-2)";

// What pdftotext reads in a PDF file; empty when poppler-utils is missing.
QString PdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"),
          {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The number of pages pdfinfo reads in a PDF file; empty when poppler-utils is missing.
QString PdfPages(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("Pages: +(\\d+)")).match(p.readAllStandardOutput());
  return m.hasMatch() ? m.captured(1) : QString();
}

enum class Failure { FolderIsAFile, TargetIsAFolder, DiskFull };

}  // namespace

Q_DECLARE_METATYPE(Failure)

class StudyTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<QTemporaryDir>();
    m_messages.clear();
    m_asked = 0;
    m_filter = 0;
    m_answer.clear();
    m_context = std::make_unique<AppContext>();
    m_context->setMessageSink([this](QWidget*, std::string_view text) {
      m_messages << QString::fromUtf8(text.data(), qsizetype(text.size()));
    });
    m_context->setSaveFileChooser([this](QWidget*, const QString&, const QString&,
                                         const QStringList& filters, QString* chosen) {
      ++m_asked;
      if (chosen && !filters.isEmpty()) *chosen = filters.value(m_filter);
      return m_answer;
    });
    m_questions.clear();
    m_yes = false;
    m_dialogs = 0;
    m_printerFile.clear();
    m_context->setQuestionSink([this](QWidget*, std::string_view text, std::string_view) {
      m_questions << QString::fromUtf8(text.data(), qsizetype(text.size()));
      return m_yes;
    });
    m_context->setPrintDialogRunner([this](QWidget*, QPrinter& printer) {
      ++m_dialogs;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(m_printerFile);
      return m_yes;
    });
    setDelay(0);
    m_main = std::make_unique<Tervano>(*m_context);
  }
  void cleanup() {
    m_main.reset();
    m_context.reset();
    m_dir.reset();
  }

  // The menu item and its key: F7 in "&Calcola", right after "Studio rapido".
  void menuItem() {
    QAction* a = m_main->action("mScheda");
    QVERIFY(a);
    QCOMPARE(a->text(), QStringLiteral("Studio completo"));
    QCOMPARE(a->shortcut(), QKeySequence(Qt::Key_F7));
    QMenu* calcola = m_main->findChild<QMenu*>("mCalcola");
    QVERIFY(calcola);
    const QList<QAction*> items = calcola->actions();
    const qsizetype at = items.indexOf(m_main->action("mStudio"));
    QVERIFY(at >= 0);
    QCOMPARE(items.value(at + 1), a);
  }

  // The sections are shown in the sheet's order, each once; "calcolo in corso" stands where a
  // section is pending; the window says what formula it studies.
  void sectionsAppearInOrder() {
    StudyWindow* w = startStudy(kWorked);
    QCOMPARE(w->sectionText(SectionId::Inflections), QStringLiteral("calcolo in corso"));
    QVERIFY(w->windowTitle().contains(kWorked));
    QVERIFY(w->titleLabel()->studentText().contains(kWorked));
    QList<int> shown;
    connect(w, &StudyWindow::sectionShown, this, [&](int s) { shown << s; });
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    QList<int> order;
    for (int s = 0; s < study::kSectionCount; ++s) order << s;
    // Sections shown before the connection are not counted: the rest come in order.
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown, order.mid(order.size() - shown.size()));
    QVERIFY(w->isVisible());
  }

  // What the finished sheet of the worked example shows, section by section.
  void workedExampleTexts_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("expected");
    QTest::newRow("domain") << int(SectionId::Domain) << "]−∞; 2[ ∪ ]2; +∞[";
    QTest::newRow("intercepts") << int(SectionId::Intercepts) << "(0; 1/2)";
    QTest::newRow("derivative") << int(SectionId::Derivative) << "(x² − 4x + 1)/(x − 2)²";
    QTest::newRow("maximum") << int(SectionId::Extrema) << "(2 − √3; 4 − 2√3)";
    QTest::newRow("minimum") << int(SectionId::Extrema) << "(2 + √3; 4 + 2√3)";
    QTest::newRow("second derivative") << int(SectionId::SecondDerivative) << "6/(x − 2)³";
  }
  void workedExampleTexts() {
    QFETCH(int, section);
    QFETCH(QString, expected);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    const QString text = w->sectionText(SectionId(section));
    QVERIFY2(text.contains(expected), qPrintable(text));
    QCOMPARE(w->sectionLabel(SectionId(section))->accessibleDescription(), text);
    // The table and the graph are also text for a screen reader.
    QVERIFY(w->tableView()->accessibleDescription().contains("2 − √3"));
    QVERIFY(w->graphView()->accessibleDescription().contains("4 − 2√3"));
  }

  // While a slow engine works, the main window answers: its events run at once and its
  // commands draw.
  void mainWindowAnswersWhileSlow() {
    setDelay(60);
    StudyWindow* w = startStudy(kWorked);
    QElapsedTimer clock;
    clock.start();
    bool ran = false;
    QTimer::singleShot(0, this, [&] { ran = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ran, 1000);
    QVERIFY2(clock.elapsed() < 500, "the event loop was held");
    m_main->funzione()->setText("x^2");
    m_main->action("mGrafico")->trigger();
    QVERIFY(!m_main->canvas()->operations().ops().empty());
    QVERIFY(!w->finished());
    QVERIFY(w->sectionText(SectionId::Inflections) == QStringLiteral("calcolo in corso"));
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
  }

  // F7 with another formula abandons the study in progress: its late answers are not shown
  // and the window shows the new one.
  void newFormulaReplacesStudy() {
    setDelay(40);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->sheet().function.ready, 10000);
    QStringList studied;
    connect(w, &StudyWindow::sectionShown, this,
            [&] { studied << QString::fromStdString(w->sheet().function.data.typed); });
    m_main->funzione()->setText("x^3-3*x");
    m_main->action("mScheda")->trigger();
    QCOMPARE(w, m_main->openStudio());
    QVERIFY(w->windowTitle().contains("x^3-3*x"));
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
    QCOMPARE(w->formula(), QStringLiteral("x^3-3*x"));
    QCOMPARE(w->sheet().function.data.typed, std::string("x^3-3*x"));
    studied.removeAll(QStringLiteral("x^3-3*x"));
    QVERIFY2(studied.isEmpty(), qPrintable(studied.join(',')));
    QVERIFY(w->sectionText(SectionId::Extrema).contains("(−1; 2)"));
  }

  // An empty or rejected formula shows its reason and nothing else.
  void rejectedFormula_data() {
    QTest::addColumn<QString>("formula");
    QTest::newRow("empty") << "";
    QTest::newRow("dangling operator") << "x+";
    QTest::newRow("unknown name") << "sen2(x)";
  }
  void rejectedFormula() {
    QFETCH(QString, formula);
    StudyWindow* w = startStudy(formula);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    QVERIFY(!w->sheet().rejected.empty());
    QVERIFY(w->findChild<QLabel*>("Motivo")->isVisibleTo(w));
    QVERIFY(!w->sectionLabel(SectionId::Domain)->isVisibleTo(w));
    QVERIFY(!w->tableView()->isVisibleTo(w));
    QVERIFY(!w->action("mEsportaStudio")->isEnabled());
    QVERIFY(m_messages.isEmpty());
  }

  // Without the exact engine (none given, or one that cannot be made) the sheet is still
  // found numerically and says why it has no exact study; no message box.
  void engineMissing_data() {
    QTest::addColumn<bool>("throws");
    QTest::newRow("no engine") << false;
    QTest::newRow("engine cannot be made") << true;
  }
  void engineMissing() {
    QFETCH(bool, throws);
    m_main.reset();
    if (throws) {
      m_context->setExactEngineFactory([]() -> std::unique_ptr<study::ExactEngine> {
        throw std::runtime_error("helper missing");
      });
    } else {
      m_context->setExactEngineFactory({});
    }
    m_main = std::make_unique<Tervano>(*m_context);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 60000);
    QVERIFY2(
        w->sectionText(SectionId::Function).contains("motore di calcolo esatto non disponibile"),
        qPrintable(w->sectionText(SectionId::Function)));
    QVERIFY(w->sectionText(SectionId::Domain).contains("2"));
    QVERIFY(m_messages.isEmpty());
  }

  // Each kind of export writes the values the window shows; PDF read back with pdftotext.
  void exportEachKind_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter");
    QTest::addColumn<bool>("working");
    QTest::newRow("pdf") << "studio.pdf" << 0 << true;
    QTest::newRow("pdf without ending") << "studio" << 0 << true;
    QTest::newRow("pdf, results alone") << "studio.pdf" << 1 << false;
    QTest::newRow("latex") << "studio.tex" << 2 << true;
    QTest::newRow("latex, results alone") << "studio.tex" << 3 << false;
    QTest::newRow("markdown") << "studio.md" << 4 << true;
    QTest::newRow("markdown, results alone") << "studio.md" << 5 << false;
  }
  void exportEachKind() {
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(bool, working);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    m_answer = data(name);
    m_filter = filter;
    QVERIFY(w->action("mEsportaStudio")->isEnabled());
    w->action("mEsportaStudio")->trigger();
    QCOMPARE(m_asked, 1);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    const QString path = QFileInfo(name).suffix().isEmpty() ? data(name + ".pdf") : data(name);
    QVERIFY(QFileInfo::exists(path));
    QString text;
    if (path.endsWith(".pdf")) {
      QVERIFY(ReadAll(path).startsWith("%PDF"));
      text = PdfText(path);
      if (text.isEmpty()) QSKIP("pdftotext is not installed");
      QVERIFY2(text.contains("4 + 2√3") || text.contains("4+2√3"), qPrintable(text));
      QVERIFY(text.contains("Tabella dei segni e della variazione"));
      QVERIFY(text.contains("Grafico"));  // no ligature hides a word from a search
    } else {
      text = QString::fromUtf8(ReadAll(path));
    }
    // pdftotext may drop the blanks around a sign; LaTeX writes its own notation.
    text.remove(QLatin1Char(' '));
    QVERIFY2(text.contains("x≠2") || text.contains("x\\neq2"), qPrintable(text.left(2000)));
    QVERIFY(text.contains("2−√3") || text.contains("2-\\sqrt{3}"));
    // The working, or the results alone, as the kind chosen says.
    QCOMPARE(text.contains("Svolgimento"), working);
    QCOMPARE(text.contains("(denominatore)"), working);
  }

  // The working stands under each result, shown by default; one menu item hides all of it and
  // shows it again.
  void workingShownAndHidden() {
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    QAction* toggle = w->action("mSvolgimento");
    QVERIFY(toggle && toggle->isCheckable() && toggle->isChecked());
    FormulaLabel* domain = w->workingLabel(SectionId::Domain);
    QVERIFY(domain->isVisible());
    QCOMPARE(domain->studentText(),
             QStringLiteral("Svolgimento:\n1. x − 2 ≠ 0 (denominatore)\n2. x ≠ 2\n"
                            "3. D = ]−∞; 2[ ∪ ]2; +∞["));
    QVERIFY(w->workingLabel(SectionId::Derivative)->studentText().contains("2x·(x − 2)"));
    QVERIFY(w->workingLabel(SectionId::Extrema)
                ->studentText()
                .contains("f′ cambia segno da + a − in x = 2 − √3"));
    QVERIFY(!w->workingLabel(SectionId::Inflections)->isVisible());  // a section without one
    // The sign charts go with the working: shown where the sheet has one.
    for (SectionId id : {SectionId::Sign, SectionId::Monotonicity, SectionId::Concavity}) {
      QCOMPARE(w->chartView(id)->isVisible(), w->chartView(id)->hasChart());
    }
    toggle->trigger();
    for (int s = 0; s < study::kSectionCount; ++s) {
      QVERIFY(!w->workingLabel(SectionId(s))->isVisible());
    }
    for (SectionId id : {SectionId::Sign, SectionId::Monotonicity, SectionId::Concavity}) {
      QVERIFY(!w->chartView(id)->isVisible());
    }
    QVERIFY(w->sectionLabel(SectionId::Domain)->isVisible());  // the results stay
    toggle->trigger();
    QVERIFY(domain->isVisible());
  }

  // An export that fails leaves the older file byte for byte and says why.
  void exportFailureKeepsOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Failure>("failure");
    for (const char* name : {"s.pdf", "s.tex", "s.md"}) {
      QTest::addRow("%s: folder is a file", name) << name << Failure::FolderIsAFile;
      QTest::addRow("%s: target is a folder", name) << name << Failure::TargetIsAFolder;
      QTest::addRow("%s: disk full", name) << name << Failure::DiskFull;
    }
  }
  void exportFailureKeepsOldFile() {
    QFETCH(QString, name);
    QFETCH(Failure, failure);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    const QByteArray old(16, 'o');
    QVERIFY(WriteAll(data(name), old));
    m_answer = data(name);
    if (failure == Failure::FolderIsAFile) {
      QVERIFY(WriteAll(data("file"), "x"));
      m_answer = data("file/" + name);
    } else if (failure == Failure::TargetIsAFolder) {
      QVERIFY(QFile::remove(data(name)) && QDir(m_dir->path()).mkdir(name));
    }
    {
      std::unique_ptr<FileSizeLimit> full;
      if (failure == Failure::DiskFull) full = std::make_unique<FileSizeLimit>(old.size());
      w->mEsportaStudio();
    }
    QCOMPARE(m_messages.size(), 1);
    const QString text = "Impossibile esportare lo studio\n";
    QVERIFY2(m_messages[0].startsWith(text) && m_messages[0].size() > text.size() + 10,
             qPrintable(m_messages[0]));
    if (failure != Failure::TargetIsAFolder) QCOMPARE(ReadAll(data(name)), old);
    QCOMPARE(QDir(m_dir->path()).entryList({name + "?*"}, QDir::AllEntries), QStringList());
  }

  // "Stampa studio" into the PDF file of the context; without one and without a printer, the
  // batch mode tells the failure.
  void print() {
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    m_context->setPrintToPdf(data("stampa.pdf"));
    w->action("mStampaStudio")->trigger();
    QVERIFY(m_messages.isEmpty());
    const QString text = PdfText(data("stampa.pdf"));
    if (!text.isEmpty()) QVERIFY(text.contains("(x² − 4x + 1)/(x − 2)²"));
    QCOMPARE(m_questions.size() + m_dialogs, 0);
    if (QPrinterInfo::defaultPrinter().isNull()) {
      m_context->setPrintToPdf(QString());
      m_context->setBatch(true);
      w->mStampaStudio();
      QCOMPARE(m_messages.size(), 1);
      QVERIFY2(m_messages[0].startsWith("Impossibile stampare\n"), qPrintable(m_messages[0]));
      QCOMPARE(m_questions.size() + m_dialogs, 0);
    }
  }

  // In the window: with a printer, the print dialog, then the sheet's pages on the printer set
  // up there; without one, the question, then the same pages into the PDF file chosen.
  // Cancelled or declined, nothing is written or told.
  void printInTheWindow_data() {
    QTest::addColumn<bool>("printer");
    QTest::addColumn<bool>("yes");  // the dialog accepted, the question answered Sì
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("printer, printed") << true << true << "" << true;
    QTest::newRow("printer, dialog cancelled") << true << false << "" << false;
    // The printer set up to print into a file of a folder that does not exist.
    QTest::newRow("printer fails") << true << true << "missing/printer.pdf" << false;
    QTest::newRow("no printer, saved") << false << true << "studio.pdf" << true;
    QTest::newRow("no printer, declined") << false << false << "studio.pdf" << false;
    QTest::newRow("no printer, save cancelled") << false << true << "" << false;
  }
  void printInTheWindow() {
    QFETCH(bool, printer);
    QFETCH(bool, yes);
    QFETCH(QString, answer);
    QFETCH(bool, written);
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    QString reference;
    QVERIFY(ExportStudy(w->sheet(), data("reference.pdf"), StudyFormat::Pdf, &reference));
    QVERIFY(QDir(m_dir->path()).mkdir("out"));
    m_context->setPrinterCheck([printer] { return printer; });
    m_yes = yes;
    m_answer = answer.isEmpty() ? QString() : data("out/" + answer);
    // The stand-in print dialog sets the printer up to print into a PDF file.
    const bool fails = printer && !answer.isEmpty();
    m_printerFile = fails ? data("out/" + answer) : data("out/printer.pdf");
    w->action("mStampaStudio")->trigger();
    if (fails) {
      QCOMPARE(m_messages.size(), 1);
      QVERIFY2(m_messages[0].startsWith("Impossibile stampare\n" + m_printerFile + ": "),
               qPrintable(m_messages[0]));
      m_messages.clear();
    }
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
    QCOMPARE(m_dialogs, printer ? 1 : 0);
    QCOMPARE(m_questions.size(), printer ? 0 : 1);
    QCOMPARE(m_asked, !printer && yes ? 1 : 0);
    const QStringList files = QDir(data("out")).entryList(QDir::Files);
    if (!written) {
      QCOMPARE(files, QStringList());
      return;
    }
    const QString path = printer ? m_printerFile : m_answer;
    QCOMPARE(files, QStringList{QFileInfo(path).fileName()});
    const QString pages = PdfPages(data("reference.pdf"));
    if (!pages.isEmpty()) {
      QVERIFY(pages.toInt() > 1);
      QCOMPARE(PdfPages(path), pages);
      QVERIFY(PdfText(path).contains("(x² − 4x + 1)/(x − 2)²"));
    }
  }

  // The curve is cut at the pole: no stroke joins the two branches across x = 2, though both
  // leave the view there; away from the pole the curve is drawn.
  void graphCutAtPole() {
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    // Without the marks and labels, which may stand over the curve.
    study::Sheet sheet = w->sheet();
    sheet.points.clear();
    QVERIFY(sheet.view.left < 2 - std::sqrt(3.0) && sheet.view.right > 2 + std::sqrt(3.0));
    QCOMPARE(GraphBreaks(sheet), std::vector<double>{2});
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter p(&image);
      PaintStudyGraph(p, QRectF(0, 0, 800, 600), sheet);
    }
    auto redIn = [&](int column) {
      int n = 0;
      for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(column, y);
        if (c.red() > 150 && c.green() < 100 && c.blue() < 100) ++n;
      }
      return n;
    };
    const double v = (2 - sheet.view.left) / (sheet.view.right - sheet.view.left) * 800;
    QVERIFY(redIn(int(v)) < 60);  // two steep branches, no bridge across the whole height
    const double left = (0.5 - sheet.view.left) / (sheet.view.right - sheet.view.left) * 800;
    QVERIFY(redIn(int(left)) > 0);
  }

  // With CURVALIS_SCREENSHOTS set to a folder, the main window and the study window of the
  // worked example are saved there: the window itself, and the whole screen as X shows it.
  void screenshots() {
    const QString dir = qEnvironmentVariable("CURVALIS_SCREENSHOTS");
    if (dir.isEmpty()) QSKIP("CURVALIS_SCREENSHOTS is not set");
    QDir().mkpath(dir);
    m_main->show();
    m_main->funzione()->setText(kWorked);
    m_main->action("mGrafico")->trigger();
    StudyWindow* w = startStudy(kWorked);
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    QTest::qWait(500);
    w->grab().save(dir + "/studio.png");
    QProcess::execute("import", {"-window", "root", dir + "/schermo.png"});
    w->resize(420, 900);
    QTest::qWait(300);
    w->grab().save(dir + "/studio-stretto.png");
    auto* scroll = w->findChild<QScrollArea*>("Foglio");
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    QTest::qWait(300);
    w->grab().save(dir + "/studio-fondo.png");
    QString reason;
    QVERIFY2(ExportStudy(w->sheet(), dir + "/studio.pdf", StudyFormat::Pdf, &reason),
             qPrintable(reason));
    QProcess::execute("pdftoppm", {"-png", "-r", "60", dir + "/studio.pdf", dir + "/pagina"});
    // Half way through a slow study, and a rejected formula.
    w->close();
    m_main.reset();
    setDelay(40);
    m_main = std::make_unique<Tervano>(*m_context);
    m_main->show();
    w = startStudy("x^3-3*x");
    QTRY_VERIFY_WITH_TIMEOUT(w->sheet().limits.ready, 30000);
    w->grab().save(dir + "/studio-in-corso.png");
    w = startStudy("x+");
    QTRY_VERIFY_WITH_TIMEOUT(w->finished(), 30000);
    w->grab().save(dir + "/studio-rifiutato.png");
  }

 private:
  QString data(const QString& name) const { return m_dir->filePath(name); }

  void setDelay(int ms) {
    m_context->setExactEngineFactory([ms]() -> std::unique_ptr<study::ExactEngine> {
      return std::make_unique<FormulaEngine>(ms);
    });
  }

  StudyWindow* startStudy(const QString& formula) {
    m_main->funzione()->setText(formula);
    m_main->action("mScheda")->trigger();
    StudyWindow* w = m_main->openStudio();
    return w;
  }

  std::unique_ptr<QTemporaryDir> m_dir;
  std::unique_ptr<AppContext> m_context;
  std::unique_ptr<Tervano> m_main;
  QStringList m_messages;
  QString m_answer;
  int m_filter = 0;
  int m_asked = 0;
  QStringList m_questions;
  bool m_yes = false;  // the questions' answer, and the print dialog's
  int m_dialogs = 0;
  QString m_printerFile;
};

QTEST_MAIN(StudyTest)
#include "study_test.moc"
