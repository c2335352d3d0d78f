// Where a print command's pages go: the PDF file set for printing, the default printer, or,
// in the window without a printer, the offer of a PDF file. The batch mode never asks.
#include <QtTest>

#include "ui/common/app_context.h"

using namespace curvalis;

Q_DECLARE_METATYPE(PrintRoute)

class AppContextTest : public QObject {
  Q_OBJECT

 private slots:
  void printRoute_data() {
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("pdfFile");
    QTest::addColumn<bool>("printer");
    QTest::addColumn<PrintRoute>("route");
    // A printer: the window prints at once, as the batch mode does.
    QTest::newRow("window, printer") << false << false << true << PrintRoute::DefaultPrinter;
    QTest::newRow("batch, printer") << true << false << true << PrintRoute::DefaultPrinter;
    // No printer: only the window asks; the batch mode tells the failure.
    QTest::newRow("window, no printer") << false << false << false << PrintRoute::OfferPdf;
    QTest::newRow("batch, no printer") << true << false << false << PrintRoute::DefaultPrinter;
    // The PDF file set for printing wins over any printer.
    QTest::newRow("batch, --print-to, printer") << true << true << true << PrintRoute::PdfFile;
    QTest::newRow("window, PDF file, no printer") << false << true << false << PrintRoute::PdfFile;
  }
  void printRoute() {
    QFETCH(bool, batch);
    QFETCH(bool, pdfFile);
    QFETCH(bool, printer);
    QFETCH(PrintRoute, route);
    QCOMPARE(ChoosePrintRoute(batch, pdfFile, printer), route);
    AppContext context;
    context.setBatch(batch);
    if (pdfFile) context.setPrintToPdf(QStringLiteral("/tmp/x.pdf"));
    context.setPrinterCheck([printer] { return printer; });
    QCOMPARE(PrintRouteOf(context), route);
  }

  // The batch mode answers a question No without showing anything.
  void batchNeverAsks() {
    AppContext context;
    context.setBatch(true);
    QVERIFY(!context.ask(nullptr, "?", ""));
  }
};

QTEST_MAIN(AppContextTest)
#include "app_context_test.moc"
