// The main window's commands of the menu "&File" that read and write files.
#include "io/archivio_window.h"
#include "ui/main/tervano.h"

namespace curvalis {

ArchivioWindow* Tervano::openArchivio() {
  if (!m_archivio) m_archivio = new ArchivioWindow(*this);
  return m_archivio;
}

void Tervano::mApri() {
  m_host.CommandStarted("mApri");
  openArchivio();
}

void Tervano::mSalvaF() { m_host.CommandStarted("mSalvaF"); }
void Tervano::mSalva() { m_host.CommandStarted("mSalva"); }
void Tervano::mSalvaT() { m_host.CommandStarted("mSalvaT"); }
void Tervano::mStampa() { m_host.CommandStarted("mStampa"); }
void Tervano::mStampaT() { m_host.CommandStarted("mStampaT"); }

}  // namespace curvalis
