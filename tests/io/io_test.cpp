// The archive, its window, the saved graph and the printed page, each test in a data folder
// of its own.
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sstream>

#include "core/archive_format.h"
#include "io/archive_file.h"
#include "support/files.h"
#include "support/recorder.h"
#include "ui/archive/archivio_window.h"
#include "ui/common/document_view.h"
#include "ui/main/tervano.h"

using namespace curvalis;

namespace {

using curvalis::testing::FileSizeLimit;
using curvalis::testing::ReadAll;
using curvalis::testing::WriteAll;

// How a file of the data folder is made impossible to write.
enum class Failure { DataFolderIsAFile, TargetIsAFolder, DiskFull, ReadOnlyFolder };

}  // namespace

Q_DECLARE_METATYPE(Failure)

class IoTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir;
  QStringList messages, opened;
  std::ostringstream traceText;
  std::unique_ptr<TraceWriter> trace;
  std::unique_ptr<AppContext> context;

  QString data(const QString& name) const { return dir->filePath(name); }

  static QStringList listed(ArchivioWindow* a) {
    QStringList out;
    for (int i = 0; i < a->list1()->count(); ++i) out << a->list1()->item(i)->text();
    return out;
  }

  // The next widget that the tab key reaches.
  static QWidget* nextTabStop(QWidget* w) {
    QWidget* n = w->nextInFocusChain();
    while (n != w && !(n->focusPolicy() & Qt::TabFocus)) n = n->nextInFocusChain();
    return n;
  }

  // The trace's lines of one kind: "text" as control=text, "file" as path=written.
  QStringList traced(const char* op) const {
    QStringList out;
    for (const QString& line : QString::fromStdString(traceText.str()).split('\n')) {
      QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
      if (o.value("op").toString() != QLatin1String(op)) continue;
      out << (o.contains("control")
                  ? o["control"].toString() + "=" + o["text"].toString()
                  : o["path"].toString() + "=" + (o["written"].toBool() ? "true" : "false"));
    }
    return out;
  }

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    qputenv("CURVALIS_DATA_DIR", QFile::encodeName(dir->path()));
    messages.clear();
    opened.clear();
    context = std::make_unique<AppContext>();
    context->setMessageSink([this](QWidget*, std::string_view text) {
      messages << QString::fromUtf8(text.data(), qsizetype(text.size()));
    });
    context->setDocumentOpener([this](const QString& path) { opened << path; });
    traceText.str({});
    trace = std::make_unique<TraceWriter>(traceText);
    context->setTrace(trace.get());
  }

  void cleanup() {
    QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    context.reset();
  }

  // The data folder is created at the first save; the window lists the built-in entries,
  // then the saved texts, each whole, quotes included ("Quoted quotes in the archive").
  void savedFormulasListedAfterBuiltIns() {
    const QString folder = data("a/b");
    qputenv("CURVALIS_DATA_DIR", QFile::encodeName(folder));
    Tervano w(*context);
    const QStringList texts = {"sin(x)", "max(x,1)", "", "IF(x>0,x,\"\")"};
    for (const QString& t : texts) {
      w.funzione()->setText(t);
      w.mSalvaF();
    }
    QVERIFY(messages.isEmpty());
    QCOMPARE(ReadAll(folder + "/Archivio.txt"),
             QByteArray("\"sin(x)\"\r\n\"max(x,1)\"\r\n\"\"\r\n\"IF(x>0,x,\"\"\"\")\"\r\n"));
    w.mApri();
    ArchivioWindow* a = w.openArchivio();
    QVERIFY(a->isVisible());
    QCOMPARE(listed(a), ArchivioWindow::builtInEntries() + texts);
    QCOMPARE(ArchivioWindow::builtInEntries().size(), 21);
    QCOMPARE(traced("file"), QStringList(4, "Archivio.txt=true"));
  }

  void windowLayout() {
    Tervano w(*context);
    w.mApri();
    ArchivioWindow* a = w.openArchivio();
    QCOMPARE(a->windowTitle(), QStringLiteral("Archivio funzioni"));
    QCOMPARE(a->size(), QSize(526, 393));
    QCOMPARE(a->minimumSize(), a->maximumSize());
    QVERIFY(!(a->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!a->isModal());
    const std::pair<QWidget*, QRect> places[] = {
        {a->list1(), {24, 24, 329, 342}}, {a->command1(), {400, 184, 73, 33}},
        {a->ole2(), {376, 64, 113, 81}},  {a->image1(), {416, 64, 32, 32}},
        {a->ole1(), {376, 288, 121, 57}}, {a->image2(), {424, 288, 32, 32}}};
    for (const auto& [widget, rect] : places) QCOMPARE(widget->geometry(), rect);
    QCOMPARE(a->command1()->text(), QStringLiteral("Seleziona"));
    QVERIFY(!a->image1()->pixmap().isNull() && !a->image2()->pixmap().isNull());
    QCOMPARE(a->list1()->font().pointSize(), 12);
    QCOMPARE(a->list1()->palette().color(QPalette::Base),
             QApplication::palette("QMenu").color(QPalette::Window));
    QCOMPARE(nextTabStop(a->command1()), static_cast<QWidget*>(a->list1()));
    QCOMPARE(nextTabStop(a->list1()), static_cast<QWidget*>(a->ole1()));
    QCOMPARE(nextTabStop(a->ole1()), static_cast<QWidget*>(a->ole2()));
    QCOMPARE(nextTabStop(a->ole2()), static_cast<QWidget*>(a->command1()));
  }

  // An archive written on the old platform, in Windows-1252, still reads; the archive's own
  // table agrees with the platform's.
  void windows1252ArchiveReads() {
    QVERIFY(WriteAll(data("Archivio.txt"), "\"x*citt\xE0\"\r\n\"\x80*x\"\r\nsin(x)"));
    Tervano w(*context);
    w.mApri();
    QCOMPARE(listed(w.openArchivio()).mid(21),
             (QStringList{QString::fromUtf8("x*città"), QString::fromUtf8("€*x"), "sin(x)"}));
    QStringDecoder platform("windows-1252");
    if (!platform.isValid()) QSKIP("no Windows-1252 decoder on this platform");
    for (int b = 0x80; b <= 0xFF; ++b) {
      const char byte = char(b);
      QCOMPARE(QString::fromStdString(ArchiveFieldText(std::string_view(&byte, 1))),
               QString(platform.decode(QByteArrayView(&byte, 1))));
    }
  }

  // The containers show the files as they are at "Apri funzione"; a missing or damaged file
  // shows its name greyed (the chart icon standing for the picture) and opens nothing.
  void containersShowAndOpenTheirFiles() {
    Tervano w(*context);
    w.mApri();
    ArchivioWindow* a = w.openArchivio();
    QCOMPARE(listed(a), ArchivioWindow::builtInEntries());
    QVERIFY(!a->ole1()->fileExists() && !a->ole2()->fileExists());
    QVERIFY(a->image1()->isVisibleTo(a));
    QTest::mouseDClick(a->ole1(), Qt::LeftButton);
    QTest::mouseDClick(a->ole2(), Qt::LeftButton);
    QVERIFY(opened.isEmpty());

    QVERIFY(WriteAll(data("Grafico.bmp"), "BM not really a bitmap"));
    w.mApri();
    QVERIFY(a->ole2()->fileExists() && !a->ole2()->showsPicture());

    QImage picture(632, 434, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(data("Grafico.bmp"), "BMP"));
    QVERIFY(WriteAll(data("Archivio.txt"), "\"x\"\r\n"));
    w.mApri();
    QVERIFY(a->ole2()->showsPicture());
    QVERIFY(!a->image1()->isVisibleTo(a));
    QTest::mouseDClick(a->ole2(), Qt::LeftButton);
    QTest::mouseDClick(a->image2(), Qt::LeftButton);  // the icon lets the click through
    a->ole1()->setFocus();
    QTest::keyClick(a->ole1(), Qt::Key_Return);
    QCOMPARE(opened, (QStringList{data("Grafico.bmp"), data("Archivio.txt")}));
  }

  // "Seleziona" after a zoom: the start-up axes whatever the view, the view state untouched,
  // the window gone; the next "Apri funzione" reads the archive afresh.
  void selezionaDrawsStartAxesAndKeepsView() {
    Tervano w(*context);
    w.commands().view() = ViewState{0.5, 1, -1, 0};
    w.mApri();
    QPointer<ArchivioWindow> a = w.openArchivio();
    w.funzione()->setText("tan(x)");
    w.mSalvaF();  // saved while the window is open: not listed yet
    QCOMPARE(a->list1()->count(), 21);
    curvalis::testing::Recorder rec;
    w.surface().AddSink(&rec);
    QVERIFY(a->selectEntry("x^2"));
    a->clickSeleziona();
    w.surface().RemoveSink(&rec);

    QCOMPARE(w.funzione()->text(), QStringLiteral("x^2"));
    QVERIFY(!a->isVisible() && a->unloaded());
    const ViewState& v = w.commands().view();
    QVERIFY(v.ScaleUnit == 0.5 && v.OffsetX == 1 && v.OffsetY == -1 && v.PresetView == 0);
    QCOMPARE(rec.ops.front().kind, curvalis::testing::Op::Clear);
    auto scales = rec.of(curvalis::testing::Op::Scale);
    QCOMPARE(scales.size(), std::size_t(1));
    QVERIFY(scales[0].x1 == -3.2f && scales[0].y1 == 2.4f && scales[0].x2 == 3.2f &&
            scales[0].y2 == -2.4f);
    QCOMPARE(rec.lines(Palette(0)).size(), std::size_t(2));
    auto ticks = rec.points(Palette(9));
    QCOMPARE(ticks.size(), std::size_t(13 + 9));
    QCOMPARE(ticks[0].width, 2);
    QCOMPARE(w.surface().drawWidth(), 1);
    QCOMPARE(traced("text"), QStringList{"Funzione=x^2"});

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(a.isNull());
    w.mApri();
    QCOMPARE(listed(w.openArchivio()).mid(21), QStringList{"tan(x)"});
  }

  // Nothing selected, or (as in the batch mode) no such entry: Funzione is emptied; the window
  // need not have been shown.
  void selezionaWithNothingSelected() {
    Tervano w(*context);
    w.funzione()->setText("sin(x)");
    ArchivioWindow* first = w.openArchivio();
    QVERIFY(!first->selectEntry("no such entry"));
    first->clickSeleziona();
    QCOMPARE(w.funzione()->text(), QString());
    ArchivioWindow* second = w.openArchivio();
    QVERIFY(second != first);
    QVERIFY(second->selectEntry("atanh(x)"));
    second->clickSeleziona();
    QCOMPARE(w.funzione()->text(), QStringLiteral("atanh(x)"));
  }

  // Appending copies the old bytes untouched and puts the record on a line of its own.
  void appendKeepsOldBytes() {
    const QByteArray old("\"a\"\r\n\x80 hand-edited, no final line break");
    QVERIFY(WriteAll(data("Archivio.txt"), old));
    QString reason;
    QVERIFY(AppendArchiveRecord(data("Archivio.txt"), "b", &reason));
    QCOMPARE(ReadAll(data("Archivio.txt")), old + "\r\n\"b\"\r\n");
  }

  // "Grafico.bmp" is a BMP of the drawing: white, the red curve, the caption near the
  // lower-left corner; the window stays white.
  void saveGraphWritesTheDrawing() {
    Tervano w(*context);
    w.funzione()->setText("sin(x)");
    w.mSalva();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QImageReader reader(data("Grafico.bmp"));
    QCOMPARE(reader.format(), QByteArray("bmp"));
    QImage saved = reader.read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved, w.canvas()->sink().logicalImage().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(saved.size(), QSize(632, 434));
    QCOMPARE(saved.pixelColor(2, 2), QColor(Qt::white));
    int red = 0, caption = 0;
    for (int y = 0; y < saved.height(); ++y) {
      for (int x = 0; x < saved.width(); ++x) {
        QColor c = saved.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++red;
        // The caption starts at (OX - 3U, OY - 1.8U), the pixel (19.75, 379.75).
        if (x >= 19 && x < 120 && y >= 379 && y < 393 && c.lightness() < 128) ++caption;
      }
    }
    QVERIFY(red > 100 && caption > 30);
    QCOMPARE(w.surface().background(), kWhite);
    QCOMPARE(traced("file"), QStringList{"Grafico.bmp=true"});
  }

  // A save that fails leaves the older file byte for byte and says why ("Writes that fail are
  // told").
  void saveFailureKeepsOldFile_data() {
    QTest::addColumn<bool>("graph");
    QTest::addColumn<Failure>("failure");
    for (bool graph : {false, true}) {
      const char* file = graph ? "Grafico.bmp: " : "Archivio.txt: ";
      QTest::addRow("%sdata folder is a file", file) << graph << Failure::DataFolderIsAFile;
      QTest::addRow("%starget is a folder", file) << graph << Failure::TargetIsAFolder;
      QTest::addRow("%sdisk full", file) << graph << Failure::DiskFull;
      QTest::addRow("%sread-only folder", file) << graph << Failure::ReadOnlyFolder;
    }
  }
  void saveFailureKeepsOldFile() {
    QFETCH(bool, graph);
    QFETCH(Failure, failure);
    if (failure == Failure::ReadOnlyFolder && geteuid() == 0) QSKIP("root writes anyway");
    const QString name = graph ? "Grafico.bmp" : "Archivio.txt";
    QImage older(632, 434, QImage::Format_RGB32);
    older.fill(Qt::cyan);
    QVERIFY(graph ? older.save(data(name), "BMP") : WriteAll(data(name), "\"a\"\r\n\"b\"\r\n"));
    const QByteArray old = ReadAll(data(name));
    if (failure == Failure::DataFolderIsAFile) {
      QVERIFY(WriteAll(data("file"), "x"));
      qputenv("CURVALIS_DATA_DIR", QFile::encodeName(data("file")));
    } else if (failure == Failure::TargetIsAFolder) {
      QVERIFY(QFile::remove(data(name)) && QDir(dir->path()).mkdir(name));
    } else if (failure == Failure::ReadOnlyFolder) {
      QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    {
      Tervano w(*context);
      w.funzione()->setText("x^2");
      std::unique_ptr<FileSizeLimit> full;
      if (failure == Failure::DiskFull) full = std::make_unique<FileSizeLimit>(old.size() / 2);
      graph ? w.mSalva() : w.mSalvaF();
    }
    QCOMPARE(messages.size(), 1);
    const QString text =
        graph ? "Impossibile salvare il grafico\n" : "Impossibile salvare la funzione\n";
    QVERIFY2(messages[0].startsWith(text) && messages[0].size() > text.size() + 10,
             qPrintable(messages[0]));
    if (failure != Failure::TargetIsAFolder) QCOMPARE(ReadAll(data(name)), old);
    QCOMPARE(traced("file"), QStringList{name + "=false"});
    QCOMPARE(QDir(dir->path()).entryList({name + "?*"}, QDir::AllEntries), QStringList());
  }

  // Printing into a PDF file: Label1 and Funzione are empty while the window is printed and
  // hold their texts again afterwards.
  void printToPdf_data() {
    QTest::addColumn<bool>("all");
    QTest::newRow("Stampa grafico") << false;
    QTest::newRow("Stampa tutto") << true;
  }
  void printToPdf() {
    QFETCH(bool, all);
    context->setPrintToPdf(data("out/page.pdf"));
    Tervano w(*context);
    w.funzione()->setText("x^2");
    w.funzione()->setCursorPosition(1);
    all ? w.mStampaT() : w.mStampa();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QVERIFY(ReadAll(data("out/page.pdf")).startsWith("%PDF-"));
    QCOMPARE(QDir(data("out")).entryList(QDir::Files), QStringList{"page.pdf"});
    QCOMPARE(w.label1()->text(), QStringLiteral("f(x)="));
    QCOMPARE(w.funzione()->text(), QStringLiteral("x^2"));
    QCOMPARE(w.funzione()->cursorPosition(), 1);
    QVERIFY(w.funzione()->isVisibleTo(&w));
    QCOMPARE(traced("text"), (QStringList{"Label1=", "Funzione=", "Label1=f(x)=", "Funzione=x^2"}));
  }

  // A print that cannot be made is told ("Writes that fail are told"); the texts are restored
  // all the same.
  void printFailureTold_data() {
    QTest::addColumn<bool>("toPdf");
    QTest::newRow("PDF in a folder that is a file") << true;
    QTest::newRow("no default printer") << false;
  }
  void printFailureTold() {
    QFETCH(bool, toPdf);
    if (!toPdf && !QPrinterInfo::defaultPrinter().isNull()) QSKIP("there is a default printer");
    QVERIFY(WriteAll(data("file"), "x"));
    if (toPdf) context->setPrintToPdf(data("file/page.pdf"));
    Tervano w(*context);
    w.funzione()->setText("x^2");
    w.mStampa();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Impossibile stampare\n"), qPrintable(messages[0]));
    if (!toPdf)
      QCOMPARE(messages[0], QStringLiteral("Impossibile stampare\nnessuna stampante predefinita"));
    QCOMPARE(w.funzione()->text(), QStringLiteral("x^2"));
    QCOMPARE(w.label1()->text(), QStringLiteral("f(x)="));
  }

  // A rejected formula: the message only, before anything is emptied, saved or printed; the
  // analyses of "tutto" do not run.
  void rejectedFormulaOutputsNothing_data() {
    QTest::addColumn<bool>("print");
    QTest::newRow("Salva tutto") << false;
    QTest::newRow("Stampa tutto") << true;
  }
  void rejectedFormulaOutputsNothing() {
    QFETCH(bool, print);
    context->setPrintToPdf(data("page.pdf"));
    Tervano w(*context);
    w.funzione()->setText("sin(");
    print ? w.mStampaT() : w.mSalvaT();
    QCOMPARE(messages, QStringList{"Errore nella formula!"});
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(traced("text").isEmpty() && traced("file").isEmpty());
    QVERIFY(traceText.str().find("mMinimi") == std::string::npos);
    QCOMPARE(w.funzione()->text(), QStringLiteral("sin("));
  }
};

QTEST_MAIN(IoTest)
#include "io_test.moc"
