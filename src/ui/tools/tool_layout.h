// What the value and integral windows share: their fonts and their window frame.
#pragma once

#include <QFont>
#include <QWidget>

#include "ui/common/layout.h"

namespace curvalis {

// The windows' sans-serif at a point size (8 points where the layout gives none).
QFont ToolFont(qreal pointSize = 8);

// Gives `w` the window's face at `pointSize`, or its narrow face where `text` would not fit
// the control's width.
void FitText(QWidget* w, const QString& text, qreal pointSize = 8);

// A fixed-size side window with a close button and no minimize or maximize button.
void MakeFixedToolWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips);

}  // namespace curvalis
