// The dispatch of the registry's commands on the main window.
#include <QMetaObject>
#include <string>
#include <utility>

#include "ui/archive/archivio_window.h"
#include "ui/main/tervano.h"
#include "ui/tools/integrale_window.h"
#include "ui/tools/valore_window.h"

namespace curvalis {
namespace {

using Text = const QString&;  // the value of NAME=TEXT
using Handler = void (*)(Tervano& w, Text value);

// The commands that are neither analyses, presets nor slots of the window.
constexpr std::pair<Cmd, Handler> kHandlers[] = {
    {Cmd::mZoommeno, [](Tervano& w, Text) { w.commands().mZoommeno(); }},
    {Cmd::mZoompiu, [](Tervano& w, Text) { w.commands().mZoompiu(); }},
    {Cmd::mSinistra, [](Tervano& w, Text) { w.commands().mSinistra(); }},
    {Cmd::mDestra, [](Tervano& w, Text) { w.commands().mDestra(); }},
    {Cmd::mBasso, [](Tervano& w, Text) { w.commands().mBasso(); }},
    {Cmd::mAlto, [](Tervano& w, Text) { w.commands().mAlto(); }},
    {Cmd::mStudio, [](Tervano& w, Text) { w.commands().mStudio(); }},
    {Cmd::mEsci, [](Tervano&, Text) { Tervano::quitAtOnce(); }},
    {Cmd::Funzione, [](Tervano& w, Text v) { w.funzione()->setText(v); }},
    {Cmd::ValoreValoreX, [](Tervano& w, Text v) { w.openValore()->setValoreX(v); }},
    {Cmd::ValoreUguale, [](Tervano& w, Text) { w.openValore()->clickUguale(); }},
    {Cmd::IntegraleSuperiore, [](Tervano& w, Text v) { w.openIntegrale()->setSuperiore(v); }},
    {Cmd::IntegraleInferiore, [](Tervano& w, Text v) { w.openIntegrale()->setInferiore(v); }},
    {Cmd::IntegraleSegmenti, [](Tervano& w, Text v) { w.openIntegrale()->setSegmenti(v); }},
    {Cmd::IntegraleUguale, [](Tervano& w, Text) { w.openIntegrale()->clickUguale(); }},
    {Cmd::IntegraleDiagramma, [](Tervano& w, Text) { w.openIntegrale()->clickDiagramma(); }},
    {Cmd::ArchivioSeleziona,
     [](Tervano& w, Text v) {
       ArchivioWindow* a = w.openArchivio();
       a->selectEntry(v);
       a->clickSeleziona();
     }},
};

// The handler of a command of kHandlers, or nullptr.
Handler HandlerOf(Cmd id) {
  for (const auto& [command, handler] : kHandlers) {
    if (command == id) return handler;
  }
  return nullptr;
}

}  // namespace

bool CanRunCommand(const Tervano& w, Cmd id) {
  if (id == Cmd::TervanoPunta || id == Cmd::TervanoTrascina) return false;
  return AnalysisOf(id) || PresetOf(id) || HandlerOf(id) ||
         w.metaObject()->indexOfSlot((std::string(CommandName(id)) + "()").c_str()) >= 0;
}

bool RunCommand(Tervano& w, Cmd id, const QString& value) {
  if (AnalysisOf(id)) {
    w.commands().Run(id);
  } else if (const int preset = PresetOf(id)) {
    w.commands().Preset(preset);
  } else if (Handler handler = HandlerOf(id)) {
    handler(w, value);
  } else if (!CanRunCommand(w, id)) {
    return false;
  } else {
    QMetaObject::invokeMethod(&w, CommandName(id).data());
  }
  return true;
}

}  // namespace curvalis
