// The archive window: the entries it lists from the archive, its layout, "Seleziona".
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStringDecoder>
#include <QtTest>

#include "core/archive_format.h"
#include "support/files.h"
#include "support/recorder.h"
#include "support/window_fixture.h"
#include "ui/archive/archivio_window.h"
#include "ui/common/document_view.h"
#include "ui/main/tervano.h"

using namespace curvalis;
using curvalis::testing::ReadAll;
using curvalis::testing::WriteAll;

class ArchiveWindowTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
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

 private slots:
  void init() { QVERIFY(setUp()); }
  void cleanup() { tearDown(); }

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
};

QTEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"
