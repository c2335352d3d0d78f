// The main window's commands that open the value and integral windows.
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

namespace curvalis {

ValoreWindow* Tervano::openValore() {
  if (!m_valore) m_valore = new ValoreWindow(*this);
  return m_valore;
}

IntegraleWindow* Tervano::openIntegrale() {
  if (!m_integrale) m_integrale = new IntegraleWindow(*this);
  return m_integrale;
}

void Tervano::mValore() {
  m_host.CommandStarted("mValore");
  openValore();
}

void Tervano::mIntegrale() {
  m_host.CommandStarted("mIntegrale");
  openIntegrale();
}

}  // namespace curvalis
