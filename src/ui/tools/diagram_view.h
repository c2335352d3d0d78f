// The picture boxes of the integral window: the diagram, which shows a surface's persistent
// picture and tells its clicks, and the integral sign beside the limits.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "ui/main/image_sink.h"

namespace curvalis {

class DiagramView : public QWidget {
  Q_OBJECT
 public:
  DiagramView(int widthPx, int heightPx, Rgb background, QWidget* parent = nullptr);
  ImageSink& sink() { return m_sink; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  ImageSink m_sink;
};

// The document of the integral window: our integral sign; a double click opens the document
// file beside the program's data when there is one.
class DocumentView : public QWidget {
  Q_OBJECT
 public:
  explicit DocumentView(QWidget* parent = nullptr);
  // The file the double click opens; a path of no file opens nothing.
  void setDocument(const QString& path);
  const QString& document() const { return m_document; }
  const QPixmap& picture() const { return m_picture; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QPixmap m_picture;
  QString m_document;
};

}  // namespace curvalis
