#include "io/study/sheet_text.h"

#include <QFontMetricsF>
#include <algorithm>
#include <vector>

namespace curvalis::sheet_text {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QFont SheetFont(qreal pixelSize, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  // No ligatures: "fi" stays two letters, so a PDF reader finds "Grafico" and copies it whole.
  f.setStyleStrategy(QFont::PreferNoShaping);
  f.setPixelSize(int(std::lround(pixelSize)));
  f.setBold(bold);
  return f;
}

// --- Lines with raised exponents ---------------------------------------------------------

namespace {

// A piece of a label: its text and how many powers up it stands.
struct Run {
  QString text;
  int level = 0;
};

// The end of the group opened by "(" at text[at], nested groups included; -1 when unclosed.
qsizetype GroupEnd(const QString& text, qsizetype at) {
  int depth = 0;
  for (qsizetype i = at; i < text.size(); ++i) {
    if (text[i] == u'(') ++depth;
    if (text[i] == u')' && --depth == 0) return i + 1;
  }
  return -1;
}

// A label as the student notation writes it, cut into pieces with each power's exponent raised:
// "e^(−2 − √5)" is "e" and, one level up, "−2 − √5" (the parentheses only delimit it);
// "x^4" is "x" and "4".
void SplitRuns(const QString& text, int level, std::vector<Run>& out) {
  QString plain;
  auto flush = [&] {
    if (!plain.isEmpty()) out.push_back({plain, level});
    plain.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'^' || i + 1 >= text.size()) {
      plain += text[i];
      continue;
    }
    qsizetype j = i + 1;
    QString exponent;
    if (text[j] == u'(') {
      const qsizetype close = GroupEnd(text, j);
      if (close < 0) {
        plain += text[i];
        continue;
      }
      exponent = text.mid(j + 1, close - j - 2);
      j = close;
    } else {
      if (text[j] == u'-' || text[j] == u'−') ++j;
      while (j < text.size() && (text[j].isLetterOrNumber() || text[j] == u'.')) ++j;
      exponent = text.mid(i + 1, j - i - 1);
    }
    if (exponent.isEmpty()) {
      plain += text[i];
      continue;
    }
    flush();
    SplitRuns(exponent, level + 1, out);
    i = j - 1;
  }
  flush();
}

// The font of a piece `level` powers up, for a line set at `size`: exponents at 8/11 of it.
QFont RunFont(int level, bool bold, qreal size = kLabelFont) {
  return SheetFont(level == 0 ? size : size * kRaisedFont / kLabelFont, bold);
}

}  // namespace

qreal LabelWidth(const QString& text, bool bold, qreal size) {
  std::vector<Run> runs;
  SplitRuns(text, 0, runs);
  qreal w = 0;
  for (const Run& r : runs)
    w += QFontMetricsF(RunFont(r.level, bold, size)).horizontalAdvance(r.text);
  return w;
}

void DrawLabel(QPainter& p, QPointF origin, const QString& text, bool bold, qreal size) {
  std::vector<Run> runs;
  SplitRuns(text, 0, runs);
  for (const Run& r : runs) {
    const QFont font = RunFont(r.level, bold, size);
    p.setFont(font);
    p.drawText(origin - QPointF(0, kRaise * size / kLabelFont * std::min(r.level, 2)), r.text);
    origin.rx() += QFontMetricsF(font).horizontalAdvance(r.text);
  }
}

}  // namespace curvalis::sheet_text
