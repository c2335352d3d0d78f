#include "session/main_commands.h"

#include "analysis/analyses.h"

#include <cmath>
#include <utility>

namespace curvalis {

bool DragView(ViewState& view, double dxPixels, double dyPixels) {
  if (!std::isfinite(dxPixels) || !std::isfinite(dyPixels)) return false;
  if (dxPixels == 0 && dyPixels == 0) return false;
  // Dragged rightwards the picture shows what lay to the left: the centre moves left. Dragged
  // downwards it shows what lay above (y grows upwards): the centre moves up.
  const double offsetX = view.OffsetX - dxPixels * PixelWidth(view);
  const double offsetY = view.OffsetY + dyPixels * PixelHeight(view);
  if (!std::isfinite(offsetX) || !std::isfinite(offsetY)) return false;
  view.OffsetX = offsetX;
  view.OffsetY = offsetY;
  view.PresetView = 0;
  return true;
}

MainCommands::MainCommands(Surface& surface, Host& host, std::function<std::string()> funzione)
    : surface_(surface), host_(host), funzione_(std::move(funzione)) {}

MainCommands::~MainCommands() = default;

void MainCommands::Load() {
  view_ = ViewState{};
  surface_.SetScale(-3.2, 2.4, 3.2, -2.4);
  DrawAxes(surface_, view_, 2, true);
  surface_.SetDrawWidth(1);
  server_ = StartEvalServer();
}

void MainCommands::Unload() {
  QuitEvalServer(server_);
}

EvalBook& MainCommands::book() {
  if (!server_) server_ = StartEvalServer();
  return server_->book();
}

CommandContext MainCommands::Context() {
  return CommandContext{surface_, book(), view_, Funzione(), host_};
}

Analysis AnalysisOf(Cmd id) {
  static constexpr std::pair<Cmd, Analysis> kAnalyses[] = {
      {Cmd::mGrafico, mGrafico},     {Cmd::mDominio, mDominio},   {Cmd::mDerivata, mDerivata},
      {Cmd::mZeri, mZeri},           {Cmd::mMinimi, mMinimi},     {Cmd::mMassimi, mMassimi},
      {Cmd::mFlessi, mFlessi},       {Cmd::mObliquiP, mObliquiP}, {Cmd::mObliquiM, mObliquiM},
      {Cmd::mVerticali, mVerticali}, {Cmd::mTangente, mTangente}};
  for (const auto& [command, analysis] : kAnalyses) {
    if (command == id) return analysis;
  }
  return nullptr;
}

void MainCommands::Run(Cmd command) {
  CommandContext ctx = Context();
  ctx.command = CommandName(command);
  AnalysisOf(command)(ctx);
}

void MainCommands::RunAnalyses() {
  for (Cmd command : {Cmd::mMinimi, Cmd::mMassimi, Cmd::mFlessi, Cmd::mZeri, Cmd::mObliquiP,
                      Cmd::mObliquiM, Cmd::mVerticali}) {
    Run(command);
  }
}

void MainCommands::mStudio() {
  host_.CommandStarted(CommandName(Cmd::mStudio));
  RunAnalyses();
}

void MainCommands::Redraw() {
  Run(Cmd::mGrafico);
  RunAnalyses();
}

double MainCommands::PresetScale(int index) {
  static constexpr double kScales[] = {0.1, 0.2, 0.4, 0.6, 0.8, 1, 2, 4, 6, 8, 10};
  if (index < 1 || index > 11) return 1;
  return kScales[index - 1];
}

void MainCommands::Preset(int index) {
  if (index < 1 || index > 11) return;
  host_.CommandStarted(CommandName(static_cast<Cmd>(static_cast<int>(Cmd::m1) + index - 1)));
  view_.ScaleUnit = PresetScale(index);
  view_.PresetView = 1;
  view_.OffsetX = 0;
  view_.OffsetY = 0;
  Run(Cmd::mGrafico);
}

void MainCommands::mZoommeno() {
  host_.CommandStarted(CommandName(Cmd::mZoommeno));
  view_.ScaleUnit = view_.ScaleUnit * 2;
  view_.PresetView = 0;
  if (view_.ScaleUnit <= 10) {
    Redraw();
  } else {
    view_.ScaleUnit = view_.ScaleUnit / 2;
  }
}

void MainCommands::mZoompiu() {
  host_.CommandStarted(CommandName(Cmd::mZoompiu));
  view_.ScaleUnit = view_.ScaleUnit * 0.5;
  view_.PresetView = 0;
  if (view_.ScaleUnit >= 0.1) {
    Redraw();
  } else {
    view_.ScaleUnit = view_.ScaleUnit * 2;
  }
}

// A translation moves the view centre the other way from the graph: 3 ScaleUnit across,
// 2 ScaleUnit up or down.
void MainCommands::Translate(Cmd command, double stepsX, double stepsY) {
  host_.CommandStarted(CommandName(command));
  view_.PresetView = 0;
  view_.OffsetX = view_.OffsetX + stepsX * view_.ScaleUnit;
  view_.OffsetY = view_.OffsetY + stepsY * view_.ScaleUnit;
  Redraw();
}

void MainCommands::mSinistra() {
  Translate(Cmd::mSinistra, 3, 0);
}
void MainCommands::mDestra() {
  Translate(Cmd::mDestra, -3, 0);
}
void MainCommands::mBasso() {
  Translate(Cmd::mBasso, 0, 2);
}
void MainCommands::mAlto() {
  Translate(Cmd::mAlto, 0, -2);
}

bool MainCommands::Trascina(double dxPixels, double dyPixels) {
  ViewState moved = view_;
  if (!DragView(moved, dxPixels, dyPixels)) return false;
  host_.CommandStarted(CommandName(Cmd::TervanoTrascina));
  view_ = moved;
  Redraw();
  return true;
}

void MainCommands::DrawStartAxes() {
  surface_.Clear();
  surface_.SetScale(-3.2, 2.4, 3.2, -2.4);
  DrawAxes(surface_, ViewState{}, 2, true);
  surface_.SetDrawWidth(1);
}

}  // namespace curvalis
