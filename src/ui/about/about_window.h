// The about window "Informazioni su Curvalis": title, version, a short description and the
// package of the help, which a double click opens.
#pragma once

#include <QDialog>

namespace curvalis {

class AboutWindow : public QDialog {
  Q_OBJECT
 public:
  // Load: the caption, the version line and the title. Closing the window (OK, Enter, Esc)
  // unloads it: it deletes itself, and the next "&Aiuto" loads a new one.
  explicit AboutWindow(QWidget* parent = nullptr);
  ~AboutWindow() override;

  // Activating the package OLE1 asks for the help: the main window owns it, so that it stays
  // open when the about window closes.
 signals:
  void helpRequested();

 public:
 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void createControls();
};

}  // namespace curvalis
