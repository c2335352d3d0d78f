// The integral window: Simpson's rule with the hatched diagram.
#pragma once

#include <QWidget>

namespace curvalis {

class Tervano;

class IntegraleWindow : public QWidget {
  Q_OBJECT
 public:
  explicit IntegraleWindow(Tervano& main, QWidget* parent = nullptr);
  ~IntegraleWindow() override;

  // What a user does: type the limits and the count, press "=", click the diagram.
  void setSuperiore(const QString& text);
  void setInferiore(const QString& text);
  void setSegmenti(const QString& text);
  void clickUguale();
  void clickDiagramma();
};

}  // namespace curvalis
