// The splash window frmSplash, the program's first window.
#pragma once

#include <QWidget>

namespace curvalis {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  // Load: the version and product name, then the main window shown under the splash.
  // Without a parent of its own the splash belongs to the main window, so that the window
  // manager keeps it over the main window and leaves it out of the task bar.
  explicit SplashWindow(QWidget& main, QWidget* parent = nullptr);
  ~SplashWindow() override;

  // Closes the splash and brings the main window forward; later calls do nothing.
  void dismiss();
  bool dismissed() const { return m_dismissed; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createControls();

  QWidget& m_main;
  bool m_dismissed = false;
};

// The largest pixel size, at most `pixelSize` and at least `minPixelSize`, at which `text`
// fits into `width` pixels in `font`. The platform line uses it: the name of the running
// system can be much longer than the label made for it.
int FittingPixelSize(const QFont& font, const QString& text, int width, int pixelSize,
                     int minPixelSize);

}  // namespace curvalis
