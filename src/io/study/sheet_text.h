// The sheet's texts on a painter: its font and the lines of the student notation with their
// exponents raised. Shared by the painters of the tables, the graph and the pages.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <string_view>

namespace curvalis::sheet_text {

constexpr qreal kTickFont = 10, kLabelFont = 11, kRaisedFont = 8;  // of the 600-wide box
constexpr qreal kRaise = 4;  // how far an exponent's baseline stands above the line's

QString Q(std::string_view s);

// The sheet's font: a sans-serif that has the student notation's signs (∞, √, ≠, ∪, ′, ″).
QFont SheetFont(qreal pixelSize, bool bold = false);

// The width of a line of the student notation set with its exponents raised.
qreal LabelWidth(const QString& text, bool bold = false, qreal size = kLabelFont);

// Paints a line of the student notation with its baseline at `origin`, its exponents raised.
void DrawLabel(QPainter& p, QPointF origin, const QString& text, bool bold,
               qreal size = kLabelFont);

}  // namespace curvalis::sheet_text
