// The integral window: Simpson's rule with the hatched diagram.
#pragma once

#include <QWidget>
#include <memory>

#include "core/eval_service.h"
#include "core/surface.h"
#include "ui/common/app_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace curvalis {

class MainCommands;
struct IntegraleContext;
class SurfaceView;
class DocumentView;

class IntegraleWindow : public QWidget {
  Q_OBJECT
 public:
  // Load: the caption from the current text of Funzione, then the window's own server.
  // `parent` is the main window, whose commands `main` are.
  IntegraleWindow(MainCommands& main, AppContext& context, QWidget* parent);
  ~IntegraleWindow() override;

  // What a user does: type the limits and the count, press "=", click the diagram.
  void setSuperiore(const QString& text);
  void setInferiore(const QString& text);
  void setSegmenti(const QString& text);
  void clickUguale();
  void clickDiagramma();

  // The document shown beside the limits: Integrale.doc of the data folder (the opening
  // command sets it every time).
  void loadDocument();

  SurfaceView* diagramma() const { return m_diagrammaView; }
  DocumentView* ole1() const { return m_ole1; }
  QLabel* label3() const { return m_label3; }
  QLineEdit* superiore() const { return m_superiore; }
  QLabel* label1() const { return m_label1; }
  QPushButton* uguale() const { return m_uguale; }
  QLineEdit* area() const { return m_area; }
  QLineEdit* inferiore() const { return m_inferiore; }
  QLabel* label2() const { return m_label2; }
  QComboBox* segmenti() const { return m_segmenti; }
  QLabel* label() const { return m_label; }

 protected:
  // Unload: the window's server quits. A computation in progress keeps the window open.
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  // What a click on "=" or on the diagram works with: the fields' texts as they are now.
  IntegraleContext clickContext();

  MainCommands& m_main;
  WidgetHost m_host;
  Surface m_diagramma;
  std::unique_ptr<EvalServer> m_server;
  bool m_computing = false;

  QLabel* m_label3 = nullptr;
  DocumentView* m_ole1 = nullptr;
  QLineEdit* m_superiore = nullptr;
  QLineEdit* m_text3 = nullptr;
  QLabel* m_label1 = nullptr;
  QPushButton* m_uguale = nullptr;
  QLineEdit* m_area = nullptr;
  QLineEdit* m_inferiore = nullptr;
  QLabel* m_label2 = nullptr;
  QComboBox* m_segmenti = nullptr;
  QLabel* m_label = nullptr;
  SurfaceView* m_diagrammaView = nullptr;
};

}  // namespace curvalis
