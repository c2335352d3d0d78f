// The splash, the about window and the help: what the user sees and how each window goes
// away.
#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include "support/window_fixture.h"
#include "ui/about/about_window.h"
#include "ui/about/help_window.h"
#include "ui/about/splash_window.h"
#include "ui/about/version.h"
#include "ui/common/app_context.h"
#include "ui/main/tervano.h"

using namespace curvalis;

namespace {

QString ReadResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString PageTitle(const QString& html) {
  QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("<title>(.*?)</title>")).match(html);
  return m.hasMatch() ? m.captured(1) : QString();
}

// Clicks the first link to `href` of the page that `browser` shows.
bool ClickLink(QTextBrowser* browser, const QString& href) {
  QTextDocument* doc = browser->document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      if (fragment.charFormat().anchorHref() != href) continue;
      QTextCursor cursor(doc);
      cursor.setPosition(fragment.position() + fragment.length() / 2);
      browser->setTextCursor(cursor);
      browser->ensureCursorVisible();
      QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier,
                        browser->cursorRect(cursor).center());
      return true;
    }
  }
  return false;
}

// Saves what a window shows when CURVALIS_SCREENSHOTS names a folder.
void Screenshot(QWidget* window, const QString& name) {
  QString folder = qEnvironmentVariable("CURVALIS_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QTest::qWait(0);
  window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace

class AboutTest : public QObject, public curvalis::testing::WindowFixture {
  Q_OBJECT

 private slots:
  void init() {
    // A message box would block the test: every message is recorded instead.
    QVERIFY(setUp());
    m_main = new Tervano(*context);
    m_splash = new SplashWindow(*m_main);
  }
  void cleanup() {
    delete m_splash;
    delete m_main;
    tearDown();
  }

  void versionLines_data();
  void versionLines();
  void titles();
  void labelsShowTheirWholeText_data();
  void labelsShowTheirWholeText();
  void splashShowsMainWindowAtLoad();
  void splashDismissal_data();
  void splashDismissal();
  void splashPlatformLineFits_data();
  void splashPlatformLineFits();
  void aboutCloses_data();
  void aboutCloses();
  void aboutChosenTwiceIsBroughtForward();
  void packageOpensHelpThatOutlivesAbout();
  void helpTopicsExist_data();
  void helpTopicsExist();
  void helpPagesAreAllListed();
  void helpLinksResolve();
  void helpWindowShowsEveryTopic();
  void screenshots();

 private:
  AboutWindow* openAbout() {
    m_main->mInformazioni();
    return m_main->findChild<AboutWindow*>();
  }

  Tervano* m_main = nullptr;
  SplashWindow* m_splash = nullptr;
};

void AboutTest::versionLines_data() {
  QTest::addColumn<bool>("splash");
  QTest::newRow("splash") << true;
  QTest::newRow("about") << false;
}

void AboutTest::versionLines() {
  QFETCH(bool, splash);
  QWidget* window = splash ? static_cast<QWidget*>(m_splash) : openAbout();
  QVERIFY(window);
  auto* label = window->findChild<QLabel*>(QStringLiteral("lblVersion"));
  QVERIFY(label);
  QCOMPARE(label->text(), QStringLiteral("Versione " CURVALIS_PROJECT_VERSION));
}

void AboutTest::titles() {
  QCOMPARE(m_splash->findChild<QLabel*>(QStringLiteral("lblProductName"))->text(),
           QStringLiteral("Curvalis"));
  AboutWindow* about = openAbout();
  QCOMPARE(about->windowTitle(), QStringLiteral("Informazioni su Curvalis"));
  QCOMPARE(about->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
           QStringLiteral("Curvalis"));
  QVERIFY(!about->findChild<QLabel*>(QStringLiteral("lblDescription"))->text().isEmpty());
  // The icon the main window asks for is the program's own, at every size.
  QVERIFY(!m_main->windowIcon().pixmap(QSize(32, 32)).isNull());
  for (int size : {16, 32, 48, 64, 128, 256}) {
    QCOMPARE(ProgramIcon().pixmap(QSize(size, size)).size(), QSize(size, size));
  }
}

void AboutTest::labelsShowTheirWholeText_data() {
  QTest::addColumn<bool>("splash");
  QTest::addColumn<QString>("label");
  for (const char* name : {"lblProductName", "lblPlatform", "lblVersion", "lblNotice"}) {
    QTest::addRow("splash %s", name) << true << QString::fromLatin1(name);
  }
  for (const char* name : {"lblTitle", "lblVersion", "lblDescription"}) {
    QTest::addRow("about %s", name) << false << QString::fromLatin1(name);
  }
}

void AboutTest::labelsShowTheirWholeText() {
  QFETCH(bool, splash);
  QFETCH(QString, label);
  QWidget* window = splash ? static_cast<QWidget*>(m_splash) : openAbout();
  auto* l = window->findChild<QLabel*>(label);
  QVERIFY(l);
  QVERIFY(!l->text().isEmpty());
  QFontMetrics metrics(l->font());
  // The part of the label that its window shows: a label may run past its frame.
  QRect visible = l->rect() & l->parentWidget()->contentsRect().translated(-l->pos());
  if (l->wordWrap()) {
    QVERIFY2(l->heightForWidth(visible.width()) <= visible.height(), qPrintable(l->text()));
  } else {
    QVERIFY2(metrics.horizontalAdvance(l->text()) <= visible.width(), qPrintable(l->text()));
    // Letters without descenders may fill the whole height; no text is cut at the top.
    QVERIFY2(metrics.ascent() <= visible.height(), qPrintable(l->text()));
  }
}

void AboutTest::splashShowsMainWindowAtLoad() {
  // The splash's load shows the main window; the splash itself is shown after it, on top.
  QVERIFY(m_main->isVisible());
  QVERIFY(!m_splash->isVisible());
  QCOMPARE(m_splash->parentWidget(), m_main);
  QVERIFY(m_splash->windowFlags() & Qt::FramelessWindowHint);
}

// How the user acts on the splash, and whether that dismisses it.
enum class Act { Key, LeftClick, RightClick };

void AboutTest::splashDismissal_data() {
  QTest::addColumn<int>("act");
  QTest::addColumn<QString>("target");  // the control under the mouse
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("dismissed");
  const int key = int(Act::Key);
  QTest::newRow("letter") << key << QString() << int(Qt::Key_A) << "a" << true;
  QTest::newRow("digit") << key << QString() << int(Qt::Key_5) << "5" << true;
  QTest::newRow("space") << key << QString() << int(Qt::Key_Space) << " " << true;
  QTest::newRow("enter") << key << QString() << int(Qt::Key_Return) << "\r" << true;
  QTest::newRow("escape") << key << QString() << int(Qt::Key_Escape) << "\x1b" << true;
  QTest::newRow("shift alone") << key << QString() << int(Qt::Key_Shift) << "" << false;
  QTest::newRow("arrow") << key << QString() << int(Qt::Key_Left) << "" << false;
  QTest::newRow("F1") << key << QString() << int(Qt::Key_F1) << "" << false;
  const int left = int(Act::LeftClick);
  QTest::newRow("click frame") << left << "Frame1" << 0 << "" << true;
  QTest::newRow("click product name") << left << "lblProductName" << 0 << "" << false;
  QTest::newRow("click platform") << left << "lblPlatform" << 0 << "" << false;
  QTest::newRow("click version") << left << "lblVersion" << 0 << "" << false;
  QTest::newRow("click notice") << left << "lblNotice" << 0 << "" << false;
  QTest::newRow("click logo") << left << "imgLogo" << 0 << "" << false;
  QTest::newRow("right click frame") << int(Act::RightClick) << "Frame1" << 0 << "" << false;
}

void AboutTest::splashDismissal() {
  QFETCH(int, act);
  QFETCH(QString, target);
  QFETCH(int, key);
  QFETCH(QString, text);
  QFETCH(bool, dismissed);
  m_splash->show();
  QVERIFY(QTest::qWaitForWindowActive(m_splash));
  if (Act(act) == Act::Key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(m_splash, &press);
    // No command of the main window may run behind the splash: with the empty formula a
    // shortcut such as F1 would bring "Errore nella formula!".
    QCOMPARE(messages, QStringList());
  } else {
    auto* widget = m_splash->findChild<QWidget*>(target);
    QVERIFY(widget);
    QPoint at = widget->rect().center();
    if (target == QLatin1String("Frame1")) {
      // A place on the frame itself, clear of the labels and the logo.
      at = QPoint(widget->width() - 20, 20);
      QCOMPARE(widget->childAt(at), nullptr);
    }
    Qt::MouseButton button = Act(act) == Act::RightClick ? Qt::RightButton : Qt::LeftButton;
    QTest::mouseClick(widget, button, Qt::NoModifier, at);
  }

  QCOMPARE(m_splash->dismissed(), dismissed);
  QCOMPARE(m_splash->isVisible(), !dismissed);
  QVERIFY(m_main->isVisible());
  if (dismissed) QTRY_COMPARE(QApplication::activeWindow(), m_main);
}

void AboutTest::splashPlatformLineFits_data() {
  QTest::addColumn<QString>("system");
  QTest::addColumn<bool>("fullSize");
  QTest::newRow("short name") << "Linux" << true;
  QTest::newRow("the old platform line") << "Windows 95/98/2000/XP" << true;
  QTest::newRow("long name") << "Debian GNU/Linux 12 (bookworm)" << false;
  QTest::newRow("very long name") << QString(80, QLatin1Char('W')) << false;
}

void AboutTest::splashPlatformLineFits() {
  QFETCH(QString, system);
  QFETCH(bool, fullSize);
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setBold(true);
  const int width = 262, full = 21, least = 12;
  int size = FittingPixelSize(font, system, width, full, least);
  QVERIFY(size >= least && size <= full);
  QCOMPARE(size == full, fullSize);
  font.setPixelSize(size);
  // Every size above the least that is returned lets the whole text show.
  if (size > least) QVERIFY(QFontMetrics(font).horizontalAdvance(system) <= width);
}

void AboutTest::aboutCloses_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Enter") << "Enter";
  QTest::newRow("Return") << "Return";
  QTest::newRow("Esc") << "Esc";
  QTest::newRow("OK clicked") << "OK";
}

void AboutTest::aboutCloses() {
  QFETCH(QString, how);
  QPointer<AboutWindow> about = openAbout();
  QVERIFY(about);
  QVERIFY(about->isVisible());
  QVERIFY(!about->isModal());
  auto* ok = about->findChild<QPushButton*>(QStringLiteral("cmdOK"));
  QVERIFY(ok);
  QCOMPARE(ok->text(), QStringLiteral("OK"));
  QVERIFY(ok->isDefault());

  if (how == QLatin1String("OK")) {
    QTest::mouseClick(ok, Qt::LeftButton);
  } else {
    Qt::Key key = how == QLatin1String("Enter")    ? Qt::Key_Enter
                  : how == QLatin1String("Return") ? Qt::Key_Return
                                                   : Qt::Key_Escape;
    QTest::keyClick(about.data(), key);
  }
  // Closing unloads the window: it goes, and the next "&Aiuto" loads a new one.
  QTRY_VERIFY(about.isNull());
  QVERIFY(openAbout());
}

void AboutTest::aboutChosenTwiceIsBroughtForward() {
  AboutWindow* first = openAbout();
  AboutWindow* second = openAbout();
  QCOMPARE(second, first);
  QCOMPARE(m_main->findChildren<AboutWindow*>().size(), 1);
}

void AboutTest::packageOpensHelpThatOutlivesAbout() {
  QPointer<AboutWindow> about = openAbout();
  auto* package = about->findChild<QWidget*>(QStringLiteral("OLE1"));
  QVERIFY(package);
  QVERIFY(!m_main->help());
  QTest::mouseClick(package, Qt::LeftButton);
  QVERIFY(!m_main->help());  // a single click does not activate the package
  QTest::mouseDClick(package, Qt::LeftButton);
  QPointer<HelpWindow> help = m_main->help();
  QVERIFY(help);
  QVERIFY(help->isVisible());

  QTest::keyClick(about.data(), Qt::Key_Escape);
  QTRY_VERIFY(about.isNull());
  QVERIFY(help);
  QVERIFY(help->isVisible());
  // A second activation brings the same help window forward.
  AboutWindow* again = openAbout();
  QTest::mouseDClick(again->findChild<QWidget*>(QStringLiteral("OLE1")), Qt::LeftButton);
  QCOMPARE(m_main->help(), help.data());
}

void AboutTest::helpTopicsExist_data() {
  QTest::addColumn<QString>("title");
  for (const char* title : {"Apri funzione",
                            "Salva funzione",
                            "Salva grafico",
                            "Salva tutto",
                            "Esporta grafico",
                            "Stampa grafico",
                            "Stampa tutto",
                            "Grafico",
                            "Dominio",
                            "Derivata",
                            "Valore",
                            "Integrale",
                            "Zeri",
                            "Minimi e Massimi",
                            "Flessi",
                            "Asintoti",
                            "Tangente nei flessi",
                            "Studio completo",
                            "Funzioni continue e punti di discontinuità",
                            "Derivabilità",
                            "Funzioni crescenti e decrescenti",
                            "Concavità, convessità e flessi",
                            "Asintoti verticali,orizzontali ed obliqui",
                            "Punti angolosi e cuspidali"}) {
    QTest::newRow(title) << QString::fromUtf8(title);
  }
}

void AboutTest::helpTopicsExist() {
  QFETCH(QString, title);
  const HelpTopic* found = nullptr;
  for (const HelpTopic& topic : HelpTopics()) {
    if (topic.title == title) found = &topic;
  }
  QVERIFY2(found, qPrintable(title));
  QString html = ReadResource(QStringLiteral(":/help/") + found->file);
  QVERIFY2(!html.isEmpty(), qPrintable(found->file));
  QCOMPARE(PageTitle(html), title);
  QVERIFY(html.contains(QStringLiteral("<h1>") + title.toHtmlEscaped() + QStringLiteral("</h1>")));
}

void AboutTest::helpPagesAreAllListed() {
  QSet<QString> listed;
  for (const HelpTopic& topic : HelpTopics()) {
    QVERIFY2(!listed.contains(topic.file), qPrintable(topic.file));
    listed.insert(topic.file);
  }
  QDirIterator it(QStringLiteral(":/help"));
  int pages = 0;
  while (it.hasNext()) {
    QString name = QFileInfo(it.next()).fileName();
    if (!name.endsWith(QLatin1String(".html"))) continue;
    ++pages;
    QVERIFY2(listed.contains(name), qPrintable(name + " is not in the table of contents"));
  }
  QCOMPARE(pages, listed.size());
}

void AboutTest::helpLinksResolve() {
  static const QRegularExpression kLink(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
  int links = 0;
  QDirIterator it(QStringLiteral(":/help"));
  while (it.hasNext()) {
    QString path = it.next();
    if (!path.endsWith(QLatin1String(".html"))) continue;
    QString html = ReadResource(path);
    QUrl base(QStringLiteral("qrc") + path);
    for (auto m = kLink.globalMatch(html); m.hasNext();) {
      QString target = m.next().captured(1);
      QString where = path + QStringLiteral(" -> ") + target;
      QUrl url = base.resolved(QUrl(target));
      QCOMPARE(url.scheme(), QStringLiteral("qrc"));  // the help never leaves the program
      QString file = QLatin1Char(':') + url.path();
      QVERIFY2(QFile::exists(file), qPrintable(where));
      if (url.hasFragment()) {
        QString anchor = url.fragment();
        QString text = ReadResource(file);
        QVERIFY2(text.contains(QStringLiteral("id=\"%1\"").arg(anchor)) ||
                     text.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                 qPrintable(where));
      }
      ++links;
    }
  }
  QVERIFY(links > 60);
}

void AboutTest::helpWindowShowsEveryTopic() {
  HelpWindow* help = m_main->openHelp();
  QVERIFY(QTest::qWaitForWindowExposed(help));
  QTreeWidget* contents = help->contents();
  QTextBrowser* browser = help->browser();
  QCOMPARE(browser->documentTitle(), QStringLiteral("Guida di Curvalis"));
  int shown = 0;
  for (QTreeWidgetItemIterator it(contents); *it; ++it) {
    QString file = (*it)->data(0, Qt::UserRole).toString();
    if (file.isEmpty()) continue;  // a group: "Comandi", "Teoria"
    contents->scrollToItem(*it);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, Qt::NoModifier,
                      contents->visualItemRect(*it).center());
    QCOMPARE(browser->source().fileName(), file);
    QCOMPARE(browser->documentTitle(), (*it)->text(0));
    QVERIFY(browser->toPlainText().size() > 300);
    ++shown;
  }
  QCOMPARE(shown, HelpTopics().size());

  // A click on a link of a page opens its topic and selects it in the table of contents.
  help->showTopic(QStringLiteral("index.html"));
  QVERIFY(ClickLink(browser, QStringLiteral("zeri.html")));
  QCOMPARE(browser->source().toString(), QStringLiteral("qrc:/help/zeri.html"));
  QCOMPARE(contents->currentItem()->text(0), QStringLiteral("Zeri"));
}

void AboutTest::screenshots() {
  if (qEnvironmentVariable("CURVALIS_SCREENSHOTS").isEmpty()) {
    QSKIP("CURVALIS_SCREENSHOTS names no folder");
  }
  m_splash->show();
  QVERIFY(QTest::qWaitForWindowExposed(m_splash));
  Screenshot(m_splash, QStringLiteral("splash"));
  AboutWindow* about = openAbout();
  QVERIFY(QTest::qWaitForWindowExposed(about));
  Screenshot(about, QStringLiteral("about"));
  HelpWindow* help = m_main->openHelp(QStringLiteral("index.html"));
  QVERIFY(QTest::qWaitForWindowExposed(help));
  Screenshot(help, QStringLiteral("help-index"));
  for (const char* page : {"minimi_massimi.html", "concavita.html", "formula.html"}) {
    help->showTopic(QString::fromLatin1(page));
    Screenshot(help, QStringLiteral("help-") + QString::fromLatin1(page).section('.', 0, 0));
  }
}

QTEST_MAIN(AboutTest)
#include "about_test.moc"
