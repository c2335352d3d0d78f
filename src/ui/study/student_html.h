// The study's texts on screen: a student text ("e^(−x)·(x² − 3)") set as Qt rich text, its
// powers as superscripts. The text itself stays what the sheet holds: that is what is copied.
#pragma once

#include <QString>
#include <QStringList>

namespace curvalis {

// The rich text of `text`: each power "a^(…)", "a^x", "a^12", "a^−1", "a^|…|" or "a^ln(x)" has
// its exponent (without the parentheses that only delimit it) as a superscript, nested for a
// power in an exponent; the characters special to HTML are escaped; a line break becomes
// "<br>". A "^" followed by no exponent stays as it is. Fractions keep their "/" (Qt's rich
// text sets no stacked fraction inside a line). Superscript digits ("x²") are kept.
QString StudentTextHtml(const QString& text);

// The lines of `lines` that a selection of the shown text touches: the selection starts at
// `start` and holds `length` characters of the text shown, where line i shows shownLength[i]
// characters and each line break one. The whole of every line touched, so that the copy reads
// back; empty when nothing is selected.
QString SelectedStudentLines(const QStringList& lines, const QList<int>& shownLength, int start,
                             int length);

}  // namespace curvalis
