#include "io/document_container.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace curvalis {
namespace {

std::function<void(const QString&)>& Opener() {
  static std::function<void(const QString&)> opener;
  return opener;
}

}  // namespace

DocumentContainer::DocumentContainer(Content content, QWidget* parent)
    : QFrame(parent), content_(content) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Base));
  setPalette(pal);
}

void DocumentContainer::setOpener(std::function<void(const QString&)> opener) {
  Opener() = std::move(opener);
}

void DocumentContainer::setFile(const QString& path) {
  path_ = path;
  QFileInfo info(path);
  exists_ = info.isFile();
  thumbnail_ = QPixmap();
  if (exists_ && content_ == Content::Picture) {
    QImageReader reader(path);
    QImage image = reader.read();  // an unreadable or damaged picture shows as a missing one
    if (!image.isNull()) {
      const qreal ratio = devicePixelRatioF();
      QSize room = (contentsRect().size() - QSize(2, 2)) * ratio;
      thumbnail_ =
          QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
      thumbnail_.setDevicePixelRatio(ratio);
    }
  }
  setToolTip(QFileInfo(path).fileName());
  update();
}

bool DocumentContainer::openFile() {
  if (path_.isEmpty() || !QFileInfo(path_).isFile()) return false;
  if (Opener()) {
    Opener()(path_);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path_));
  }
  return true;
}

void DocumentContainer::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter p(this);
  const QRect area = contentsRect();
  if (!thumbnail_.isNull()) {
    QSize size = thumbnail_.deviceIndependentSize().toSize();
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    p.drawPixmap(target, thumbnail_);
  } else if (!path_.isEmpty()) {
    // The file's name under the icon that the window shows in the container's upper part.
    p.setPen(palette().color(exists_ ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    QRect below = area.adjusted(2, 0, -2, -2);
    p.drawText(
        below, Qt::AlignHCenter | Qt::AlignBottom,
        fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, below.width()));
  }
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = area.adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
  }
}

void DocumentContainer::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    openFile();
    event->accept();
    return;
  }
  QFrame::mouseDoubleClickEvent(event);
}

void DocumentContainer::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    openFile();
    event->accept();
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace curvalis
