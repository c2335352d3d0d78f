// The mouse over the main drawing: the coordinates under the pointer and the drag that moves
// the view. The texts and the view change are the session's; this file hands them the mouse.
#include <QLocale>

#include "ui/main/canvas_pointer.h"
#include "ui/main/tervano.h"

namespace curvalis {

void Tervano::createPointer() {
  auto* pointer = new CanvasPointer(m_canvas, [this](QPointF at) { return coordinateAt(at); });
  connect(pointer, &CanvasPointer::dragged, this, &Tervano::trascina);
}

QString Tervano::coordinateAt(QPointF at) {
  const std::string text = m_readout.Text(funzioneText(), m_commands->view(), at.x(), at.y(),
                                          QLocale().decimalPoint().toStdString());
  m_host.ControlText("Tervano.Coordinate", text);
  return QString::fromStdString(text);
}

void Tervano::trascina(QPointF by) {
  m_commands->Trascina(by.x(), by.y());
}

}  // namespace curvalis
