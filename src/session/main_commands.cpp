#include "session/main_commands.h"

#include "analysis/analyses.h"

#include <cmath>

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

void MainCommands::Run(void (*command)(CommandContext&)) {
  CommandContext ctx = Context();
  command(ctx);
}

void MainCommands::RunAnalyses() {
  for (auto* command : {curvalis::mMinimi, curvalis::mMassimi, curvalis::mFlessi, curvalis::mZeri,
                        curvalis::mObliquiP, curvalis::mObliquiM, curvalis::mVerticali}) {
    Run(command);
  }
}

void MainCommands::mStudio() {
  host_.CommandStarted("mStudio");
  RunAnalyses();
}

void MainCommands::Redraw() {
  Run(curvalis::mGrafico);
  RunAnalyses();
}

double MainCommands::PresetScale(int index) {
  static constexpr double kScales[] = {0.1, 0.2, 0.4, 0.6, 0.8, 1, 2, 4, 6, 8, 10};
  if (index < 1 || index > 11) return 1;
  return kScales[index - 1];
}

void MainCommands::Preset(int index) {
  static constexpr const char* kNames[] = {"m1", "m2", "m3", "m4",  "m5", "m6",
                                           "m7", "m8", "m9", "m10", "m11"};
  if (index < 1 || index > 11) return;
  host_.CommandStarted(kNames[index - 1]);
  view_.ScaleUnit = PresetScale(index);
  view_.PresetView = 1;
  view_.OffsetX = 0;
  view_.OffsetY = 0;
  Run(curvalis::mGrafico);
}

void MainCommands::mZoommeno() {
  host_.CommandStarted("mZoommeno");
  view_.ScaleUnit = view_.ScaleUnit * 2;
  view_.PresetView = 0;
  if (view_.ScaleUnit <= 10) {
    Redraw();
  } else {
    view_.ScaleUnit = view_.ScaleUnit / 2;
  }
}

void MainCommands::mZoompiu() {
  host_.CommandStarted("mZoompiu");
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
void MainCommands::Translate(std::string_view name, double stepsX, double stepsY) {
  host_.CommandStarted(name);
  view_.PresetView = 0;
  view_.OffsetX = view_.OffsetX + stepsX * view_.ScaleUnit;
  view_.OffsetY = view_.OffsetY + stepsY * view_.ScaleUnit;
  Redraw();
}

void MainCommands::mSinistra() {
  Translate("mSinistra", 3, 0);
}
void MainCommands::mDestra() {
  Translate("mDestra", -3, 0);
}
void MainCommands::mBasso() {
  Translate("mBasso", 0, 2);
}
void MainCommands::mAlto() {
  Translate("mAlto", 0, -2);
}

bool MainCommands::Trascina(double dxPixels, double dyPixels) {
  ViewState moved = view_;
  if (!DragView(moved, dxPixels, dyPixels)) return false;
  host_.CommandStarted("Tervano.Trascina");
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
