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

DocumentView::DocumentView(Look look, QWidget* parent) : QFrame(parent), look_(look) {
  if (look_ == Look::Thumbnail || look_ == Look::FileName) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
  } else if (look_ == Look::Package) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
  }
}

void DocumentView::setPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void DocumentView::setIcon(const QIcon& icon, const QString& caption) {
  icon_ = icon;
  caption_ = caption;
  update();
}

void DocumentView::setFile(const QString& path) {
  path_ = path;
  QFileInfo info(path);
  exists_ = info.isFile();
  if (look_ == Look::Picture) {
    // The picture stays; the tip names the file only when there is one to open.
    setToolTip(exists_ ? info.fileName() : QString());
    return;
  }
  picture_ = QPixmap();
  if (exists_ && look_ == Look::Thumbnail) {
    QImageReader reader(path);
    QImage image = reader.read();  // an unreadable or damaged picture shows as a missing one
    if (!image.isNull()) {
      const qreal ratio = devicePixelRatioF();
      QSize room = (contentsRect().size() - QSize(2, 2)) * ratio;
      picture_ =
          QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
      picture_.setDevicePixelRatio(ratio);
    }
  }
  setToolTip(info.fileName());
  update();
}

bool DocumentView::activate() {
  if (action_) {
    action_();
    return true;
  }
  if (path_.isEmpty() || !QFileInfo(path_).isFile()) return false;
  if (opener_) {
    opener_(path_);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path_));
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
  switch (look_) {
    case Look::Picture:
      if (picture_.isNull()) return;
      p.setRenderHint(QPainter::SmoothPixmapTransform, true);
      p.drawPixmap(rect(), picture_);
      return;
    case Look::Package: {
      const int iconSize = 32;
      QRect iconRect((width() - iconSize) / 2, 2, iconSize, iconSize);
      icon_.paint(&p, iconRect);
      QRect textRect(0, iconRect.bottom() + 3, width(), height() - iconRect.bottom() - 3);
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, caption_);
      if (hasFocus()) {
        QRect focus = p.fontMetrics().boundingRect(textRect, Qt::AlignHCenter, caption_);
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
  if (!picture_.isNull()) {
    QSize size = picture_.deviceIndependentSize().toSize();
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    p.drawPixmap(target, picture_);
  } else if (!path_.isEmpty()) {
    // The file's name under the icon that the window shows in the upper part.
    p.setPen(palette().color(exists_ ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    QRect below = area.adjusted(2, 0, -2, -2);
    p.drawText(
        below, Qt::AlignHCenter | Qt::AlignBottom,
        fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, below.width()));
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
  if (std::find(keys_.begin(), keys_.end(), event->key()) != keys_.end()) {
    activate();
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace curvalis
