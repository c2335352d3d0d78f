// The value and integral windows as a user meets them: layout, focus order, caption, the
// "=" buttons and the diagram, with every message box caught.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest>
#include <sstream>

#include "core/trace.h"

#include "ui/main/tervano.h"
#include "ui/tools/diagram_view.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

using namespace curvalis;

namespace {

struct Place {
  const char* name;
  int left, top, width, height;  // twips
};

// The next widget the Tab key reaches from `w`.
QWidget* NextTabStop(QWidget* w) {
  for (QWidget* n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain()) {
    if ((n->focusPolicy() & Qt::TabFocus) && n->isEnabled() && n->window() == w->window() &&
        n->focusProxy() == nullptr) {
      return n;
    }
  }
  return nullptr;
}

int CountColour(const QImage& image, QColor colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) ++n;
    }
  }
  return n;
}

}  // namespace

class ToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QLocale::setDefault(QLocale::c());
    m_messages.clear();
    AppContext::instance().messageOverride = [this](QWidget*, std::string_view text) {
      m_messages << QString::fromUtf8(text.data(), qsizetype(text.size()));
    };
    m_main = std::make_unique<Tervano>();
  }
  void cleanup() {
    m_main.reset();
    AppContext::instance().messageOverride = nullptr;
    QLocale::setDefault(QLocale::c());
  }

  void valoreLayout() {
    m_main->funzione()->setText("x^2");
    m_main->mValore();
    ValoreWindow* w = m_main->openValore();
    QCOMPARE(w->size(), QSize(320, 42));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    const Place places[] = {{"Label1", 120, 120, 495, 495},
                            {"ValoreX", 480, 120, 975, 375},
                            {"Label2", 1560, 120, 375, 375},
                            {"Uguale", 2040, 120, 495, 435},
                            {"ValoreY", 2640, 120, 2055, 405}};
    for (const Place& p : places) {
      auto* c = w->findChild<QWidget*>(p.name);
      QVERIFY2(c, p.name);
      QCOMPARE(c->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
    }
    QCOMPARE(w->label1()->text(), QString("x="));
    QCOMPARE(w->label2()->text(), QString("f(x)"));
    QCOMPARE(w->uguale()->text(), QString("="));
    QCOMPARE(w->uguale()->font().pointSizeF(), 13.5);
    QCOMPARE(w->label1()->font().pointSizeF(), 13.5);
    // Tab: ValoreX, "=", ValoreY; the labels take no focus.
    QCOMPARE(NextTabStop(w->valoreX()), static_cast<QWidget*>(w->uguale()));
    QCOMPARE(NextTabStop(w->uguale()), static_cast<QWidget*>(w->valoreY()));
    QCOMPARE(w->label1()->focusPolicy(), Qt::NoFocus);
  }

  void valoreComputesWithTheCurrentFormula() {
    m_main->funzione()->setText("x^2");
    m_main->mValore();
    QPointer<ValoreWindow> w = m_main->openValore();
    QCOMPARE(w->windowTitle(), QString("f(x)=x^2"));
    w->valoreX()->setText("3");
    QTest::mouseClick(w->uguale(), Qt::LeftButton);
    QCOMPARE(w->valoreY()->text(), QString("9"));
    // The caption keeps the formula of the load; "=" uses the new one.
    m_main->funzione()->setText("x+1");
    m_main->mValore();
    QCOMPARE(m_main->openValore(), w.data());
    QCOMPARE(w->windowTitle(), QString("f(x)=x^2"));
    w->clickUguale();
    QCOMPARE(w->valoreY()->text(), QString("4"));
    QCOMPARE(w->valoreX()->text(), QString("3"));
    QVERIFY(m_messages.isEmpty());
  }

  void valoreMessagesKeepTheValue_data() {
    QTest::addColumn<QString>("funzione");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("message");
    QTest::newRow("root of -1") << "sqrt(x)"
                                << "-1"
                                << "Funzione non calcolabile o non definita!";
    QTest::newRow("1/x at 0") << "1/x"
                              << "0"
                              << "Funzione non calcolabile o non definita!";
    QTest::newRow("rejected") << "x+"
                              << "1"
                              << "Errore nella formula!";
  }
  void valoreMessagesKeepTheValue() {
    QFETCH(QString, funzione);
    QFETCH(QString, x);
    QFETCH(QString, message);
    m_main->funzione()->setText("x^2");
    ValoreWindow* w = m_main->openValore();
    w->setValoreX("3");
    w->clickUguale();
    QCOMPARE(w->valoreY()->text(), QString("9"));
    m_main->surface().SetDrawWidth(3);
    m_main->funzione()->setText(funzione);
    w->setValoreX(x);
    w->clickUguale();
    QCOMPARE(m_messages, QStringList{message});
    QCOMPARE(w->valoreY()->text(), QString("9"));
    QCOMPARE(m_main->surface().drawWidth(), 1);
  }

  void valoreLocaleSeparator() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_main->funzione()->setText("x/4");
    ValoreWindow* w = m_main->openValore();
    w->setValoreX("1,5");  // the comma ends the number: f(1)
    w->clickUguale();
    QCOMPARE(w->valoreY()->text(), QString("0,25"));
  }

  void closedWindowLoadsAfresh() {
    m_main->funzione()->setText("x^2");
    m_main->mValore();
    QPointer<ValoreWindow> v = m_main->openValore();
    m_main->mIntegrale();
    QPointer<IntegraleWindow> i = m_main->openIntegrale();
    v->close();
    i->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(v.isNull());
    QVERIFY(i.isNull());
    m_main->funzione()->setText("sin(x)");
    m_main->mValore();
    m_main->mIntegrale();
    QCOMPARE(m_main->openValore()->windowTitle(), QString("f(x)=sin(x)"));
    QCOMPARE(m_main->openIntegrale()->windowTitle(), QString("f(x)=sin(x)"));
  }

  void integraleLayout() {
    m_main->funzione()->setText("x^2");
    m_main->mIntegrale();
    IntegraleWindow* w = m_main->openIntegrale();
    QCOMPARE(w->size(), QSize(344, 455));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    const Place places[] = {
        {"Label3", 1320, 120, 2535, 375},   {"OLE1", 480, 720, 615, 1695},
        {"Superiore", 960, 720, 1575, 375}, {"Text3", 960, 1440, 495, 375},
        {"Label1", 1440, 1440, 375, 375},   {"Uguale", 1920, 1440, 495, 375},
        {"Area", 2640, 1560, 2295, 375},    {"Inferiore", 720, 2160, 1695, 375},
        {"Label2", 600, 3120, 2295, 255},   {"Segmenti", 3120, 3120, 1215, 315},
        {"Label", 240, 3480, 2895, 255},    {"Diagramma", 240, 3840, 4695, 2775}};
    for (const Place& p : places) {
      auto* c = w->findChild<QWidget*>(p.name);
      QVERIFY2(c, p.name);
      QCOMPARE(c->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
    }
    QCOMPARE(w->label3()->text(), QString("Metodo di Simpson"));
    QCOMPARE(w->label2()->text(), QString("Numero dei segmenti parabolici:"));
    QCOMPARE(w->text3()->text(), QString("f(x)"));
    QCOMPARE(w->label()->text(), QString());
    QCOMPARE(w->superiore()->font().pointSizeF(), 12.0);
    QCOMPARE(w->area()->font().pointSizeF(), 9.75);
    QStringList items;
    for (int k = 0; k < w->segmenti()->count(); ++k) items << w->segmenti()->itemText(k);
    QCOMPARE(items, (QStringList{"20", "50", "100", "200", "500", "1000"}));
    QVERIFY(w->segmenti()->isEditable());
    QCOMPARE(w->segmenti()->currentText(), QString("20"));
    QCOMPARE(NextTabStop(w->superiore()), static_cast<QWidget*>(w->inferiore()));
    QCOMPARE(NextTabStop(w->uguale()), static_cast<QWidget*>(w->area()));
    // Centred on the screen; the sign is there whether or not the document file exists.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(w->frameGeometry().center().x() - screen.center().x()) <= 16);
    QVERIFY(!w->ole1()->picture().isNull());
    QVERIFY(w->ole1()->document().endsWith("Integrale.doc"));
    QVERIFY(m_messages.isEmpty());
  }

  void integraleComputesAndHatches() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_main->funzione()->setText("x^2");
    IntegraleWindow* w = m_main->openIntegrale();
    w->setSuperiore("1");
    w->setInferiore("0");
    QTest::mouseClick(w->uguale(), Qt::LeftButton);
    QCOMPARE(w->area()->text(), QString("0,333"));
    QCOMPARE(w->label()->text(), QString("Integrale= Area gialla - Area verde"));
    const QImage drawn = w->diagramma()->sink().logicalImage();
    QVERIFY(CountColour(drawn, QColor(255, 255, 0)) > 0);
    QVERIFY(CountColour(drawn, QColor(255, 0, 0)) > 0);
    QCOMPARE(drawn.pixelColor(2, 2), QColor(Qt::white));
    // A click on the diagram redraws the curve without hatching and keeps the result.
    w->setSegmenti("abc");
    QTest::mouseClick(w->diagramma(), Qt::LeftButton, {}, QPoint(150, 90));
    const QImage redrawn = w->diagramma()->sink().logicalImage();
    QCOMPARE(CountColour(redrawn, QColor(255, 255, 0)), 0);
    QVERIFY(CountColour(redrawn, QColor(255, 0, 0)) > 0);
    QCOMPARE(w->area()->text(), QString("0,333"));
    // The swapped limits.
    w->setSegmenti("20");
    w->setSuperiore("0");
    w->setInferiore("1");
    w->clickUguale();
    QCOMPARE(w->area()->text(), QString("-0,334"));
    QCOMPARE(w->label()->text(), QString("Integrale= Area verde - Area gialla"));
    QVERIFY(m_messages.isEmpty());
  }

  void integraleMessages_data() {
    QTest::addColumn<QString>("funzione");
    QTest::addColumn<QString>("segmenti");
    QTest::addColumn<QString>("message");
    const QString failed = "Integrale non calcolabile,variare gli estremi di integrazione!";
    QTest::newRow("count 0") << "x^2"
                             << "0" << failed;
    QTest::newRow("count abc") << "x^2"
                               << "abc" << failed;
    QTest::newRow("1/x") << "1/x"
                         << "20" << failed;
    QTest::newRow("rejected") << "x+"
                              << "20"
                              << "Errore nella formula!";
  }
  void integraleMessages() {
    QFETCH(QString, funzione);
    QFETCH(QString, segmenti);
    QFETCH(QString, message);
    m_main->funzione()->setText("x");
    IntegraleWindow* w = m_main->openIntegrale();
    w->setSuperiore("1");
    w->setInferiore("0");
    w->clickUguale();
    QCOMPARE(w->area()->text(), QString("0.5"));
    m_main->funzione()->setText(funzione);
    w->setSegmenti(segmenti);
    w->clickUguale();
    QCOMPARE(m_messages, QStringList{message});
    QCOMPARE(w->area()->text(), QString("0.5"));
    QCOMPARE(w->label()->text(), QString("Integrale= Area gialla - Area verde"));
    QCOMPARE(CountColour(w->diagramma()->sink().logicalImage(), QColor(Qt::white)), 313 * 185);
  }

  // The batch mode traces the diagram, the texts the program sets and the messages, and
  // shows no progress window.
  void batchTrace() {
    m_main.reset();
    std::ostringstream out;
    TraceWriter writer(out);
    AppContext& context = AppContext::instance();
    context.batch = true;
    context.trace = &writer;
    {
      Tervano main;
      main.funzione()->setText("x^2");
      IntegraleWindow* w = main.openIntegrale();
      w->setSuperiore("1");
      w->setInferiore("0");
      w->clickUguale();
      w->setSegmenti("0");
      w->clickUguale();
    }
    context.trace = nullptr;
    context.batch = false;
    const QString trace = QString::fromStdString(out.str());
    const QStringList expected = {
        R"({"op":"text","control":"Integrale","text":"f(x)=x^2"})",
        R"({"op":"command","name":"Integrale.Uguale"})",
        R"({"op":"clear","surface":"Integrale.Diagramma"})",
        R"({"op":"text","control":"Integrale.Area","text":"0.333"})",
        R"({"op":"text","control":"Integrale.Label","text":"Integrale= Area gialla - Area verde"})",
        R"({"op":"scale","surface":"Integrale.Diagramma","left":-0.5,"top":0.58,"right":1.5,"bottom":-0.58})",
        R"({"op":"message","text":"Integrale non calcolabile,variare gli estremi di integrazione!"})"};
    qsizetype at = 0;
    for (const QString& line : expected) {
      qsizetype found = trace.indexOf(line, at);
      QVERIFY2(found >= 0, qPrintable(line));
      at = found + line.size();
    }
    QCOMPARE(trace.count(R"("surface":"Integrale.Diagramma","x1")"), 1 + 63 + 33);
    QCOMPARE(m_messages.size(), 1);
  }

  // With CURVALIS_SCREENSHOTS set to a folder, the main window and both side windows after a
  // computation are saved there as pictures.
  void screenshots() {
    const QString dir = qEnvironmentVariable("CURVALIS_SCREENSHOTS");
    if (dir.isEmpty()) QSKIP("CURVALIS_SCREENSHOTS is not set");
    QDir().mkpath(dir);
    m_main->show();
    m_main->funzione()->setText("sin(x)*exp(-x^2/10)+ln(x^2+1)");
    m_main->mGrafico();
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
  QStringList m_messages;
};

QTEST_MAIN(ToolsTest)
#include "tools_test.moc"
