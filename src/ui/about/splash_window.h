// The splash window frmSplash, the program's first window.
#pragma once

#include <QWidget>

namespace curvalis {

class Tervano;

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  // Load: the version and product name, then the main window shown under the splash.
  explicit SplashWindow(Tervano& main, QWidget* parent = nullptr);
  ~SplashWindow() override;
};

}  // namespace curvalis
