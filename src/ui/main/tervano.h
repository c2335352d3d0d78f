// The main window Tervano: the drawing, the text box Funzione, the axis names and the menus.
// The menus are built from the command table; the drawing commands are MainCommands', the
// window only hands them the text of Funzione. The commands of the menu "&File", the side
// windows and the about box are the window's own.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

#include "session/main_commands.h"
#include "session/pointer_readout.h"
#include "ui/about/help_window.h"
#include "ui/common/app_context.h"
#include "ui/common/surface_view.h"

class QAction;

namespace curvalis {

class ValoreWindow;
class IntegraleWindow;
class ArchivioWindow;
class AboutWindow;
class StudyWindow;

inline constexpr int kClientWidth = 632;   // 9480 twips
inline constexpr int kClientHeight = 434;  // 6510 twips

class Tervano : public QMainWindow {
  Q_OBJECT
 public:
  // Load: start view and axes, the window's evaluation server. `context` outlives the window.
  explicit Tervano(AppContext& context, QWidget* parent = nullptr);
  ~Tervano() override;

  AppContext& context() { return m_context; }
  MainCommands& commands() { return *m_commands; }
  Surface& surface() { return m_surface; }
  WidgetHost& host() { return m_host; }
  std::string funzioneText() const { return m_formula->text().toStdString(); }

  // The controls, by their names in the window.
  SurfaceView* canvas() const { return m_canvas; }
  QLineEdit* funzione() const { return m_formula; }
  QLabel* label1() const { return m_prompt; }
  QLabel* label2() const { return m_xName; }
  QLabel* label3() const { return m_yName; }

  // Every menu action by its item name (mGrafico, m1, mZoommeno, ...), for tests and scripts.
  QAction* action(const QString& name) const;

  // The side windows, loaded on first use (as their menu commands do).
  ValoreWindow* openValore();
  IntegraleWindow* openIntegrale();
  ArchivioWindow* openArchivio();
  StudyWindow* openStudio();
  // The help, at `file` or at the page it shows already (created on first use), brought
  // forward; help() is null while none is open.
  HelpWindow* openHelp(const QString& file = {});
  HelpWindow* help() const { return m_help; }

  // The window's own commands: &File, the side windows of &Calcola, &Aiuto. Each slot is
  // named as its command: the dispatch finds it by the name.
 public slots:
  void mApri();
  void mSalvaF();
  void mSalva();
  void mSalvaT();
  void mEsporta();
  void mCopia();
  void mStampa();
  void mStampaT();
  void mValore();
  void mIntegrale();
  void mScheda();
  void mInformazioni();

 public:
  // The mouse over the drawing (tervano_mouse.cpp). The coordinates for the pointer at logical
  // pixel `at` of the drawing, as the tooltip shows them (empty: no tooltip), also written to
  // the trace as the text of "Tervano.Coordinate"; they change nothing.
  QString coordinateAt(QPointF at);
  // "Tervano.Trascina": the drawing dragged by `by` logical pixels and released.
  void trascina(QPointF by);

  // "Esci": ends the program at once, without any window's unload (the window's size is
  // remembered all the same).
  static void quitAtOnce();

  // The place of a control over the drawing in the drawing's logical pixels, and the controls'
  // font at the drawing's own size: where and how the printed page shows a label, whatever the
  // window's size.
  QRect logicalGeometry(const QWidget* control) const;
  const QFont& controlsFont() const { return m_controlsFont; }

  // The window's size and maximised state from the program's settings, before the window is
  // first shown; without them (missing, unreadable, out of range) it keeps the size of the
  // drawing. The batch mode never reads them.
  void restoreWindowState();
  // Writes the size and maximised state to the program's settings.
  void saveWindowState() const;
  // Whether closing the window writes them (a start-up measurement leaves them alone).
  void setSavesWindowState(bool saves) { m_savesWindowState = saves; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  // The controls over the drawing at their places, scaled with it (fonts too).
  void placeControls();
  void createMenus();
  void createPointer();
  void applyBackground(Rgb color);
  // "Seleziona" of the archive: start axes, then the chosen entry into Funzione.
  void selectFormula(const QString& entry);

  class BackgroundSink;

  AppContext& m_context;
  Surface m_surface;
  WidgetHost m_host;
  SurfaceView* m_canvas = nullptr;
  QLineEdit* m_formula = nullptr;
  QLabel* m_prompt = nullptr;
  QLabel* m_xName = nullptr;
  QLabel* m_yName = nullptr;
  struct Placed {
    QWidget* widget;
    QRect logical;  // in the drawing's logical pixels
  };
  std::vector<Placed> m_placed;
  QFont m_controlsFont;
  bool m_savesWindowState = true;
  std::unique_ptr<BackgroundSink> m_backgroundSink;
  std::unique_ptr<MainCommands> m_commands;
  PointerReadout m_readout;

  QPointer<ValoreWindow> m_valore;
  QPointer<IntegraleWindow> m_integrale;
  QPointer<ArchivioWindow> m_archivio;
  QPointer<AboutWindow> m_about;
  QPointer<StudyWindow> m_studio;
  QPointer<HelpWindow> m_help;
};

// Runs a command of the registry (session/commands.h) as its menu item and the batch mode do:
// the analyses and view commands through MainCommands, the side windows' fields and buttons on
// those windows (opened on first use), Funzione with `value`, every other command through the
// window's slot of the command's name. False for Tervano.Punta and Tervano.Trascina, which the
// batch mode reads itself.
bool RunCommand(Tervano& window, Cmd id, const QString& value = {});
// Whether RunCommand runs `id`: false for the pointer's commands and for a command of the
// registry that has neither a handler nor a slot.
bool CanRunCommand(const Tervano& window, Cmd id);

}  // namespace curvalis
