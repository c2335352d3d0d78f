// The value window: f at one point.
#pragma once

#include <QWidget>
#include <memory>

#include "core/eval_service.h"
#include "ui/common/app_context.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace curvalis {

class MainCommands;

class ValoreWindow : public QWidget {
  Q_OBJECT
 public:
  // Load: the caption from the current text of Funzione, then the window's own server.
  // `parent` is the main window, whose commands `main` are.
  ValoreWindow(MainCommands& main, AppContext& context, QWidget* parent);
  ~ValoreWindow() override;

  // What a user does: type into ValoreX, press "=".
  void setValoreX(const QString& text);
  void clickUguale();

  QLabel* label1() const { return m_label1; }
  QLineEdit* valoreX() const { return m_valoreX; }
  QLabel* label2() const { return m_label2; }
  QPushButton* uguale() const { return m_uguale; }
  QLineEdit* valoreY() const { return m_valoreY; }

 protected:
  // Unload: the window's server quits.
  void closeEvent(QCloseEvent* event) override;

 private:
  MainCommands& m_main;
  WidgetHost m_host;
  std::unique_ptr<EvalServer> m_server;
  QLabel* m_label1 = nullptr;
  QLineEdit* m_valoreX = nullptr;
  QLabel* m_label2 = nullptr;
  QPushButton* m_uguale = nullptr;
  QLineEdit* m_valoreY = nullptr;
};

}  // namespace curvalis
