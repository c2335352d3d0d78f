// The baseline of the start-up benchmark: a bare Qt main window of the same size with a menu
// bar, which quits at its first paint as `curvalis --quit-on-first-paint` does.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>

namespace {

class Canvas : public QWidget {
 public:
  Canvas() { setFixedSize(632, 434); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter(this).fillRect(rect(), QColor(192, 192, 192));
    if (!done_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    done_ = true;
  }

 private:
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  for (const char* title : {"&File", "[&Xmin, Xmax]", "&Zoom", "&Traslazione", "&Calcola"}) {
    QMenu* menu = window.menuBar()->addMenu(title);
    for (int i = 0; i < 10; ++i) menu->addAction(QStringLiteral("Item %1").arg(i));
  }
  window.menuBar()->addAction("&Aiuto");
  window.setCentralWidget(new Canvas);
  window.show();
  return app.exec();
}
