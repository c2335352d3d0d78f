// The mouse and the keyboard as a hand tries them first: the coordinates under the pointer, the
// drag of the drawing, Enter in the value and integral windows, a double click in the archive,
// and where the value window opens. Real widgets, synthetic events.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <QtTest>
#include <sstream>

#include "core/trace.h"
#include "support/window_fixture.h"
#include "ui/archive/archivio_window.h"
#include "ui/common/layout.h"
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

using namespace curvalis;

class MouseKeyboardTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
  std::unique_ptr<Tervano> m_main;

  SurfaceView* canvas() { return m_main->canvas(); }
  const ViewState& view() { return m_main->commands().view(); }
  int commandsTraced() { return int(QString::fromStdString(traceText.str()).count("\"command\"")); }

  // The left button pressed at `from`, moved to `to` in steps, not released.
  void pressAndMove(QPoint from, QPoint to) {
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step) {
      QTest::mouseMove(canvas(), from + (to - from) * step / 4);
    }
  }

 private slots:
  void init() {
    QVERIFY(setUp());
    m_main = std::make_unique<Tervano>(*context);
    m_main->funzione()->setText("x^2");
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->activateWindow();
    m_main->funzione()->setFocus();
  }
  void cleanup() {
    m_main.reset();
    tearDown();
    QToolTip::hideText();
  }

  void pointerShowsTheCoordinates() {
    QTest::mouseMove(canvas(), QPoint(316, 217));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("x = 0   f(x) = 0"));
    QTest::mouseMove(canvas(), QPoint(400, 100));
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("x = 0.85   f(x) = 0.7225"));
    // The locale's decimal separator; where f has no value, it says so.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_main->funzione()->setText("sqrt(x)");
    QTest::mouseMove(canvas(), QPoint(0, 1));
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("x = -3,2   f(x) non definita"));
    QTest::mouseMove(canvas(), QPoint(400, 0));
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("x = 0,85   f(x) = 0,921954"));
    // It changes nothing: no command, no message, the same view.
    QCOMPARE(commandsTraced(), 0);
    QVERIFY(messages.isEmpty());
    QCOMPARE(view().PresetView, 1.0);
  }

  void noTooltipWhileFunzioneIsEmptyOrRejected() {
    for (const char* formula : {"", "x+", "sin(x"}) {
      m_main->funzione()->setText(formula);
      QTest::mouseMove(canvas(), QPoint(100, 100 + int(std::strlen(formula))));
      QTRY_VERIFY(!QToolTip::isVisible());
    }
    QVERIFY(messages.isEmpty());
    QCOMPARE(commandsTraced(), 0);
  }

  // Press, move, release: the picture follows the pointer, nothing is evaluated until the
  // release, then the view moves with the drag and the translation's redraw runs.
  void dragMovesTheView() {
    const QImage before = canvas()->sink().logicalImage();
    pressAndMove(QPoint(300, 200), QPoint(250, 230));
    QCOMPARE(canvas()->pictureShift(), QPointF(-50, 30));
    QCOMPARE(view().OffsetX, 0.0);
    QCOMPARE(commandsTraced(), 0);
    QVERIFY(canvas()->sink().logicalImage() == before);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(250, 230));
    QCOMPARE(canvas()->pictureShift(), QPointF());
    QVERIFY(qAbs(view().OffsetX - 50 * 6.4 / 632) < 1e-12);
    QVERIFY(qAbs(view().OffsetY - 30 * 4.8 / 434) < 1e-12);
    QCOMPARE(view().PresetView, 0.0);
    QCOMPARE(commandsTraced(), 1 + 8);  // Tervano.Trascina, the graph and the seven analyses
    QVERIFY(QString::fromStdString(traceText.str()).contains("\"name\":\"Tervano.Trascina\""));
    QVERIFY(messages.isEmpty());
    // The drag went to the right and down: the view's centre (its axes) too.
    QVERIFY(canvas()->sink().logicalImage() != before);
  }

  void clickWithoutDragChangesNothing() {
    const QImage before = canvas()->sink().logicalImage();
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(300, 200));
    // Moved less than the platform's drag distance, and back: no drag either.
    const int small = QApplication::startDragDistance() - 1;
    pressAndMove(QPoint(300, 200), QPoint(300 + small, 200));
    QCOMPARE(canvas()->pictureShift(), QPointF());
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(300 + small, 200));
    // A right-button drag is none either.
    QTest::mousePress(canvas(), Qt::RightButton, {}, QPoint(300, 200));
    QTest::mouseRelease(canvas(), Qt::RightButton, {}, QPoint(200, 200));
    QCOMPARE(view().OffsetX, 0.0);
    QCOMPARE(view().PresetView, 1.0);
    QCOMPARE(commandsTraced(), 0);
    QVERIFY(canvas()->sink().logicalImage() == before);
  }

  // Escape during a drag puts the picture back; the release after it does nothing. The key
  // reaches the drawing while the focus stays in Funzione.
  void escapeCancelsTheDrag() {
    pressAndMove(QPoint(300, 200), QPoint(200, 150));
    QCOMPARE(canvas()->pictureShift(), QPointF(-100, -50));
    QTest::keyClick(m_main->windowHandle(), Qt::Key_Escape);
    QCOMPARE(canvas()->pictureShift(), QPointF());
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(200, 150));
    QCOMPARE(view().OffsetX, 0.0);
    QCOMPARE(view().OffsetY, 0.0);
    QCOMPARE(view().PresetView, 1.0);
    QCOMPARE(commandsTraced(), 0);
    QCOMPARE(m_main->funzione()->text(), QStringLiteral("x^2"));
    // The keyboard is back with Funzione.
    QTest::keyClick(m_main->windowHandle(), Qt::Key_3);
    QCOMPARE(m_main->funzione()->text(), QStringLiteral("x^23"));
    // The next drag works.
    pressAndMove(QPoint(300, 200), QPoint(200, 200));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(200, 200));
    QVERIFY(view().OffsetX > 0);
  }

  void enterInTheValueWindowComputes_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
  }
  void enterInTheValueWindowComputes() {
    QFETCH(int, key);
    m_main->mValore();
    ValoreWindow* v = m_main->openValore();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    v->valoreX()->setText("3");
    QTest::keyClick(v->valoreX(), Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(v->valoreY()->text(), QStringLiteral("9"));
    m_main->funzione()->setText("x^3");
    QTest::keyClick(v->valoreY(), Qt::Key(key));
    QCOMPARE(v->valoreY()->text(), QStringLiteral("27"));
    QVERIFY(messages.isEmpty());
  }

  void enterInTheIntegralWindowComputes() {
    m_main->mIntegrale();
    IntegraleWindow* w = m_main->openIntegrale();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->setSuperiore("1");
    QTest::keyClick(w->superiore(), Qt::Key_Return);
    QCOMPARE(w->area()->text(), QStringLiteral("0.333"));
    w->setInferiore("3");
    QTest::keyClick(w->inferiore(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(w->area()->text(), QStringLiteral("-8.667"));
    // Segmenti is an editable list: what is typed is the count, not an entry it starts.
    w->setInferiore("0");
    w->setSuperiore("3");
    w->segmenti()->setFocus();
    w->segmenti()->lineEdit()->selectAll();
    QTest::keyClicks(w->segmenti(), "5");
    m_main->funzione()->setText("x^4");
    QTest::keyClick(w->segmenti(), Qt::Key_Return);
    QCOMPARE(w->segmenti()->currentText(), QStringLiteral("5"));
    QCOMPARE(w->segmenti()->count(), 6);                    // nothing added to the list
    QCOMPARE(w->area()->text(), QStringLiteral("48.603"));  // Simpson's 5 segments; 50 give 48.6
    QVERIFY(messages.isEmpty());
  }

  void doubleClickInTheArchiveSelects() {
    m_main->mApri();
    QPointer<ArchivioWindow> a = m_main->openArchivio();
    QVERIFY(QTest::qWaitForWindowExposed(a));
    QListWidgetItem* item = a->list1()->item(2);
    QCOMPARE(item->text(), QStringLiteral("x^3"));
    const QPoint at = a->list1()->visualItemRect(item).center();
    // What a double click delivers: press, release, double click, release.
    QWidget* viewport = a->list1()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QCOMPARE(m_main->funzione()->text(), QStringLiteral("x^2"));  // one click only selects
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);  // the window is deleted later
    QCOMPARE(m_main->funzione()->text(), QStringLiteral("x^3"));
    QVERIFY(!a || a->unloaded());
    // The start axes, as "Seleziona" draws them.
    QVERIFY(
        QString::fromStdString(traceText.str()).contains("\"op\":\"clear\",\"surface\":\"main\""));
  }

  // The value window opens beside the main window, never over it.
  void valueWindowOpensBesideTheMainWindow() {
    m_main->mValore();
    ValoreWindow* v = m_main->openValore();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    const QRect area = m_main->screen()->availableGeometry();
    QVERIFY(!v->frameGeometry().intersects(m_main->frameGeometry()));
    QVERIFY(area.contains(v->frameGeometry()));
  }

  void besidePosition_data() {
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QPoint>("expected");
    // A window 300 x 80 beside a main window, on a screen of 1280 x 1024.
    QTest::newRow("right") << QRect(100, 100, 640, 480) << QPoint(740, 100);
    QTest::newRow("left") << QRect(600, 100, 640, 480) << QPoint(300, 100);
    QTest::newRow("below") << QRect(290, 100, 700, 480) << QPoint(290, 580);
    QTest::newRow("above") << QRect(290, 900, 700, 120) << QPoint(290, 820);
    QTest::newRow("top kept on the screen") << QRect(100, 980, 640, 40) << QPoint(740, 944);
    QTest::newRow("no room: the side with more") << QRect(290, 0, 700, 1024) << QPoint(980, 0);
  }
  void besidePosition() {
    QFETCH(QRect, main);
    QFETCH(QPoint, expected);
    QCOMPARE(BesidePosition(main, QSize(300, 80), QRect(0, 0, 1280, 1024)), expected);
  }
};

QTEST_MAIN(MouseKeyboardTest)
#include "mouse_keyboard_test.moc"
