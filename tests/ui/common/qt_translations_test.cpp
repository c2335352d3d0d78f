// Qt's own texts in the standard dialogs come in Italian once the translation is installed;
// a missing translation file installs nothing.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/common/qt_translations.h"

using namespace curvalis;

class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  // Before anything is installed: a folder without the file changes no text.
  void missingFileInstallsNothing() {
    QTemporaryDir empty;
    QVERIFY(!InstallQtTranslations(empty.path()));
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
  }

  void standardButtonsInItalian_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << "&Annulla";
    // The answer to the question of printing into a PDF file.
    QTest::newRow("Yes") << int(QDialogButtonBox::Yes) << "&Sì";
  }
  void standardButtonsInItalian() {
    QFETCH(int, button);
    QFETCH(QString, text);
    if (!QFileInfo::exists(QtTranslationsFolder() + QStringLiteral("/qtbase_it.qm")))
      QSKIP("Qt's Italian translation (qtbase_it.qm, Debian qt6-translations-l10n) is missing");
    static const bool installed = InstallQtTranslations();
    QVERIFY(installed);
    QDialogButtonBox box{QDialogButtonBox::StandardButton(button)};
    QCOMPARE(box.button(QDialogButtonBox::StandardButton(button))->text().remove('&'),
             text.remove('&'));
  }

  // Qt's own save dialog (never the desktop's, which speaks the desktop's language).
  void fileDialogInItalian() {
    if (!QFileInfo::exists(QtTranslationsFolder() + QStringLiteral("/qtbase_it.qm")))
      QSKIP("Qt's Italian translation (qtbase_it.qm, Debian qt6-translations-l10n) is missing");
    InstallQtTranslations();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList texts;
    for (QLabel* l : dialog.findChildren<QLabel*>()) texts << l->text();
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) texts << b->text().remove('&');
    QVERIFY2(texts.contains(QStringLiteral("Cerca in:")), qPrintable(texts.join('|')));
    QVERIFY2(texts.contains(QStringLiteral("Annulla")), qPrintable(texts.join('|')));
    QVERIFY2(!texts.contains(QStringLiteral("Look in:")), qPrintable(texts.join('|')));
  }
};

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
