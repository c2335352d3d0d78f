#include "ui/common/layout.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace curvalis {

void CenterOnScreen(QWidget* window) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  }
}

QPoint BesidePosition(const QRect& main, const QSize& frame, const QRect& area) {
  auto fits = [&](QPoint at) { return area.contains(QRect(at, frame)); };
  // The edges level with the main window's where the screen allows.
  const int top = std::max(area.top(), std::min(main.top(), area.bottom() + 1 - frame.height()));
  const int left = std::max(area.left(), std::min(main.left(), area.right() + 1 - frame.width()));
  const QPoint candidates[] = {
      {main.right() + 1, top},              // right
      {main.left() - frame.width(), top},   // left
      {left, main.bottom() + 1},            // below
      {left, main.top() - frame.height()},  // above
  };
  for (QPoint at : candidates) {
    if (fits(at)) return at;
  }
  const bool rightHasMore = area.right() - main.right() >= main.left() - area.left();
  const int x = rightHasMore ? area.right() + 1 - frame.width() : area.left();
  return QPoint(std::max(area.left(), x), top);
}

void PlaceBeside(QWidget* window, QWidget* main) {
  QScreen* screen = main->screen();
  if (!screen) return;
  // The window has no frame before it is shown: it will get one like the main window's.
  const QRect mainFrame = main->frameGeometry();
  const QRect mainClient = main->geometry();
  const QSize frame(window->width() + mainFrame.width() - mainClient.width(),
                    window->height() + mainFrame.height() - mainClient.height());
  window->move(BesidePosition(mainFrame, frame, screen->availableGeometry()));
}

}  // namespace curvalis
