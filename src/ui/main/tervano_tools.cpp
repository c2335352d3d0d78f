// The main window's commands that open the value, integral and study windows.
#include "ui/main/tervano.h"
#include "ui/study/study_window.h"
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

// The study window is loaded once and kept: closing it only hides it, and its worker (with the
// warm exact engine) lives as long as the main window.
StudyWindow* Tervano::openStudio() {
  if (!m_studio) m_studio = new StudyWindow(m_context, this);
  return m_studio;
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

// "Studio completo": the study of the formula in Funzione now; a study still in progress
// is abandoned for it.
void Tervano::mScheda() {
  m_host.CommandStarted(CommandName(Cmd::mScheda));
  StudyWindow* w = openStudio();
  w->study(m_formula->text());
  ShowModeless(w);
}

}  // namespace curvalis
