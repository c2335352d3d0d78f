#include "ui/study/formula_label.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTextDocument>
#include <algorithm>

#include "ui/study/student_html.h"

namespace curvalis {

FormulaLabel::FormulaLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
}

void FormulaLabel::setStudentText(const QString& text) {
  m_text = text;
  m_lines = text.split(QLatin1Char('\n'));
  m_shownLength.clear();
  QTextDocument doc;
  for (const QString& line : m_lines) {
    doc.setHtml(StudentTextHtml(line));
    m_shownLength << int(doc.toPlainText().size());
  }
  // A superscript on the first line rises above the line's ascent, past the top of the
  // label's text, where the label cuts it (Qt keeps no top margin of a first paragraph): a
  // small empty paragraph stands above it then, whose two positions a selection skips.
  const bool raised = StudentTextHtml(m_lines.front()).contains(QLatin1String("<sup>"));
  m_offset = raised ? 2 : 0;
  const QString room = raised ? QStringLiteral("<p style=\"margin:0; font-size:%1px\">&nbsp;</p>")
                                    .arg(std::max(2, fontMetrics().ascent() / 3))
                              : QString();
  // Spaces kept as they are written, the lines broken where the label is too narrow.
  setText(room + QStringLiteral("<p style=\"white-space:pre-wrap; margin:0\">") +
          StudentTextHtml(text) + QStringLiteral("</p>"));
}

QString FormulaLabel::copiedText() const {
  if (!hasSelectedText()) return m_text;
  int start = selectionStart() - m_offset;
  int length = int(selectedText().size());
  if (start < 0) {  // from the room above the text
    length += start;
    start = 0;
  }
  return SelectedStudentLines(m_lines, m_shownLength, start, length);
}

void FormulaLabel::copy() const {
  QGuiApplication::clipboard()->setText(copiedText());
}

void FormulaLabel::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    copy();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void FormulaLabel::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Copia"), this, &FormulaLabel::copy);
  menu.addAction(QStringLiteral("Seleziona tutto"), this, [this] {
    int shown = int(m_lines.size()) - 1;  // the line breaks
    for (int n : m_shownLength) shown += n;
    setSelection(m_offset, shown);
  });
  menu.exec(event->globalPos());
}

}  // namespace curvalis
