// The main window's commands without the window: the view state, the window's evaluation
// server and the commands that read and change them. The window Tervano and the batch mode
// both drive this, so a command gives the same drawing from the menu and from a script.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/command.h"
#include "session/commands.h"

namespace curvalis {

// The main drawing in logical pixels: 632 across, 434 down.
inline constexpr double kDrawingWidthPx = 632;
inline constexpr double kDrawingHeightPx = 434;

// World units per logical pixel of the view: across (6.4 ScaleUnit in 632 pixels) and down
// (4.8 ScaleUnit in 434 pixels).
inline double PixelWidth(const ViewState& v) {
  return 6.4 * v.ScaleUnit / kDrawingWidthPx;
}
inline double PixelHeight(const ViewState& v) {
  return 4.8 * v.ScaleUnit / kDrawingHeightPx;
}

// The view after the drawing was dragged by dx, dy logical pixels (rightwards and downwards
// positive): the picture follows the pointer, so the view centre moves the other way by as
// many world units, and PresetView is 0. False, and `view` untouched, for a drag that ends
// where it began or one that would carry the centre beyond the finite numbers.
bool DragView(ViewState& view, double dxPixels, double dyPixels);

class MainCommands {
 public:
  // `funzione` reads the text of Funzione at the start of every command.
  MainCommands(Surface& surface, Host& host, std::function<std::string()> funzione);
  ~MainCommands();

  // Load: start view, start axes with every tick, draw width 1, StartEvalServer.
  void Load();
  // Unload: QuitEvalServer.
  void Unload();

  ViewState& view() { return view_; }
  const ViewState& view() const { return view_; }
  Surface& surface() { return surface_; }
  Host& host() { return host_; }
  EvalBook& book();
  // A context for one command, with the current text of Funzione.
  CommandContext Context();

  // The text of Funzione now.
  std::string Funzione() const { return funzione_ ? funzione_() : std::string(); }

  // Runs one analysis of the menus "&Calcola" and "Asintoti" (mGrafico, mZeri, ...) with the
  // text of Funzione as it is now.
  void Run(Cmd command);
  // "Studio rapido": the seven analyses.
  void mStudio();

  // Scale presets m1 .. m11 (index 1 to 11).
  void Preset(int index);
  static double PresetScale(int index);
  // Zoom and translation.
  void mZoommeno();
  void mZoompiu();
  void mSinistra();
  void mDestra();
  void mBasso();
  void mAlto();
  // "Tervano.Trascina": the drawing dragged by dx, dy logical pixels and released. The view
  // moves as DragView says, then the redraw sequence of a translation runs. A drag that
  // DragView refuses is no command: nothing is traced or drawn, and false is returned.
  bool Trascina(double dxPixels, double dyPixels);

  // The seven analyses, in the order every sequence runs them.
  void RunAnalyses();
  // The redraw sequence after a zoom or translation: the graph, then the analyses.
  void Redraw();

  // The start-up axes of the archive's "Seleziona": cleared surface, the start view's axes
  // with every tick, draw width 1, whatever the view state.
  void DrawStartAxes();

 private:
  void Translate(Cmd command, double stepsX, double stepsY);

  Surface& surface_;
  Host& host_;
  std::function<std::string()> funzione_;
  ViewState view_;
  std::unique_ptr<EvalServer> server_;
};

}  // namespace curvalis
