// The about window "Informazioni su Curvalis".
#pragma once

#include <QDialog>

namespace curvalis {

class AboutWindow : public QDialog {
  Q_OBJECT
 public:
  explicit AboutWindow(QWidget* parent = nullptr);
  ~AboutWindow() override;
};

}  // namespace curvalis
