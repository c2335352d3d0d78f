#include "ui/tools/integrale_window.h"

#include "ui/main/tervano.h"

namespace curvalis {

IntegraleWindow::IntegraleWindow(Tervano&, QWidget* parent) : QWidget(parent) {}
IntegraleWindow::~IntegraleWindow() = default;
void IntegraleWindow::setSuperiore(const QString&) {}
void IntegraleWindow::setInferiore(const QString&) {}
void IntegraleWindow::setSegmenti(const QString&) {}
void IntegraleWindow::clickUguale() {}
void IntegraleWindow::clickDiagramma() {}

}  // namespace curvalis
