#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstring>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/study_engine.h"
#include "ui/about/splash_window.h"
#include "ui/main/tervano.h"

namespace {

// Ends the program at the first paint of the main window: start-up is measured this way.
class QuitOnFirstPaint : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--batch") {
    args.erase(args.begin());
    return curvalis::RunBatch(argc, argv, args);
  }
  bool quitOnPaint = false;
  for (const std::string& a : args) {
    if (a == "--quit-on-first-paint") {
      quitOnPaint = true;
    } else {
      std::fprintf(stderr, "curvalis: unknown argument %s\n", a.c_str());
      std::fprintf(stderr, "usage: curvalis [--quit-on-first-paint] | curvalis --batch ...\n");
      return 2;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Curvalis"));
  QApplication::setApplicationVersion(QStringLiteral(CURVALIS_VERSION_STRING));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.curvalis.Curvalis"));

  curvalis::AppContext context;
  // The study window asks the helper program around the computer algebra system.
  context.setExactEngineFactory(curvalis::MakeProgramExactEngine);
  curvalis::Tervano window(context);
  window.restoreWindowState();
  QuitOnFirstPaint quitter;
  if (quitOnPaint) window.canvas()->installEventFilter(&quitter);
  // The splash's load shows the main window under it.
  auto* splash = new curvalis::SplashWindow(window);
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->show();
  return app.exec();
}
