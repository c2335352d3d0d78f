// What the value and integral windows share: layouts in twips and their fonts.
#pragma once

#include <QFont>
#include <QWidget>

namespace curvalis {

// Places `w` by its layout in twips (15 twips to a logical pixel).
inline void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(left / 15, top / 15, width / 15, height / 15);
}

// The windows' sans-serif at a point size (8 points where the layout gives none).
QFont ToolFont(qreal pointSize = 8);

// Gives `w` the window's face at `pointSize`, or its narrow face where `text` would not fit
// the control's width.
void FitText(QWidget* w, const QString& text, qreal pointSize = 8);

// A fixed-size side window with a close button and no minimize or maximize button.
void MakeFixedToolWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips);

}  // namespace curvalis
