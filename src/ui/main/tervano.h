// The main window Tervano: the drawing, the text box Funzione, the axis names and the menus.
// Every command is a slot named after its menu item; the drawing commands are
// MainCommands', the window only hands them the text of Funzione.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMap>
#include <QMenuBar>
#include <QPointer>
#include <memory>

#include "analysis/main_commands.h"
#include "ui/main/app_context.h"
#include "ui/main/canvas.h"

class QAction;
class QMenu;

namespace curvalis {

class ValoreWindow;
class IntegraleWindow;
class ArchivioWindow;
class AboutWindow;

inline constexpr int kClientWidth = 632;   // 9480 twips
inline constexpr int kClientHeight = 434;  // 6510 twips

class Tervano : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tervano(QWidget* parent = nullptr);
  ~Tervano() override;

  MainCommands& commands() { return *m_commands; }
  Surface& surface() { return m_surface; }
  Canvas* canvas() const { return m_canvas; }
  QLineEdit* funzione() const { return m_funzione; }
  QLabel* label1() const { return m_label1; }
  QLabel* label2() const { return m_label2; }
  QLabel* label3() const { return m_label3; }
  std::string funzioneText() const;
  Host& host() { return m_host; }

  // The side windows, loaded on first use (as their menu commands do).
  ValoreWindow* openValore();
  IntegraleWindow* openIntegrale();
  ArchivioWindow* openArchivio();

  // Every menu action by its item name (mGrafico, m1, mZoommeno, ...), for tests and scripts.
  QAction* action(const QString& name) const;
  QMenuBar* menus() const { return menuBar(); }

  // Ends the program at once, without any window's unload.
  static void quitAtOnce();

 public slots:
  // &File
  void mApri();
  void mSalvaF();
  void mSalva();
  void mSalvaT();
  void mStampa();
  void mStampaT();
  void mEsci();
  // [&Xmin, Xmax], &Zoom, &Traslazione
  void preset(int index);
  void mZoommeno();
  void mZoompiu();
  void mSinistra();
  void mDestra();
  void mBasso();
  void mAlto();
  // &Calcola
  void mGrafico();
  void mDominio();
  void mDerivata();
  void mZeri();
  void mMinimi();
  void mMassimi();
  void mFlessi();
  void mObliquiP();
  void mObliquiM();
  void mVerticali();
  void mTangente();
  void mStudio();
  void mValore();
  void mIntegrale();
  // &Aiuto
  void mInformazioni();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createActions();
  void createMenus();
  void createControls();
  void applyBackground(Rgb color);
  QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                   void (Tervano::*slot)(), const QKeySequence& shortcut = {});

  class BackgroundSink;

  Surface m_surface;
  WidgetHost m_host;
  Canvas* m_canvas = nullptr;
  QLineEdit* m_funzione = nullptr;
  QLabel* m_label1 = nullptr;
  QLabel* m_label2 = nullptr;
  QLabel* m_label3 = nullptr;
  std::unique_ptr<BackgroundSink> m_backgroundSink;
  std::unique_ptr<MainCommands> m_commands;
  QMap<QString, QAction*> m_actions;

  QPointer<ValoreWindow> m_valore;
  QPointer<IntegraleWindow> m_integrale;
  QPointer<ArchivioWindow> m_archivio;
  QPointer<AboutWindow> m_about;
};

}  // namespace curvalis
