#include "io/archivio_window.h"

#include "ui/main/tervano.h"

namespace curvalis {

ArchivioWindow::ArchivioWindow(Tervano&, QWidget* parent) : QWidget(parent) {}
ArchivioWindow::~ArchivioWindow() = default;
bool ArchivioWindow::selectEntry(const QString&) { return false; }
void ArchivioWindow::clickSeleziona() {}

}  // namespace curvalis
