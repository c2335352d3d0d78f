// A text of the study window shown with its powers as superscripts, which copies as the
// student text it shows: Ctrl+C and the context menu's "Copia" put on the clipboard the whole
// of every line the selection touches (all of it when nothing is selected), as the sheet
// writes it, so that a formula pasted back reads as it was.
#pragma once

#include <QLabel>
#include <QStringList>

namespace curvalis {

class FormulaLabel : public QLabel {
  Q_OBJECT
 public:
  explicit FormulaLabel(QWidget* parent = nullptr);

  // Shows `text` (a student text, its lines one a line).
  void setStudentText(const QString& text);
  const QString& studentText() const { return m_text; }
  // What a copy puts on the clipboard now.
  QString copiedText() const;
  // Copies copiedText() to the clipboard.
  void copy() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QString m_text;
  QStringList m_lines;
  QList<int> m_shownLength;  // the characters each line shows
  int m_offset = 0;          // the positions of the label's text before the first line
};

}  // namespace curvalis
