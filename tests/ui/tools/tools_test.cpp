// The value and integral windows as a user meets them: layout, focus order, caption, the
// "=" buttons and the diagram, with every message box caught.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <sstream>

#include "analysis/analyses.h"
#include "core/trace.h"
#include "support/window_fixture.h"
#include "ui/common/document_view.h"
#include "ui/common/surface_view.h"
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

using namespace curvalis;

namespace {

struct Place {
  const char* name;
  int left, top, width, height;  // twips
};

void CheckLayout(QWidget* w, QSize client, std::initializer_list<Place> places) {
  QCOMPARE(w->size(), client);
  QCOMPARE(w->minimumSize(), w->maximumSize());
  QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
  QVERIFY(!w->isModal());
  for (const Place& p : places) {
    auto* c = w->findChild<QWidget*>(p.name);
    QVERIFY2(c, p.name);
    QCOMPARE(c->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
  }
}

// The next widget the Tab key reaches from `w`.
QWidget* NextTabStop(QWidget* w) {
  for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain()) {
    if ((n->focusPolicy() & Qt::TabFocus) && n->window() == w->window() && !n->focusProxy()) {
      return n;
    }
  }
  return nullptr;
}

bool HasColour(const QImage& image, QColor colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

}  // namespace

class ToolsTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(setUp());
    m_main = std::make_unique<Tervano>(*context);
    m_main->funzione()->setText("x^2");
  }
  void cleanup() {
    m_main.reset();
    tearDown();
  }

  void layouts() {
    m_main->mValore();
    ValoreWindow* v = m_main->openValore();
    QVERIFY(v->isVisible());
    CheckLayout(v, QSize(320, 42),
                {{"Label1", 120, 120, 495, 495},
                 {"ValoreX", 480, 120, 975, 375},
                 {"Label2", 1560, 120, 375, 375},
                 {"Uguale", 2040, 120, 495, 435},
                 {"ValoreY", 2640, 120, 2055, 405}});
    QCOMPARE(v->uguale()->font().pointSizeF(), 13.5);
    QCOMPARE(NextTabStop(v->valoreX()), v->uguale());
    QCOMPARE(NextTabStop(v->uguale()), v->valoreY());
    QCOMPARE(v->label1()->focusPolicy(), Qt::NoFocus);

    m_main->mIntegrale();
    IntegraleWindow* i = m_main->openIntegrale();
    CheckLayout(i, QSize(344, 455),
                {{"Label3", 1320, 120, 2535, 375},
                 {"OLE1", 480, 720, 615, 1695},
                 {"Superiore", 960, 720, 1575, 375},
                 {"Text3", 960, 1440, 495, 375},
                 {"Label1", 1440, 1440, 375, 375},
                 {"Uguale", 1920, 1440, 495, 375},
                 {"Area", 2640, 1560, 2295, 375},
                 {"Inferiore", 720, 2160, 1695, 375},
                 {"Label2", 600, 3120, 2295, 255},
                 {"Segmenti", 3120, 3120, 1215, 315},
                 {"Label", 240, 3480, 2895, 255},
                 {"Diagramma", 240, 3840, 4695, 2775}});
    QCOMPARE(i->area()->font().pointSizeF(), 9.75);
    QStringList items;
    for (int k = 0; k < i->segmenti()->count(); ++k) items << i->segmenti()->itemText(k);
    QCOMPARE(items, (QStringList{"20", "50", "100", "200", "500", "1000"}));
    QVERIFY(i->segmenti()->isEditable());
    QCOMPARE(i->segmenti()->currentText(), QString("20"));
    QCOMPARE(i->label()->text(), QString());
    QCOMPARE(NextTabStop(i->superiore()), i->inferiore());
    // Centred; the sign is there whether or not the document file exists.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(i->frameGeometry().center().x() - screen.center().x()) <= 16);
    QVERIFY(!i->ole1()->picture().isNull());
    QVERIFY(i->ole1()->file().endsWith("Integrale.doc"));
  }

  // The caption keeps the formula of the load, "=" uses the current one; a closed window is
  // loaded afresh.
  void captionAndCurrentFormula() {
    m_main->mValore();
    QPointer<ValoreWindow> v = m_main->openValore();
    QCOMPARE(v->windowTitle(), QString("f(x)=x^2"));
    v->valoreX()->setText("3");
    QTest::mouseClick(v->uguale(), Qt::LeftButton);
    QCOMPARE(v->valoreY()->text(), QString("9"));
    m_main->funzione()->setText("x+1");
    m_main->mValore();
    QCOMPARE(m_main->openValore(), v.data());
    QCOMPARE(v->windowTitle(), QString("f(x)=x^2"));
    v->clickUguale();
    QCOMPARE(v->valoreY()->text(), QString("4"));
    QPointer<IntegraleWindow> i = m_main->openIntegrale();
    v->close();
    i->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(v.isNull() && i.isNull());
    m_main->mValore();
    m_main->mIntegrale();
    QCOMPARE(m_main->openValore()->windowTitle(), QString("f(x)=x+1"));
    QCOMPARE(m_main->openIntegrale()->windowTitle(), QString("f(x)=x+1"));
    QVERIFY(messages.isEmpty());
  }

  void messagesKeepTheResults_data() {
    QTest::addColumn<bool>("integral");
    QTest::addColumn<QString>("funzione");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    const QString value = "Funzione non calcolabile o non definita!";
    const QString integral = "Integrale non calcolabile,variare gli estremi di integrazione!";
    QTest::newRow("root of -1") << false << "sqrt(x)"
                                << "-1" << value;
    QTest::newRow("1/x at 0") << false << "1/x"
                              << "0" << value;
    QTest::newRow("rejected") << false << "x+"
                              << "1"
                              << "Errore nella formula!";
    QTest::newRow("count 0") << true << "x^2"
                             << "0" << integral;
    QTest::newRow("1/x from 0") << true << "1/x"
                                << "20" << integral;
    QTest::newRow("rejected integrand") << true << "x+"
                                        << "20"
                                        << "Errore nella formula!";
  }
  void messagesKeepTheResults() {
    QFETCH(bool, integral);
    QFETCH(QString, funzione);
    QFETCH(QString, input);
    QFETCH(QString, message);
    ValoreWindow* v = m_main->openValore();
    IntegraleWindow* i = m_main->openIntegrale();
    v->setValoreX("3");
    v->clickUguale();
    i->setSuperiore("1");
    i->setInferiore("0");
    i->clickUguale();
    m_main->surface().SetDrawWidth(3);
    m_main->funzione()->setText(funzione);
    if (integral) {
      i->setSegmenti(input);
      i->clickUguale();
    } else {
      v->setValoreX(input);
      v->clickUguale();
    }
    QCOMPARE(messages, QStringList{message});
    QCOMPARE(v->valoreY()->text(), QString("9"));
    QCOMPARE(i->area()->text(), QString("0.333"));
    QCOMPARE(m_main->surface().drawWidth(), integral && !message.startsWith("Errore") ? 3 : 1);
  }

  // The box of a rejected formula keeps its text and says below it why and where, in both
  // side windows.
  void rejectedFormulaBoxSaysWhy() {
    context->setMessageSink(nullptr);
    QStringList seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          seen << box->text() << box->informativeText();
          // With CURVALIS_SCREENSHOTS set, the first box is saved there as a picture.
          const QString dir = qEnvironmentVariable("CURVALIS_SCREENSHOTS");
          if (!dir.isEmpty() && seen.size() == 2) {
            QDir().mkpath(dir);
            box->grab().save(dir + "/messaggio-formula.png");
          }
          box->accept();
        }
      }
    });
    closer.start(10);
    m_main->funzione()->setText(QString::fromUtf8("2x+sen2(x)"));
    ValoreWindow* v = m_main->openValore();
    v->setValoreX("1");
    v->clickUguale();
    m_main->funzione()->setText(QString::fromUtf8("\u03c0x\u00b2+|x"));  // πx²+|x
    IntegraleWindow* i = m_main->openIntegrale();
    i->setSuperiore("1");
    i->clickUguale();
    QCOMPARE(seen, (QStringList{"Errore nella formula!",
                                QString::fromUtf8("Nome sconosciuto \u00absen2\u00bb (colonna 4)"),
                                "Errore nella formula!",
                                "Barra del valore assoluto non chiusa (colonna 5)"}));
  }

  void integralAndDiagramClick() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    IntegraleWindow* w = m_main->openIntegrale();
    w->setSuperiore("0");
    w->setInferiore("1");
    QTest::mouseClick(w->uguale(), Qt::LeftButton);
    QCOMPARE(w->area()->text(), QString("-0,334"));
    QCOMPARE(w->label()->text(), QString("Integrale= Area verde - Area gialla"));
    const QImage drawn = w->diagramma()->sink().logicalImage();
    QVERIFY(HasColour(drawn, QColor(255, 255, 0)));
    QCOMPARE(drawn.pixelColor(2, 2), QColor(Qt::white));
    // A click on the diagram redraws the curve without hatching and keeps the result.
    QTest::mouseClick(w->diagramma(), Qt::LeftButton, {}, QPoint(150, 90));
    const QImage redrawn = w->diagramma()->sink().logicalImage();
    QVERIFY(!HasColour(redrawn, QColor(255, 255, 0)));
    QVERIFY(HasColour(redrawn, QColor(255, 0, 0)));
    QCOMPARE(w->area()->text(), QString("-0,334"));
    QVERIFY(messages.isEmpty());
  }

  // The batch mode traces the diagram, the texts the program sets and the messages.
  void batchTrace() {
    m_main.reset();
    std::ostringstream out;
    TraceWriter writer(out);
    AppContext context;
    context.setBatch(true);
    context.setTrace(&writer);
    {
      Tervano main(context);
      main.funzione()->setText("x^2");
      IntegraleWindow* w = main.openIntegrale();
      w->setSuperiore("1");
      w->setInferiore("0");
      w->clickUguale();
      w->setSegmenti("0");
      w->clickUguale();
    }
    const QString trace = QString::fromStdString(out.str());
    qsizetype at = 0;
    for (
        const char* line :
        {R"({"op":"text","control":"Integrale","text":"f(x)=x^2"})",
         R"({"op":"command","name":"Integrale.Uguale"})",
         R"({"op":"clear","surface":"Integrale.Diagramma"})",
         R"({"op":"text","control":"Integrale.Area","text":"0.333"})",
         R"({"op":"text","control":"Integrale.Label","text":"Integrale= Area gialla - Area verde"})",
         R"({"op":"scale","surface":"Integrale.Diagramma","left":-0.5,"top":0.58,"right":1.5,"bottom":-0.58})",
         R"({"op":"message","text":"Integrale non calcolabile,variare gli estremi di integrazione!"})"}) {
      at = trace.indexOf(line, at);
      QVERIFY2(at >= 0, line);
    }
    QCOMPARE(trace.count(R"("surface":"Integrale.Diagramma","x1")"), 1 + 63 + 33);
  }

  // With CURVALIS_SCREENSHOTS set to a folder, the main window and both side windows after a
  // computation are saved there as pictures.
  void screenshots() {
    const QString dir = qEnvironmentVariable("CURVALIS_SCREENSHOTS");
    if (dir.isEmpty()) QSKIP("CURVALIS_SCREENSHOTS is not set");
    QDir().mkpath(dir);
    m_main->show();
    m_main->funzione()->setText("sin(x)*exp(-x^2/10)+ln(x^2+1)");
    m_main->commands().Run(Cmd::mGrafico);
    m_main->mValore();
    ValoreWindow* v = m_main->openValore();
    v->setValoreX("1.5");
    v->clickUguale();
    m_main->mIntegrale();
    IntegraleWindow* i = m_main->openIntegrale();
    i->setSuperiore("2");
    i->setInferiore("-1");
    i->setSegmenti("100");
    i->clickUguale();
    QTest::qWait(50);
    QVERIFY(m_main->grab().save(dir + "/tervano.png"));
    QVERIFY(v->grab().save(dir + "/valore.png"));
    QVERIFY(i->grab().save(dir + "/integrale.png"));
  }

 private:
  std::unique_ptr<Tervano> m_main;
};

QTEST_MAIN(ToolsTest)
#include "tools_test.moc"
