// The value window: f at one point.
#pragma once

#include <QWidget>

namespace curvalis {

class Tervano;

class ValoreWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ValoreWindow(Tervano& main, QWidget* parent = nullptr);
  ~ValoreWindow() override;

  // What a user does: type into ValoreX, press "=".
  void setValoreX(const QString& text);
  void clickUguale();
};

}  // namespace curvalis
