// Window layouts as the program writes them: positions and sizes in twips, windows centred on
// the screen.
#pragma once

#include <QRect>
#include <QWidget>

namespace curvalis {

// 15 twips make one logical pixel (96 dots per inch).
constexpr int Twips(int twips) {
  return twips / 15;
}

// A rectangle given in twips, in logical pixels.
constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

// Places `w` by its layout in twips.
inline void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(TwipsRect(left, top, width, height));
}

// Moves the top-level `window` to the middle of its screen's available area.
void CenterOnScreen(QWidget* window);

}  // namespace curvalis
