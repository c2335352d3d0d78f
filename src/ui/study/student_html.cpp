#include "ui/study/student_html.h"

namespace curvalis {
namespace {

bool IsLetter(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'π' || c == u'θ';
}

bool IsDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// The index just past the group opened by `open` at text[at], nested groups included; -1 when
// it is never closed. Bars do not nest: a group "|…|" ends at the next bar.
qsizetype GroupEnd(const QString& text, qsizetype at) {
  const QChar open = text[at];
  if (open == u'|') {
    const qsizetype close = text.indexOf(u'|', at + 1);
    return close < 0 ? -1 : close + 1;
  }
  int depth = 0;
  for (qsizetype i = at; i < text.size(); ++i) {
    if (text[i] == u'(') ++depth;
    if (text[i] == u')' && --depth == 0) return i + 1;
  }
  return -1;
}

// The exponent after a "^" at text[at - 1]: its end, and the part shown as superscript
// (without the parentheses that only delimit it). False when no exponent follows.
bool Exponent(const QString& text, qsizetype at, qsizetype* end, QString* shown) {
  qsizetype i = at;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'−' || text[i] == u'+')) ++i;
  if (i >= text.size()) return false;
  const QString sign = text.mid(at, i - at);
  if (text[i] == u'(' || text[i] == u'|') {
    const qsizetype close = GroupEnd(text, i);
    if (close < 0) return false;
    const bool delimiting = text[i] == u'(' && sign.isEmpty();
    *shown = delimiting ? text.mid(i + 1, close - i - 2) : text.mid(at, close - at);
    *end = close;
    return true;
  }
  qsizetype j = i;
  if (IsDigit(text[j])) {
    while (j < text.size() && (IsDigit(text[j]) || text[j] == u'.' || text[j] == u',')) ++j;
    // A decimal point or comma at the end belongs to the text after the power.
    while (text[j - 1] == u'.' || text[j - 1] == u',') --j;
  } else if (IsLetter(text[j])) {
    while (j < text.size() && IsLetter(text[j])) ++j;
    // A function's argument goes up with its name: "e^sin(x)".
    if (j - i > 1 && j < text.size() && text[j] == u'(') {
      const qsizetype close = GroupEnd(text, j);
      if (close > 0) j = close;
    }
  } else {
    return false;
  }
  *shown = text.mid(at, j - at);
  *end = j;
  return true;
}

// & < > and " escaped, a line break as <br>; any other character as it is, with no string
// made for it.
void AppendEscaped(QString& out, QChar c) {
  if (c == u'\n') {
    out += QLatin1String("<br>");
  } else if (c == u'&' || c == u'<' || c == u'>' || c == u'"') {
    out += QString(c).toHtmlEscaped();
  } else {
    out += c;
  }
}

}  // namespace

QString StudentTextHtml(const QString& text) {
  QString out;
  out.reserve(text.size() + 16);
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype end = 0;
    QString shown;
    if (text[i] == u'^' && Exponent(text, i + 1, &end, &shown)) {
      out += QLatin1String("<sup>") + StudentTextHtml(shown) + QLatin1String("</sup>");
      i = end - 1;
    } else {
      AppendEscaped(out, text[i]);
    }
  }
  return out;
}

QString SelectedStudentLines(const QStringList& lines, const QList<int>& shownLength, int start,
                             int length) {
  if (start < 0 || length <= 0) return {};
  QStringList touched;
  int lineStart = 0;
  for (qsizetype i = 0; i < lines.size() && i < shownLength.size(); ++i) {
    const int lineEnd = lineStart + shownLength[i];  // the line break after it at lineEnd
    // A selection of the line break alone touches the line before it.
    if (start <= lineEnd && start + length > lineStart) touched << lines[i];
    lineStart = lineEnd + 1;
  }
  return touched.join(QLatin1Char('\n'));
}

}  // namespace curvalis
