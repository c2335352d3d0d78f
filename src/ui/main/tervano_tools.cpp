// The main window's commands that open the value and integral windows.
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

namespace curvalis {

// Loads the value window if it is not loaded. A closed window is gone (it is deleted on
// close), so the next command loads it afresh.
ValoreWindow* Tervano::openValore() {
  if (!m_valore) m_valore = new ValoreWindow(*m_commands, m_context, this);
  return m_valore;
}

IntegraleWindow* Tervano::openIntegrale() {
  if (!m_integrale) m_integrale = new IntegraleWindow(*m_commands, m_context, this);
  return m_integrale;
}

namespace {

// Shows a side window modeless; one already open is only brought forward.
void ShowModeless(QWidget* w) {
  if (w->isVisible()) {
    w->raise();
    w->activateWindow();
    return;
  }
  w->show();
}

}  // namespace

void Tervano::mValore() {
  m_host.CommandStarted(CommandName(Cmd::mValore));
  ShowModeless(openValore());
}

void Tervano::mIntegrale() {
  m_host.CommandStarted(CommandName(Cmd::mIntegrale));
  IntegraleWindow* w = openIntegrale();
  w->loadDocument();
  ShowModeless(w);
}

}  // namespace curvalis
