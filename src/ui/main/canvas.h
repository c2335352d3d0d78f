// The main window's drawing: a widget that shows the persistent picture and repaints from it.
#pragma once

#include <QWidget>

#include "ui/main/image_sink.h"

namespace curvalis {

class Canvas : public QWidget {
  Q_OBJECT
 public:
  Canvas(int widthPx, int heightPx, QWidget* parent = nullptr);
  ImageSink& sink() { return sink_; }

 signals:
  void wheelZoom(bool in);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;

 private:
  ImageSink sink_;
};

}  // namespace curvalis
