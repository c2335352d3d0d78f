#include "ui/about/about_window.h"

namespace curvalis {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {}
AboutWindow::~AboutWindow() = default;

}  // namespace curvalis
