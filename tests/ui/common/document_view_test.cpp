// The document views of a window: a missing, a damaged and a readable file, and opening them.
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

class DocumentViewTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
  static QStringList listed(ArchivioWindow* a) {
    QStringList out;
    for (int i = 0; i < a->list1()->count(); ++i) out << a->list1()->item(i)->text();
    return out;
  }

 private slots:
  void init() { QVERIFY(setUp()); }
  void cleanup() { tearDown(); }

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
};

QTEST_MAIN(DocumentViewTest)
#include "document_view_test.moc"
