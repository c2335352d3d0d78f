#include "ui/main/canvas_pointer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "ui/common/surface_view.h"

namespace curvalis {
namespace {

// While a drag is under way, Escape pressed anywhere in the program cancels it: the focus stays
// in Funzione, so the key does not come to the drawing.
class EscapeFilter : public QObject {
 public:
  EscapeFilter(QObject* parent, std::function<void()> cancel)
      : QObject(parent), m_cancel(std::move(cancel)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
      return false;
    }
    m_cancel();
    return true;
  }

 private:
  std::function<void()> m_cancel;
};

}  // namespace

CanvasPointer::CanvasPointer(SurfaceView* canvas, std::function<QString(QPointF)> readout)
    : QObject(canvas), m_canvas(canvas), m_readout(std::move(readout)) {
  m_canvas->setMouseTracking(true);
  m_canvas->installEventFilter(this);
  // The controls on the drawing (Funzione and the axis names) cover it: no readout over them.
  for (QWidget* child : m_canvas->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->installEventFilter(this);
  }
}

bool CanvasPointer::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_canvas) {
    if (event->type() == QEvent::Enter && !m_pressed) QToolTip::hideText();
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      // A drag starts on the drawing, not on the margin of an enlarged window.
      if (e->button() != Qt::LeftButton || !m_canvas->drawingRect().contains(e->position())) {
        return false;
      }
      press(m_canvas->toLogical(e->position()));
      return true;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      move(m_canvas->toLogical(e->position()), e->globalPosition(), e->buttons());
      return m_pressed;
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      if (e->button() != Qt::LeftButton || !m_pressed) return false;
      release(m_canvas->toLogical(e->position()));
      return true;
    }
    case QEvent::Leave:
      if (!m_pressed) QToolTip::hideText();
      return false;
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
      // The release may never come: the drag is cancelled.
      if (m_pressed) endPress();
      QToolTip::hideText();
      return false;
    default:
      return false;
  }
}

void CanvasPointer::press(QPointF at) {
  QToolTip::hideText();
  m_pressed = true;
  m_dragging = false;
  m_pressAt = at;
}

void CanvasPointer::move(QPointF at, QPointF global, Qt::MouseButtons buttons) {
  if (!m_pressed) {
    showReadout(at, global);
    return;
  }
  if (!(buttons & Qt::LeftButton)) {
    endPress();  // the release went elsewhere
    showReadout(at, global);
    return;
  }
  const QPointF by = at - m_pressAt;
  if (!m_dragging) {
    // The platform's drag distance is on the screen, whatever the drawing's scale.
    if (by.manhattanLength() * m_canvas->drawingScale() < QApplication::startDragDistance()) {
      return;
    }
    m_dragging = true;
    // Escape cancels: the picture goes back, the view stays.
    m_escape = new EscapeFilter(this, [this] { endPress(); });
    qApp->installEventFilter(m_escape);
    m_canvas->setCursor(Qt::ClosedHandCursor);
  }
  // The picture follows the pointer; nothing is evaluated until the release.
  m_canvas->setPictureShift(by);
}

void CanvasPointer::release(QPointF at) {
  const bool dragged = m_dragging;
  const QPointF by = at - m_pressAt;
  endPress();
  if (dragged) emit this->dragged(by);
}

void CanvasPointer::endPress() {
  if (m_escape) {
    qApp->removeEventFilter(m_escape);
    m_escape->deleteLater();  // it may be the one running now
    m_escape = nullptr;
  }
  if (m_dragging) m_canvas->unsetCursor();
  m_pressed = false;
  m_dragging = false;
  m_canvas->setPictureShift(QPointF());
}

void CanvasPointer::showReadout(QPointF at, QPointF global) {
  const QString text = m_readout ? m_readout(at) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(global.toPoint(), text, m_canvas);
  }
}

}  // namespace curvalis
