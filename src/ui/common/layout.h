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

// Names `w` and places it by its layout in twips; returns `w`.
template <class W>
W* PlaceNamed(W* w, const char* name, int left, int top, int width, int height) {
  w->setObjectName(QLatin1String(name));
  PlaceTwips(w, left, top, width, height);
  return w;
}

// Moves the top-level `window` to the middle of its screen's available area.
void CenterOnScreen(QWidget* window);

// Where a window whose frame is `frame` big goes beside the main window's frame `main` inside
// the screen's available `area`: right of it, else left of it (top edges level), else below
// it, else above it (left edges level); where none of these fits, it is kept on the screen at
// the side with more room.
QPoint BesidePosition(const QRect& main, const QSize& frame, const QRect& area);

// Moves the top-level `window`, not yet shown, beside the top-level `main`.
void PlaceBeside(QWidget* window, QWidget* main);

}  // namespace curvalis
