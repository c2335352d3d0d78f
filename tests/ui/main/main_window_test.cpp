// The main window: layout, menu tree, shortcuts and the canvas font.
#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <functional>

#include "support/window_fixture.h"
#include "ui/common/image_sink.h"
#include "ui/main/tervano.h"

using namespace curvalis;

class MainWindowTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private:
  // The captions of a menu, separators as "-", submenus as "caption>".
  static QStringList captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        out << "-";
      } else if (a->menu()) {
        out << a->text() + ">";
      } else {
        out << a->text();
      }
    }
    return out;
  }

 private slots:
  void init() { QVERIFY(setUp()); }
  void cleanup() { tearDown(); }

  void titleSizeAndControls() {
    Tervano w(*context);
    QCOMPARE(w.windowTitle(), QStringLiteral("Curvalis"));
    QCOMPARE(w.canvas()->size(), QSize(632, 434));
    QCOMPARE(w.funzione()->geometry(), QRect(48, 392, 121, 17));
    QCOMPARE(w.label1()->pos(), QPoint(24, 392));
    QCOMPARE(w.label2()->pos(), QPoint(616, 200));
    QCOMPARE(w.label3()->pos(), QPoint(320, 0));
    for (QLabel* l : {w.label1(), w.label2(), w.label3()}) {
      QCOMPARE(l->height(), 17);
      QVERIFY(l->fontMetrics().horizontalAdvance(l->text()) <= l->width());  // never cut
    }
    QVERIFY(w.label1()->geometry().right() <= w.funzione()->x());
    QCOMPARE(w.label1()->text(), QStringLiteral("f(x)="));
    QCOMPARE(w.label2()->text(), QStringLiteral("x"));
    QCOMPARE(w.label3()->text(), QStringLiteral("f(x)"));
    QVERIFY(w.funzione()->text().isEmpty());
    QCOMPARE(w.minimumSize(), w.size());  // resizable, never below the drawing's size
    QVERIFY(w.maximumSize().width() > w.size().width());
  }

  void menuTree() {
    Tervano w(*context);
    QList<QAction*> top = w.menuBar()->actions();
    QStringList topCaptions;
    for (QAction* a : top) topCaptions << a->text();
    QCOMPARE(topCaptions, (QStringList{"&File", "[&Xmin, Xmax]", "&Zoom", "&Traslazione",
                                       "&Calcola", "&Aiuto"}));
    QCOMPARE(captions(top[0]->menu()),
             (QStringList{"Apri funzione", "-", "Salva funzione", "Salva grafico", "Salva tutto",
                          "Esporta grafico...", "Copia grafico", "-", "Stampa grafico",
                          "Stampa tutto", "-", "Esci"}));
    QCOMPARE(captions(top[1]->menu()),
             (QStringList{"[-0.3,0.3]", "[-0.6,0.6]", "[-1.2,1.2]", "[-1.8,1.8]", "[-2.4,2.4]",
                          "[-3,3]", "[-6,6]", "[-12,12]", "[-18,18]", "[-24,24]", "[-30,30]"}));
    QCOMPARE(captions(top[2]->menu()), (QStringList{"0.5x", "2x"}));
    QCOMPARE(captions(top[3]->menu()),
             (QStringList{"A sinistra", "A destra", "Verso il basso", "Verso l'alto"}));
    QCOMPARE(captions(top[4]->menu()),
             (QStringList{"Grafico", "-", "Dominio", "Derivata", "-", "Zeri", "Minimi", "Massimi",
                          "Flessi", "-", "Asintoti>", "Tangente nei flessi", "-", "Studio rapido",
                          "Studio completo", "-", "Valore", "-", "Integrale"}));
    QMenu* asintoti = top[4]->menu()->findChild<QMenu*>("mAsintoti");
    QVERIFY(asintoti);
    QCOMPARE(captions(asintoti), (QStringList{"Obliqui\\Orizz.(+Infinito)",
                                              "Obliqui\\Orizz.(- Infinito)", "Verticali"}));
    QVERIFY(!top[5]->menu());  // "&Aiuto" has no submenu
  }

  void shortcuts_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("key");
    QTest::newRow("F1") << "mSinistra" << int(Qt::Key_F1);
    QTest::newRow("F2") << "mDestra" << int(Qt::Key_F2);
    QTest::newRow("F3") << "mBasso" << int(Qt::Key_F3);
    QTest::newRow("F4") << "mAlto" << int(Qt::Key_F4);
    QTest::newRow("F5") << "mZoommeno" << int(Qt::Key_F5);
    QTest::newRow("F6") << "mZoompiu" << int(Qt::Key_F6);
    QTest::newRow("F7") << "mScheda" << int(Qt::Key_F7);
    QTest::newRow("Ctrl+Shift+C") << "mCopia" << (Qt::CTRL | Qt::SHIFT | Qt::Key_C).toCombined();
  }

  void shortcuts() {
    QFETCH(QString, item);
    QFETCH(int, key);
    Tervano w(*context);
    QAction* a = w.action(item);
    QVERIFY(a);
    QCOMPARE(a->shortcut(), QKeySequence(key));
  }

  // The function keys work with the focus in Funzione, without opening a menu.
  void functionKeysFromFunzione() {
    Tervano w(*context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    w.funzione()->setFocus();
    w.funzione()->setText("x");
    QTest::keyClick(w.funzione(), Qt::Key_F1);
    QCOMPARE(w.commands().view().OffsetX, 3.0);
    QTest::keyClick(w.funzione(), Qt::Key_F6);
    QCOMPARE(w.commands().view().ScaleUnit, 0.5);
    QCOMPARE(w.funzione()->text(), QStringLiteral("x"));
  }

  void enterInFunzioneDrawsTheGraph() {
    Tervano w(*context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.funzione()->setFocus();
    QTest::keyClick(w.funzione(), Qt::Key_Return);  // empty formula: one message from "Grafico"
    QCOMPARE(messages, QStringList{"Errore nella formula!"});
  }

  // Every command of the registry runs: a menu item without its slot (or a handler) fails here,
  // and every menu command is a menu action of its name.
  void everyRegistryCommandRuns() {
    Tervano w(*context);
    for (const CommandInfo& c : kCommands) {
      const QString name = QString::fromUtf8(c.name.data(), qsizetype(c.name.size()));
      const bool pointer = c.id == Cmd::TervanoPunta || c.id == Cmd::TervanoTrascina;
      QVERIFY2(CanRunCommand(w, c.id) != pointer, qPrintable(name));
      QCOMPARE(w.action(name) != nullptr, c.menu != Menu::None);
    }
  }

  // The listings must fit: "f(x)=-3.142 " at column 113 ends inside the window, and a text line
  // is at most 13 pixels high.
  void canvasFontFitsTheListings() {
    QFont font = ImageSink::CanvasFont();
    QFontMetricsF fm(font);
    qreal column = fm.averageCharWidth();
    QVERIFY2(112 * column + fm.horizontalAdvance("f(x)=-3.142 ") <= 632,
             qPrintable(QString::number(column)));
    QVERIFY(fm.height() <= 13);
  }

  // A second erase to the same colour is skipped only while nothing has been painted since
  // the first: each row's picture must come out as if every erase had been made.
  void eraseIsSkippedOnlyWhenNothingChanged() {
    const Rgb grey = kLightGrey, white = kWhite, red = Palette(12);
    struct Row {
      const char* fault;
      std::function<void(ImageSink&)> steps;
      Rgb everywhere;  // the colour of every pixel afterwards; or
      bool lineLeft;   // the line's pixels left in red
    } rows[] = {
        {"a clear after a line left the line",
         [&](ImageSink& s) {
           s.OnBackground(grey);
           s.OnLine(0.1f, 0.5f, 0.9f, 0.5f, red, 1);
           s.OnClear();
         },
         grey, false},
        {"an erase to another colour was skipped",
         [&](ImageSink& s) {
           s.OnBackground(grey);
           s.OnBackground(white);
         },
         white, false},
        {"a line after the skipped erase was lost",
         [&](ImageSink& s) {
           s.OnBackground(grey);
           s.OnClear();
           s.OnLine(0.1f, 0.5f, 0.9f, 0.5f, red, 1);
         },
         grey, true},
        {"a text after an erase was not counted as painted",
         [&](ImageSink& s) {
           s.OnBackground(grey);
           s.OnPrint(0.1f, 0.5f, red, {PrintRun{1, "MMMM"}}, "MMMM");
           s.OnClear();
         },
         grey, false},
    };
    for (const Row& row : rows) {
      ImageSink sink(64, 32, 1.0, grey);
      sink.OnScale(Scale{0, 0, 1, 1});
      row.steps(sink);
      const QImage& image = sink.image();
      const QRgb line = qRgb(red.r, red.g, red.b);
      const QRgb fill = qRgb(row.everywhere.r, row.everywhere.g, row.everywhere.b);
      int redPixels = 0, otherPixels = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          const QRgb px = image.pixel(x, y) | 0xFF000000u;
          redPixels += px == line ? 1 : 0;
          otherPixels += px != line && px != fill ? 1 : 0;
        }
      }
      QVERIFY2(otherPixels == 0, row.fault);
      QVERIFY2((redPixels > 0) == row.lineLeft, row.fault);
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
