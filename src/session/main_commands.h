// The main window's commands without the window: the view state, the window's evaluation
// server and the commands that read and change them. The window Tervano and the batch mode
// both drive this, so a command gives the same drawing from the menu and from a script.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/command.h"

namespace curvalis {

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

  // Runs one command of the menu "&Calcola" (mGrafico, mZeri, ...) with the text of Funzione
  // as it is now.
  void Run(void (*command)(CommandContext&));
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

  // The seven analyses, in the order every sequence runs them.
  void RunAnalyses();
  // The redraw sequence after a zoom or translation: the graph, then the analyses.
  void Redraw();

  // The start-up axes of the archive's "Seleziona": cleared surface, the start view's axes
  // with every tick, draw width 1, whatever the view state.
  void DrawStartAxes();

 private:
  void Translate(std::string_view name, double stepsX, double stepsY);

  Surface& surface_;
  Host& host_;
  std::function<std::string()> funzione_;
  ViewState view_;
  std::unique_ptr<EvalServer> server_;
};

}  // namespace curvalis
