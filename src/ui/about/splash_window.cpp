#include "ui/about/splash_window.h"

#include "ui/main/tervano.h"

namespace curvalis {

SplashWindow::SplashWindow(Tervano& main, QWidget* parent) : QWidget(parent) { main.show(); }
SplashWindow::~SplashWindow() = default;

}  // namespace curvalis
