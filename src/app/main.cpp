#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/study_engine.h"
#include "ui/about/splash_window.h"
#include "ui/common/qt_translations.h"
#include "ui/main/tervano.h"

namespace {

// Runs `then` once, as soon as the event loop is free again after the first paint of the
// watched widget.
class AfterFirstPaint : public QObject {
 public:
  explicit AfterFirstPaint(std::function<void()> then) : m_then(std::move(then)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      QTimer::singleShot(0, qApp, m_then);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> m_then;
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
  // The standard dialogs in Italian; without Qt's translation file they stay in English.
  curvalis::InstallQtTranslations();

  curvalis::AppContext context;
  // The study window asks the helper program around the computer algebra system.
  context.setExactEngineFactory(curvalis::MakeProgramExactEngine);
  curvalis::Tervano window(context);
  window.restoreWindowState();
  // The main window's first frame needs nothing of the splash: the main window is shown and
  // painted first, the splash is built and shown over it right after (its load shows the
  // main window, which is already up).
  bool quitting = false;
  AfterFirstPaint splashAfter([&window, &quitting] {
    if (quitting) return;
    auto* splash = new curvalis::SplashWindow(window);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
  });
  window.canvas()->installEventFilter(&splashAfter);
  // Start-up is measured to the main window's first paint: --quit-on-first-paint ends there,
  // without the splash (the filter installed last sees the paint first, and quit() only
  // posts the end of the event loop).
  AfterFirstPaint quitter([&quitting] {
    quitting = true;
    QCoreApplication::quit();
  });
  if (quitOnPaint) {
    window.canvas()->installEventFilter(&quitter);
    // A measurement keeps the user's remembered window size as it was, and writing it is no
    // part of the start-up.
    window.setSavesWindowState(false);
  }
  window.show();
  return app.exec();
}
