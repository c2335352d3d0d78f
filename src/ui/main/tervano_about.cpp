// The main window's command "&Aiuto" and the help it leads to.
#include "ui/about/about_window.h"
#include "ui/main/tervano.h"

namespace curvalis {

void Tervano::mInformazioni() {
  m_host.CommandStarted(CommandName(Cmd::mInformazioni));
  if (!m_about) {
    m_about = new AboutWindow(this);
    connect(m_about, &AboutWindow::helpRequested, this, [this] { openHelp(); });
  }
  m_about->show();
  m_about->raise();
}

HelpWindow* Tervano::openHelp(const QString& file) {
  if (!m_help) m_help = new HelpWindow(this);
  m_help->open(file);
  return m_help;
}

}  // namespace curvalis
