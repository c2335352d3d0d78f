#include "ui/common/layout.h"

#include <QGuiApplication>
#include <QScreen>

namespace curvalis {

void CenterOnScreen(QWidget* window) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  }
}

}  // namespace curvalis
