// The study's texts on screen: powers as superscripts, the rest escaped as it is; what is
// copied is the student text, line by line.
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include "ui/study/formula_label.h"
#include "ui/study/student_html.h"

using namespace curvalis;

class FormulaTextTest : public QObject {
  Q_OBJECT

 private slots:
  void html_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("exponent group, its parentheses dropped") << "e^(−x)"
                                                             << "e<sup>−x</sup>";
    QTest::newRow("bare exponent after a fraction bar") << "(2x − x² + 3)/e^x"
                                                        << "(2x − x² + 3)/e<sup>x</sup>";
    QTest::newRow("nested parentheses inside the exponent") << "e^((x + 1)/(x − 1)) + 1"
                                                            << "e<sup>(x + 1)/(x − 1)</sup> + 1";
    QTest::newRow("a power of a power") << "2^(x^(1/2))"
                                        << "2<sup>x<sup>1/2</sup></sup>";
    QTest::newRow("bar group as exponent") << "e^|x| − 1"
                                           << "e<sup>|x|</sup> − 1";
    QTest::newRow("bar group as base") << "|x − 1|^(1/3)"
                                       << "|x − 1|<sup>1/3</sup>";
    QTest::newRow("signed exponent") << "x^−1 + x^-(x+1)"
                                     << "x<sup>−1</sup> + x<sup>-(x+1)</sup>";
    QTest::newRow("a function goes up with its argument") << "e^sin(x)"
                                                          << "e<sup>sin(x)</sup>";
    QTest::newRow("a lone letter leaves the group after it") << "e^x(x + 1)"
                                                             << "e<sup>x</sup>(x + 1)";
    QTest::newRow("decimal exponent, sentence's full stop stays")
        << "x^2.5 e x^12."
        << "x<sup>2.5</sup> e x<sup>12</sup>.";
    QTest::newRow("typed formula") << "e^(-x)*(x^2-3)"
                                   << "e<sup>-x</sup>*(x<sup>2</sup>-3)";
    QTest::newRow("superscript digits kept") << "(x² − 4x + 1)/(x − 2)²"
                                             << "(x² − 4x + 1)/(x − 2)²";
    QTest::newRow("no formula") << "nessun asintoto obliquo"
                                << "nessun asintoto obliquo";
    QTest::newRow("HTML-special characters") << "x < 2 & f(x) > \"0\""
                                             << "x &lt; 2 &amp; f(x) &gt; &quot;0&quot;";
    QTest::newRow("escaped inside the exponent too") << "2^(a<b)"
                                                     << "2<sup>a&lt;b</sup>";
    QTest::newRow("no exponent after the caret") << "a^ b^(1"
                                                 << "a^ b^(1";
    QTest::newRow("lines") << "f′(x) = 2^x\n  x = 0"
                           << "f′(x) = 2<sup>x</sup><br>  x = 0";
  }
  void html() {
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(StudentTextHtml(text), html);
  }

  // Ctrl+C in the label copies the student text of the lines selected, not the superscripts
  // as shown.
  void copyIsTheStudentText() {
    FormulaLabel label;
    label.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label.setStudentText("f(x) = e^(−x)·(x² − 3)\nf(0) = −3");
    QVERIFY(label.text().contains("<sup>−x</sup>"));
    label.show();
    QGuiApplication::clipboard()->clear();
    // The first line shows 19 characters, after the two positions of the room above it (its
    // superscript would be cut at the label's top); the second line starts at 22.
    struct {
      int start, length;
      const char* copied;
    } rows[] = {{2, 3, "f(x) = e^(−x)·(x² − 3)"},
                {20, 1, "f(x) = e^(−x)·(x² − 3)"},
                {22, 4, "f(0) = −3"},
                {0, 24, "f(x) = e^(−x)·(x² − 3)\nf(0) = −3"}};
    for (const auto& row : rows) {
      label.setSelection(row.start, row.length);
      QTest::keySequence(&label, QKeySequence::Copy);
      QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(row.copied));
    }
    label.setSelection(0, 0);
    QTest::keySequence(&label, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), label.studentText());
  }
};

QTEST_MAIN(FormulaTextTest)
#include "formula_text_test.moc"
