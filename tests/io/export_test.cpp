// The drawing kept as operations and painted again: the same picture as the canvas, the
// exported files, the clipboard and the printed page, each test in a data folder of its own.
#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sstream>

#include "io/drawing_painter.h"
#include "io/graph_output.h"
#include "support/files.h"
#include "support/window_fixture.h"
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"

using namespace curvalis;

namespace {

using curvalis::testing::FileSizeLimit;
using curvalis::testing::ReadAll;
using curvalis::testing::WriteAll;

// The standard output of a tool of poppler-utils, or a failure when it cannot run.
QString Tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    return QStringLiteral("<%1 failed: %2>").arg(program, QString(p.readAllStandardError()));
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

// How far two pictures of the same size are apart, compared by the mean colour of blocks of
// 8 x 8 pixels: lines drawn sharp or smooth agree there; a text, a line or a label moved by a
// few pixels does not.
struct BlockDistance {
  double worst = 0;  // the largest difference of one channel of one block, 0 to 255
  double mean = 0;   // the mean over all blocks and channels
};

// Alike: what one picture drawn sharp and the other smooth leave apart (about 18 and 0.3 for
// the printed page); the page moved by three pixels is about 96 and 2.4.
bool Alike(const BlockDistance& d) {
  return d.worst < 40 && d.mean < 1;
}

QString Describe(const BlockDistance& d) {
  return QStringLiteral("worst %1, mean %2").arg(d.worst).arg(d.mean);
}

BlockDistance CompareBlocks(const QImage& a, const QImage& b) {
  constexpr int kBlock = 8;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  BlockDistance d;
  if (x.size() != y.size()) return BlockDistance{1e9, 1e9};
  int blocks = 0;
  for (int by = 0; by < x.height(); by += kBlock) {
    for (int bx = 0; bx < x.width(); bx += kBlock) {
      double sum[2][3] = {};
      int n = 0;
      for (int py = by; py < std::min(by + kBlock, x.height()); ++py) {
        for (int px = bx; px < std::min(bx + kBlock, x.width()); ++px, ++n) {
          const QRgb c[2] = {x.pixel(px, py), y.pixel(px, py)};
          for (int i = 0; i < 2; ++i) {
            sum[i][0] += qRed(c[i]);
            sum[i][1] += qGreen(c[i]);
            sum[i][2] += qBlue(c[i]);
          }
        }
      }
      for (int ch = 0; ch < 3; ++ch) {
        const double diff = std::abs(sum[0][ch] - sum[1][ch]) / n;
        d.worst = std::max(d.worst, diff);
        d.mean += diff;
      }
      ++blocks;
    }
  }
  d.mean /= 3.0 * blocks;
  return d;
}

// A larger picture brought to the canvas's size by averaging.
QImage Reduced(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32)
      .scaled(kClientWidth, kClientHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// How a target file is made impossible to write.
enum class Failure { FolderIsAFile, TargetIsAFolder, DiskFull, ReadOnlyFolder };

}  // namespace

Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(PictureFormat)

class ExportTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
  // The save dialog's stand-in: what it was asked, and what it answers.
  struct Dialog {
    int asked = 0;
    QString title, start;
    QStringList filters;
    QString answer, answerFilter;
  } dialog;

  QStringList tracedFiles() const { return traced("file"); }

  // The quick study of x^3-3*x: all four listings on the drawing.
  static void study(Tervano& w, const QString& formula = QStringLiteral("x^3-3*x")) {
    w.funzione()->setText(formula);
    w.action("mGrafico")->trigger();
    w.action("mStudio")->trigger();
  }

 private slots:
  void init() {
    QVERIFY(setUp());
    dialog = Dialog{};
    context->setSaveFileChooser([this](QWidget*, const QString& title, const QString& start,
                                       const QStringList& filters, QString* chosen) {
      ++dialog.asked;
      dialog.title = title;
      dialog.start = start;
      dialog.filters = filters;
      *chosen = dialog.answerFilter.isEmpty() ? filters.value(0) : dialog.answerFilter;
      return dialog.answer;
    });
  }

  void cleanup() { tearDown(); }

  // The list painted again at the canvas's size is the canvas's picture, pixel for pixel: the
  // screen and every output share one painting routine.
  void listPaintsTheCanvasPicture_data() {
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("commands");
    QTest::newRow("start axes") << ""
                                << "";
    QTest::newRow("quick study") << "x^3-3*x"
                                 << "mGrafico mStudio";
    QTest::newRow("derivative, domain") << "ln(x)"
                                        << "mGrafico mDerivata mDominio";
    QTest::newRow("tangents") << "sin(x)*exp(-x^2/10)"
                              << "m7 mStudio mTangente";
    QTest::newRow("poles, moved") << "tan(x)"
                                  << "mGrafico mSinistra mBasso mStudio";
    QTest::newRow("Salva tutto") << "1/x"
                                 << "mSalvaT";
    QTest::newRow("zoomed, erased twice") << "x^2-1"
                                          << "mZoompiu mGrafico mZeri m3 mMinimi";
  }
  void listPaintsTheCanvasPicture() {
    QFETCH(QString, formula);
    QFETCH(QString, commands);
    Tervano w(*context);
    w.funzione()->setText(formula);
    for (const QString& c : commands.split(' ', Qt::SkipEmptyParts)) w.action(c)->trigger();
    const QImage canvas = w.canvas()->sink().logicalImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(RenderOperations(w.canvas()->operations(), 1), canvas);
  }

  // The integral window's diagram keeps its list too.
  void diagramKeepsItsList() {
    Tervano w(*context);
    w.funzione()->setText("x^2-1");
    IntegraleWindow* i = w.openIntegrale();
    i->setInferiore("-2");
    i->setSuperiore("2");
    i->clickUguale();
    const OperationList& list = i->diagramma()->operations();
    QVERIFY(list.ops().size() > 50);
    QCOMPARE(RenderOperations(list, 1),
             i->diagramma()->sink().logicalImage().convertToFormat(QImage::Format_RGB32));
  }

  // A BMP of the list at its own size is the bitmap "Salva grafico" writes, byte for byte.
  void bmpAtScaleOneIsTheSavedBitmap() {
    Tervano w(*context);
    w.funzione()->setText("x^3-3*x");
    w.mSalvaT();
    QVERIFY(messages.isEmpty());
    QString reason;
    QVERIFY2(
        ExportDrawing(w.canvas()->operations(), data("export.bmp"), PictureFormat::Bmp, 1, &reason),
        qPrintable(reason));
    QCOMPARE(ReadAll(data("export.bmp")), ReadAll(data("Grafico.bmp")));
  }

  // "Esporta grafico...": a dialog in the pictures folder with "Grafico.png", the kinds
  // offered in order; the file written by the kind of its ending.
  void exportWritesEachKind_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG") << "studio.png";
    QTest::newRow("SVG") << "studio.svg";
    QTest::newRow("PDF") << "studio.PDF";
  }
  void exportWritesEachKind() {
    QFETCH(QString, name);
    Tervano w(*context);
    study(w);
    const QImage canvas = w.canvas()->sink().logicalImage();
    dialog.answer = data("out/" + name);
    w.action("mEsporta")->trigger();

    QCOMPARE(dialog.asked, 1);
    QCOMPARE(dialog.title, QStringLiteral("Esporta grafico"));
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) pictures = QDir::homePath();
    QCOMPARE(dialog.start, QDir(pictures).filePath("Grafico.png"));
    QCOMPARE(dialog.filters.size(), 3);
    const char* kinds[] = {"*.png", "*.svg", "*.pdf"};
    for (int k = 0; k < 3; ++k) QVERIFY(dialog.filters[k].contains(kinds[k]));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(tracedFiles(), QStringList{QDir::toNativeSeparators(dialog.answer) + "=true"});
    QCOMPARE(QDir(data("out")).entryList(QDir::Files), QStringList{name});
    const QString path = dialog.answer;

    if (name.endsWith(".png")) {
      // Three times the window's size, the same picture.
      QImageReader reader(path);
      QCOMPARE(reader.format(), QByteArray("png"));
      const QImage png = reader.read();
      QCOMPARE(png.size(), QSize(1896, 1302));
      const BlockDistance d = CompareBlocks(Reduced(png), canvas);
      QVERIFY2(Alike(d), qPrintable(Describe(d)));
    } else if (name.endsWith(".svg")) {
      // Valid SVG at the window's size, with the listings as text elements.
      QSvgRenderer svg(path);
      QVERIFY(svg.isValid());
      QCOMPARE(svg.viewBoxF(), QRectF(0, 0, 632, 434));
      QStringList texts;
      static const QRegularExpression element(QStringLiteral("<text[^>]*>([^<]*)</text>"));
      for (const auto& m : element.globalMatch(QString::fromUtf8(ReadAll(path)))) {
        texts << m.captured(1);
      }
      for (const char* listed : {"Minimi", "Massimi", "Flessi", "Zeri", "f(x)=-2", "x= 1.732"}) {
        QVERIFY2(texts.join('|').contains(listed), qPrintable(texts.join('|')));
      }
      QImage drawn(1896, 1302, QImage::Format_RGB32);
      drawn.fill(Qt::white);
      QPainter p(&drawn);
      svg.render(&p);
      p.end();
      const BlockDistance d = CompareBlocks(Reduced(drawn), canvas);
      QVERIFY2(Alike(d), qPrintable(Describe(d)));
    } else {
      // One page the drawing's size (in whole points); the listings are text, and no picture
      // is embedded.
      QVERIFY(ReadAll(path).startsWith("%PDF-"));
      const QString info = Tool("pdfinfo", {path});
      QVERIFY2(info.contains(QRegularExpression("Page size: +474 x 326 pts")), qPrintable(info));
      const QString text = Tool("pdftotext", {"-layout", path, "-"});
      for (const char* listed : {"Minimi", "Massimi", "Flessi", "Zeri", "x=-1.733"}) {
        QVERIFY2(text.contains(listed), qPrintable(text));
      }
      const QString images = Tool("pdfimages", {"-list", path});
      QCOMPARE(images.trimmed().split('\n').size(), 2);  // the heading only
    }
  }

  // A name typed without an ending takes the chosen kind's; cancelling writes nothing.
  void exportEndingAndCancel() {
    Tervano w(*context);
    study(w, "sin(x)");
    dialog.answer = data("senza");
    dialog.answerFilter = "Disegno SVG (*.svg)";
    w.mEsporta();
    QVERIFY(QSvgRenderer(data("senza.svg")).isValid());
    QVERIFY(!QFile::exists(data("senza")));

    dialog.answer.clear();
    w.mEsporta();
    QCOMPARE(dialog.asked, 2);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"senza.svg"});
    QVERIFY(messages.isEmpty());
    QCOMPARE(tracedFiles().size(), 1);
  }

  // An export that fails leaves the older file byte for byte and says why.
  void exportFailureKeepsOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Failure>("failure");
    for (const char* name : {"g.png", "g.svg", "g.pdf"}) {
      QTest::addRow("%s: folder is a file", name) << name << Failure::FolderIsAFile;
      QTest::addRow("%s: target is a folder", name) << name << Failure::TargetIsAFolder;
      QTest::addRow("%s: disk full", name) << name << Failure::DiskFull;
      QTest::addRow("%s: read-only folder", name) << name << Failure::ReadOnlyFolder;
    }
  }
  void exportFailureKeepsOldFile() {
    QFETCH(QString, name);
    QFETCH(Failure, failure);
    if (failure == Failure::ReadOnlyFolder && geteuid() == 0) QSKIP("root writes anyway");
    const QByteArray old(2000, 'o');
    QVERIFY(WriteAll(data(name), old));
    dialog.answer = data(name);
    if (failure == Failure::FolderIsAFile) {
      QVERIFY(WriteAll(data("file"), "x"));
      dialog.answer = data("file/" + name);
    } else if (failure == Failure::TargetIsAFolder) {
      QVERIFY(QFile::remove(data(name)) && QDir(dir->path()).mkdir(name));
    } else if (failure == Failure::ReadOnlyFolder) {
      QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    {
      Tervano w(*context);
      study(w);
      std::unique_ptr<FileSizeLimit> full;
      if (failure == Failure::DiskFull) full = std::make_unique<FileSizeLimit>(old.size());
      w.mEsporta();
    }
    QCOMPARE(messages.size(), 1);
    const QString text = "Impossibile esportare il grafico\n";
    QVERIFY2(messages[0].startsWith(text) && messages[0].size() > text.size() + 10,
             qPrintable(messages[0]));
    if (failure != Failure::TargetIsAFolder) QCOMPARE(ReadAll(data(name)), old);
    QCOMPARE(tracedFiles(), QStringList{QDir::toNativeSeparators(dialog.answer) + "=false"});
    QCOMPARE(QDir(dir->path()).entryList({name + "?*"}, QDir::AllEntries), QStringList());
  }

  // A print into a PDF that cannot be written leaves the older file whole and says why.
  void printFailureKeepsOldFile_data() {
    QTest::addColumn<Failure>("failure");
    QTest::newRow("target is a folder") << Failure::TargetIsAFolder;
    QTest::newRow("disk full") << Failure::DiskFull;
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder;
  }
  void printFailureKeepsOldFile() {
    QFETCH(Failure, failure);
    if (failure == Failure::ReadOnlyFolder && geteuid() == 0) QSKIP("root writes anyway");
    const QByteArray old(3000, 'p');
    QVERIFY(WriteAll(data("page.pdf"), old));
    context->setPrintToPdf(data("page.pdf"));
    if (failure == Failure::TargetIsAFolder) {
      QVERIFY(QFile::remove(data("page.pdf")) && QDir(dir->path()).mkdir("page.pdf"));
    } else if (failure == Failure::ReadOnlyFolder) {
      QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    {
      Tervano w(*context);
      w.funzione()->setText("x^3-3*x");
      std::unique_ptr<FileSizeLimit> full;
      if (failure == Failure::DiskFull) full = std::make_unique<FileSizeLimit>(old.size());
      w.mStampaT();
      QCOMPARE(w.funzione()->text(), QStringLiteral("x^3-3*x"));
    }
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Impossibile stampare\n"), qPrintable(messages[0]));
    if (failure != Failure::TargetIsAFolder) QCOMPARE(ReadAll(data("page.pdf")), old);
    QCOMPARE(QDir(dir->path()).entryList({"page.pdf?*"}, QDir::AllEntries), QStringList());
  }

  // "Stampa tutto" into a PDF: the page is the window's picture as it was printed before (the
  // drawing, the axis names "x" and "f(x)", the caption, the emptied prompt), now drawn as
  // vectors: the listings are text and no picture is embedded.
  void printedPageIsTheWindowPicture() {
    context->setPrintToPdf(data("page.pdf"));
    Tervano w(*context);
    w.funzione()->setText("x^3-3*x");
    w.mStampaT();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));

    const QString text = Tool("pdftotext", {"-layout", data("page.pdf"), "-"});
    for (const char* listed : {"Minimi", "Zeri", " f(x)=x^3-3*x", "x=-1.733"}) {
      QVERIFY2(text.contains(listed), qPrintable(text));
    }
    QCOMPARE(Tool("pdfimages", {"-list", data("page.pdf")}).trimmed().split('\n').size(), 2);

    // The picture the window printed before: the canvas with the prompt emptied and the text
    // box hidden.
    w.label1()->setText(QString());
    w.funzione()->hide();
    const QImage before = w.canvas()->grab().toImage();
    w.funzione()->show();
    w.label1()->setText("f(x)=");

    // Where the drawing lies on the page: fitted to the printable area and centred.
    QBuffer probe;
    probe.open(QIODevice::WriteOnly);
    const QPageLayout layout = QPdfWriter(&probe).pageLayout();
    const QRectF area = layout.paintRect(QPageLayout::Point);
    QRectF drawing(QPointF(), QSizeF(632, 434).scaled(area.size(), Qt::KeepAspectRatio));
    drawing.moveCenter(area.center());
    constexpr int kDpi = 300;
    const QString page = Tool("pdftoppm", {"-r", QString::number(kDpi), "-png", "-singlefile",
                                           data("page.pdf"), data("page")});
    QVERIFY2(!page.startsWith('<'), qPrintable(page));
    const QImage rendered(data("page.png"));
    QVERIFY(!rendered.isNull());
    const double px = kDpi / 72.0;
    const QRect onPage(QPoint(qRound(drawing.left() * px), qRound(drawing.top() * px)),
                       QPoint(qRound(drawing.right() * px) - 1, qRound(drawing.bottom() * px) - 1));
    const QImage printed = Reduced(rendered.copy(onPage));

    const BlockDistance d = CompareBlocks(printed, before);
    QVERIFY2(Alike(d), qPrintable(Describe(d)));
    // The tolerance sees a picture moved by three pixels.
    const QImage moved = before.copy(before.rect().translated(3, 0));
    const BlockDistance m = CompareBlocks(printed, moved);
    QVERIFY2(!Alike(m), qPrintable(Describe(m)));
  }

  // "Copia grafico" (Ctrl+Shift+C, also from Funzione): the drawing at twice the window's size.
  void copyGraphToTheClipboard() {
    Tervano w(*context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    study(w);
    QGuiApplication::clipboard()->clear();
    w.funzione()->setFocus();
    QTest::keyClick(w.funzione(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(1264, 868));
    const BlockDistance d = CompareBlocks(Reduced(copied), w.canvas()->sink().logicalImage());
    QVERIFY2(Alike(d), qPrintable(Describe(d)));
    QCOMPARE(w.funzione()->text(), QStringLiteral("x^3-3*x"));
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
