// The main window at other sizes than the drawing's own: the drawing painted from its list at
// the window's scale, the controls, the pointer and the drag through the same scale, and the
// size remembered between runs. Real widgets, synthetic events, a settings folder of the test's
// own (CURVALIS_CONFIG_DIR).
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <sstream>

#include "analysis/analyses.h"
#include "core/trace.h"
#include "io/drawing_painter.h"
#include "support/window_fixture.h"
#include "ui/main/tervano.h"
#include "ui/main/window_settings.h"

using namespace curvalis;

namespace {

// Pixels that stand out from the background: ink of a line, a point or a text.
bool Ink(QRgb pixel, QRgb background) {
  return std::abs(qRed(pixel) - qRed(background)) > 64 ||
         std::abs(qGreen(pixel) - qGreen(background)) > 64 ||
         std::abs(qBlue(pixel) - qBlue(background)) > 64;
}

// The share of the ink pixels of `a` that have ink of `b` within one pixel.
double InkCovered(const QImage& a, const QImage& b, QRgb background) {
  long ink = 0, covered = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (!Ink(a.pixel(x, y), background)) continue;
      ++ink;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx) {
          const int bx = x + dx, by = y + dy;
          near = b.valid(bx, by) && Ink(b.pixel(bx, by), background);
        }
      }
      covered += near;
    }
  }
  return ink == 0 ? 0 : double(covered) / double(ink);
}

QString SettingsFile() {
  return QDir(qEnvironmentVariable("CURVALIS_CONFIG_DIR")).filePath("Curvalis.conf");
}

}  // namespace

class WindowSizeTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
  QTemporaryDir m_config;
  std::unique_ptr<Tervano> m_main;

  SurfaceView* canvas() { return m_main->canvas(); }
  const ViewState& view() { return m_main->commands().view(); }

  // A shown main window with x^3-3*x studied ("Studio rapido"), its drawing `scale` times its
  // own size (the window `extra` larger besides).
  void open(qreal scale, QSize extra = QSize(0, 0)) {
    m_main = std::make_unique<Tervano>(*context);
    m_main->funzione()->setText("x^3-3*x");
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    const QSize want = QSize(632, 434) * scale + extra;
    m_main->resize(m_main->size() + want - canvas()->size());
    QTRY_COMPARE(canvas()->size(), want);
    m_main->commands().Run(Cmd::mGrafico);
    m_main->commands().mStudio();
  }

  // What the canvas paints, without the controls over it.
  QImage painted() {
    QImage out(canvas()->size(), QImage::Format_RGB32);
    canvas()->render(&out, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return out;
  }

  QString tooltipAt(QPoint widgetPos) {
    QToolTip::hideText();
    QTest::mouseMove(canvas(), widgetPos);
    if (!QTest::qWaitFor([] { return QToolTip::isVisible(); }, 1000)) return QString();
    return QToolTip::text();
  }

 private slots:
  void initTestCase() {
    // Never the user's own settings, even when the test runs outside CTest.
    if (qEnvironmentVariableIsEmpty("CURVALIS_CONFIG_DIR")) {
      QVERIFY(m_config.isValid());
      qputenv("CURVALIS_CONFIG_DIR", QFile::encodeName(m_config.path()));
    }
    QVERIFY(QDir().mkpath(qEnvironmentVariable("CURVALIS_CONFIG_DIR")));
  }

  void init() {
    QFile::remove(SettingsFile());
    QVERIFY(setUp());
  }
  void cleanup() {
    m_main.reset();
    tearDown();
    QToolTip::hideText();
    QFile::remove(SettingsFile());
  }

  // Faults caught: a resampled bitmap (blurred or blocky lines), a drawing off its place or at
  // the wrong scale, a list painted differently from the export; at its own size, anything but
  // the persistent picture it always painted.
  void paintedEqualsTheExport_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
  }
  void paintedEqualsTheExport() {
    QFETCH(qreal, scale);
    open(scale);
    QCOMPARE(canvas()->drawingScale(), scale);
    QCOMPARE(canvas()->drawingRect(), QRectF(0, 0, 632 * scale, 434 * scale));
    const QImage shown = painted();
    const OperationList& list = canvas()->operations();
    if (scale == 1) QCOMPARE(shown, canvas()->sink().image().convertToFormat(QImage::Format_RGB32));
    if (scale == std::floor(scale)) {
      QCOMPARE(shown, RenderOperations(list, int(scale)));
      return;
    }
    // Not a whole scale: against the export at twice the scale, halved; every ink pixel of
    // either has ink of the other within one pixel.
    const QImage reference =
        RenderOperations(list, int(2 * scale))
            .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    const Rgb b = list.background();
    const QRgb back = qRgb(b.r, b.g, b.b);
    QVERIFY2(InkCovered(shown, reference, back) > 0.99, "painted ink missing from the export");
    QVERIFY2(InkCovered(reference, shown, back) > 0.97, "export ink missing from the picture");
  }

  // A window of other proportions: the drawing as large as fits, centred, the margin in the
  // drawing's background colour.
  void wideWindowCentresTheDrawing() {
    open(1.5, QSize(300, 0));
    QCOMPARE(canvas()->drawingScale(), 1.5);
    QCOMPARE(canvas()->drawingRect(), QRectF(150, 0, 948, 651));
    const QImage shown = painted();
    const Rgb b = canvas()->operations().background();
    for (QPoint at : {QPoint(0, 0), QPoint(149, 300), QPoint(1099, 650), QPoint(1247, 10)}) {
      QCOMPARE(QColor(shown.pixel(at)), QColor(b.r, b.g, b.b));
    }
    QCOMPARE(shown.copy(150, 0, 948, 651), canvas()->shownDrawing());
    // No readout over the margin.
    QVERIFY(tooltipAt(QPoint(40, 300)).isEmpty());
  }

  // The controls over the drawing keep their places on it and grow with it, font too.
  void controlsScaleWithTheDrawing() {
    open(2);
    QCOMPARE(m_main->funzione()->geometry(), QRect(96, 784, 242, 34));
    QCOMPARE(m_main->label1()->pos(), QPoint(48, 784));
    QCOMPARE(m_main->label2()->pos(), QPoint(1232, 400));
    QCOMPARE(m_main->label3()->pos(), QPoint(640, 0));
    QCOMPARE(m_main->funzione()->font().pixelSize(), 22);
    for (QLabel* l : {m_main->label1(), m_main->label2(), m_main->label3()}) {
      QCOMPARE(l->font().pixelSize(), 22);
      QVERIFY(l->fontMetrics().horizontalAdvance(l->text()) <= l->width());  // never cut
    }
    // The printed page places them as at the drawing's own size.
    QCOMPARE(m_main->logicalGeometry(m_main->funzione()), QRect(48, 392, 121, 17));
    QCOMPARE(m_main->controlsFont().pixelSize(), 11);
    // Back to the drawing's own size: back to their own places.
    m_main->resize(m_main->minimumSize());
    QTRY_COMPARE(canvas()->size(), QSize(632, 434));
    QCOMPARE(m_main->funzione()->geometry(), QRect(48, 392, 121, 17));
    QCOMPARE(m_main->funzione()->font().pixelSize(), 11);
  }

  // The same logical pixel reads the same x and f(x) at every size. Fault caught: widget
  // pixels taken for logical ones.
  void readoutIsTheSameAtEverySize() {
    const QPoint logical[] = {{316, 217}, {400, 100}, {100, 300}, {630, 2}};
    QStringList at1;
    for (qreal scale : {1.0, 1.5, 2.0}) {
      open(scale);
      QStringList texts;
      for (QPoint at : logical) texts << tooltipAt((QPointF(at) * scale).toPoint());
      if (scale == 1.0) {
        at1 = texts;
        QCOMPARE(at1.first(), QStringLiteral("x = 0   f(x) = 0"));
      } else {
        QCOMPARE(texts, at1);
      }
      // The batch mode's pointer keeps its logical pixels too.
      QCOMPARE(m_main->coordinateAt(QPointF(400, 100)), at1[1]);
      m_main.reset();
    }
  }

  // A drag of the same logical distance moves the view by the same world distance at 1x and
  // 2x, the picture following the pointer by logical pixels during the drag.
  void dragMovesByLogicalPixels() {
    QList<double> offsets;
    for (qreal scale : {1.0, 2.0}) {
      open(scale);
      const QPoint from = (QPointF(300, 200) * scale).toPoint();
      const QPoint to = (QPointF(250, 230) * scale).toPoint();
      QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
      for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(canvas(), from + (to - from) * step / 4);
      }
      QCOMPARE(canvas()->pictureShift(), QPointF(-50, 30));
      QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
      QCOMPARE(canvas()->pictureShift(), QPointF());
      offsets << view().OffsetX << view().OffsetY;
      m_main.reset();
    }
    QVERIFY(qAbs(offsets[0] - 50 * 6.4 / 632) < 1e-12);
    QCOMPARE(offsets[2], offsets[0]);
    QCOMPARE(offsets[3], offsets[1]);
    QVERIFY(messages.isEmpty());
  }

  // The wheel zooms the same way over an enlarged drawing.
  void wheelZoomsAtEverySize() {
    open(2);
    const double before = view().ScaleUnit;
    QWheelEvent wheel(QPointF(600, 400), canvas()->mapToGlobal(QPointF(600, 400)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas(), &wheel);
    QCOMPARE(view().ScaleUnit, before / 2);
  }

  // The window can grow, never below the drawing's own size.
  void neverSmallerThanTheDrawing() {
    open(1);
    const QSize own = m_main->size();
    QCOMPARE(m_main->minimumSize(), own);
    QVERIFY(m_main->maximumSize().width() > 4000);
    m_main->resize(300, 200);
    QTRY_COMPARE(m_main->size(), own);
    QCOMPARE(canvas()->size(), QSize(632, 434));
  }

  // What the settings file holds, and the size the window opens with. Faults caught: a damaged
  // file taken at its word, a window opened smaller than the drawing or absurdly large, a
  // maximised state lost.
  void rememberedSize_data() {
    QTest::addColumn<QByteArray>("file");  // empty: no file
    QTest::addColumn<QSize>("size");       // invalid: the drawing's own size
    QTest::addColumn<bool>("maximized");
    QTest::newRow("no file") << QByteArray() << QSize() << false;
    QTest::newRow("remembered") << QByteArray(
                                       "[MainWindow]\nsize=@Size(760 540)\nmaximized=false\n")
                                << QSize(760, 540) << false;
    QTest::newRow("maximised") << QByteArray("[MainWindow]\nsize=@Size(700 500)\nmaximized=true\n")
                               << QSize(700, 500) << true;
    QTest::newRow("maximised unreadable")
        << QByteArray("[MainWindow]\nsize=@Size(700 500)\nmaximized=forse\n") << QSize(700, 500)
        << false;
    QTest::newRow("too small") << QByteArray("[MainWindow]\nsize=@Size(300 200)\n") << QSize()
                               << false;
    QTest::newRow("absurd") << QByteArray("[MainWindow]\nsize=@Size(99999 99999)\n") << QSize()
                            << false;
    QTest::newRow("not a size") << QByteArray("[MainWindow]\nsize=grande\nmaximized=true\n")
                                << QSize() << false;
    static constexpr char kGarbage[] = "\x00\xff\x13[[[=\n\x01@Size(\x80";
    QTest::newRow("garbage") << QByteArray(kGarbage, sizeof kGarbage - 1) << QSize() << false;
  }
  void rememberedSize() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QFETCH(bool, maximized);
    if (!file.isEmpty()) {
      QFile f(SettingsFile());
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(file);
    }
    Tervano w(*context);
    const QSize own = w.size();
    w.restoreWindowState();
    QCOMPARE(w.size(), size.isValid() ? size : own);
    QCOMPARE(bool(w.windowState() & Qt::WindowMaximized), maximized);
  }

  // Closing writes the size and state; the next window opens with them.
  void sizeKeptBetweenRuns() {
    open(1, QSize(100, 60));
    const QSize grown = m_main->size();
    m_main->close();
    m_main.reset();
    QVERIFY(QFile::exists(SettingsFile()));
    Tervano next(*context);
    next.restoreWindowState();
    QCOMPARE(next.size(), grown);
    QVERIFY(!next.isMaximized());
    // Maximised, the normal size is kept with the state.
    next.show();
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    next.showMaximized();
    QTRY_VERIFY(next.isMaximized());
    next.close();
    Tervano third(*context);
    third.restoreWindowState();
    QVERIFY(third.windowState() & Qt::WindowMaximized);
    QCOMPARE(third.size(), grown);
  }

  // A window told not to save (the start-up measurement) closes without touching the settings.
  void sizeNotSavedWhenTold() {
    open(1, QSize(100, 60));
    m_main->setSavesWindowState(false);
    m_main->close();
    m_main.reset();
    QVERIFY(!QFile::exists(SettingsFile()));
  }
};

QTEST_MAIN(WindowSizeTest)
#include "window_size_test.moc"
