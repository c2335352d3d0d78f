// The archive file, the saved graph and the printed page, each test in a data folder of its
// own.
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QImageReader>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <memory>

#include "io/archive_file.h"
#include "support/files.h"
#include "support/window_fixture.h"
#include "ui/main/tervano.h"

using namespace curvalis;

namespace {

using curvalis::testing::FileSizeLimit;
using curvalis::testing::ReadAll;
using curvalis::testing::WriteAll;

// What a tool of poppler-utils reads in a PDF file; empty when it is missing or fails.
QString Pdf(const char* tool, const QString& path) {
  QProcess p;
  QStringList args{path};
  if (QLatin1String(tool) == QLatin1String("pdftotext")) args << QStringLiteral("-");
  p.start(QString::fromLatin1(tool), args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

// How a file of the data folder is made impossible to write.
enum class Failure { DataFolderIsAFile, TargetIsAFolder, DiskFull, ReadOnlyFolder };

}  // namespace

Q_DECLARE_METATYPE(Failure)

class IoTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(setUp()); }
  void cleanup() { tearDown(); }

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
    // The batch mode tells a missing printer, it offers no PDF file.
    context->setBatch(true);
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

  // Without a printer the window offers to save the same page as a PDF file: a question with
  // the reason, then a save dialog proposing a name in the data folder. Declined or cancelled,
  // nothing is written, emptied or told.
  void noPrinterOffersPdf_data() {
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("Stampa grafico, saved") << false << true << "out.pdf"
                                           << "out.pdf";
    QTest::newRow("Stampa tutto, saved") << true << true << "out.pdf"
                                         << "out.pdf";
    QTest::newRow("a name without ending gets .pdf") << false << true << "out"
                                                     << "out.pdf";
    QTest::newRow("Stampa grafico, declined") << false << false << "out.pdf"
                                              << "";
    QTest::newRow("Stampa tutto, save cancelled") << true << true << ""
                                                  << "";
  }
  void noPrinterOffersPdf() {
    QFETCH(bool, all);
    QFETCH(bool, yes);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    context->setPrinterCheck([] { return false; });
    answerYes = yes;
    saveAnswer = answer.isEmpty() ? QString() : data("pdf/" + answer);
    QVERIFY(QDir(dir->path()).mkdir("pdf"));
    Tervano w(*context);
    w.funzione()->setText("x^3-3*x");
    all ? w.mStampaT() : w.mStampa();
    QCOMPARE(questions, QStringList{"Impossibile stampare: nessuna stampante predefinita.\n"
                                    "Salvare le stesse pagine in un file PDF?"});
    QCOMPARE(saveStarts, yes ? QStringList{data(all ? "Grafico e analisi.pdf" : "Grafico.pdf")}
                             : QStringList{});
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(w.funzione()->text(), QStringLiteral("x^3-3*x"));
    QCOMPARE(w.label1()->text(), QStringLiteral("f(x)="));
    if (written.isEmpty()) {
      QCOMPARE(QDir(data("pdf")).entryList(QDir::Files), QStringList());
      QVERIFY(traced("text").isEmpty());
      return;
    }
    QCOMPARE(QDir(data("pdf")).entryList(QDir::Files), QStringList{written});
    QCOMPARE(traced("file"), QStringList{data("pdf/" + written) + "=true"});
    // The same page the PDF route of printing writes.
    context->setPrintToPdf(data("printed.pdf"));
    all ? w.mStampaT() : w.mStampa();
    QCOMPARE(questions.size(), 1);
    if (!Pdf("pdfinfo", data("printed.pdf")).isEmpty()) {
      QVERIFY2(Pdf("pdfinfo", data("pdf/" + written)).contains(QRegularExpression("Pages: +1\n")),
               qPrintable(Pdf("pdfinfo", data("pdf/" + written))));
      QCOMPARE(Pdf("pdftotext", data("pdf/" + written)), Pdf("pdftotext", data("printed.pdf")));
    }
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
