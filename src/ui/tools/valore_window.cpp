#include "ui/tools/valore_window.h"

#include "ui/main/tervano.h"

namespace curvalis {

ValoreWindow::ValoreWindow(Tervano&, QWidget* parent) : QWidget(parent) {}
ValoreWindow::~ValoreWindow() = default;
void ValoreWindow::setValoreX(const QString&) {}
void ValoreWindow::clickUguale() {}

}  // namespace curvalis
