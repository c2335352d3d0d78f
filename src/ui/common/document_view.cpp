#include "ui/common/document_view.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>
#include <algorithm>

namespace curvalis {

DocumentView::DocumentView(Look look, QWidget* parent) : QFrame(parent), m_look(look) {
  if (m_look == Look::Thumbnail || m_look == Look::FileName) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
  } else if (m_look == Look::Package) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
  }
}

void DocumentView::setPicture(const QPixmap& picture) {
  m_picture = picture;
  update();
}

void DocumentView::setIcon(const QIcon& icon, const QString& caption) {
  m_icon = icon;
  m_caption = caption;
  update();
}

void DocumentView::setFile(const QString& path) {
  m_path = path;
  QFileInfo info(path);
  m_exists = info.isFile();
  if (m_look == Look::Picture) {
    // The picture stays; the tip names the file only when there is one to open.
    setToolTip(m_exists ? info.fileName() : QString());
    return;
  }
  m_picture = QPixmap();
  if (m_exists && m_look == Look::Thumbnail) {
    QImageReader reader(path);
    QImage image = reader.read();  // an unreadable or damaged picture shows as a missing one
    if (!image.isNull()) {
      const qreal ratio = devicePixelRatioF();
      QSize room = (contentsRect().size() - QSize(2, 2)) * ratio;
      m_picture =
          QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
      m_picture.setDevicePixelRatio(ratio);
    }
  }
  setToolTip(info.fileName());
  update();
}

bool DocumentView::activate() {
  if (m_action) {
    m_action();
    return true;
  }
  if (m_path.isEmpty() || !QFileInfo(m_path).isFile()) return false;
  if (m_opener) {
    m_opener(m_path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_path));
  }
  return true;
}

void DocumentView::paintFocus(QPainter& p, const QRect& around) {
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = around;
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

void DocumentView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  switch (m_look) {
    case Look::Picture:
      if (m_picture.isNull()) return;
      p.setRenderHint(QPainter::SmoothPixmapTransform, true);
      p.drawPixmap(rect(), m_picture);
      return;
    case Look::Package: {
      const int iconSize = 32;
      QRect iconRect((width() - iconSize) / 2, 2, iconSize, iconSize);
      m_icon.paint(&p, iconRect);
      QRect textRect(0, iconRect.bottom() + 3, width(), height() - iconRect.bottom() - 3);
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, m_caption);
      if (hasFocus()) {
        QRect focus = p.fontMetrics().boundingRect(textRect, Qt::AlignHCenter, m_caption);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(focus.adjusted(-2, 0, 1, 0));
      }
      return;
    }
    case Look::Thumbnail:
    case Look::FileName:
      break;
  }
  const QRect area = contentsRect();
  if (!m_picture.isNull()) {
    QSize size = m_picture.deviceIndependentSize().toSize();
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    p.drawPixmap(target, m_picture);
  } else if (!m_path.isEmpty()) {
    // The file's name under the icon that the window shows in the upper part.
    p.setPen(palette().color(m_exists ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    QRect below = area.adjusted(2, 0, -2, -2);
    p.drawText(
        below, Qt::AlignHCenter | Qt::AlignBottom,
        fontMetrics().elidedText(QFileInfo(m_path).fileName(), Qt::ElideMiddle, below.width()));
  }
  if (hasFocus()) paintFocus(p, area.adjusted(1, 1, -1, -1));
}

void DocumentView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    activate();
    event->accept();
    return;
  }
  QFrame::mouseDoubleClickEvent(event);
}

void DocumentView::keyPressEvent(QKeyEvent* event) {
  if (std::find(m_keys.begin(), m_keys.end(), event->key()) != m_keys.end()) {
    activate();
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace curvalis
