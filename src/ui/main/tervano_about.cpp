// The main window's command "&Aiuto".
#include "ui/about/about_window.h"
#include "ui/main/tervano.h"

namespace curvalis {

void Tervano::mInformazioni() {
  m_host.CommandStarted("mInformazioni");
  if (!m_about) m_about = new AboutWindow(this);
  m_about->show();
  m_about->raise();
}

}  // namespace curvalis
