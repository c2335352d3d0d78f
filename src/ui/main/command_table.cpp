#include "ui/main/command_table.h"

#include <Qt>

#include "analysis/analyses.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

// An analysis of the menu "&Calcola", run with the text of Funzione as it is now.
template <void (*Analysis)(CommandContext&)>
void Analyse(Tervano& w) {
  w.commands().Run(Analysis);
}

// The scale presets m1 .. m11.
template <int Index>
void Preset(Tervano& w) {
  w.commands().Preset(Index);
}

using M = MainMenu;
constexpr int kCtrlShift = int(Qt::ControlModifier) | int(Qt::ShiftModifier);

constexpr MainCommand kCommands[] = {
    {"mApri", "Apri funzione", M::File, 0, false, true, [](Tervano& w) { w.mApri(); }},
    {"mSalvaF", "Salva funzione", M::File, 0, true, true, [](Tervano& w) { w.mSalvaF(); }},
    {"mSalva", "Salva grafico", M::File, 0, false, true, [](Tervano& w) { w.mSalva(); }},
    {"mSalvaT", "Salva tutto", M::File, 0, false, true, [](Tervano& w) { w.mSalvaT(); }},
    // The export asks for a file in a dialog: no script can answer it (--image does its work).
    {"mEsporta", "Esporta grafico...", M::File, 0, false, false, [](Tervano& w) { w.mEsporta(); }},
    {"mCopia", "Copia grafico", M::File, kCtrlShift | Qt::Key_C, false, true,
     [](Tervano& w) { w.mCopia(); }},
    {"mStampa", "Stampa grafico", M::File, 0, true, true, [](Tervano& w) { w.mStampa(); }},
    {"mStampaT", "Stampa tutto", M::File, 0, false, true, [](Tervano& w) { w.mStampaT(); }},
    {"mEsci", "Esci", M::File, 0, true, false, [](Tervano&) { Tervano::quitAtOnce(); }},

    {"m1", "[-0.3,0.3]", M::Scala, 0, false, true, Preset<1>},
    {"m2", "[-0.6,0.6]", M::Scala, 0, false, true, Preset<2>},
    {"m3", "[-1.2,1.2]", M::Scala, 0, false, true, Preset<3>},
    {"m4", "[-1.8,1.8]", M::Scala, 0, false, true, Preset<4>},
    {"m5", "[-2.4,2.4]", M::Scala, 0, false, true, Preset<5>},
    {"m6", "[-3,3]", M::Scala, 0, false, true, Preset<6>},
    {"m7", "[-6,6]", M::Scala, 0, false, true, Preset<7>},
    {"m8", "[-12,12]", M::Scala, 0, false, true, Preset<8>},
    {"m9", "[-18,18]", M::Scala, 0, false, true, Preset<9>},
    {"m10", "[-24,24]", M::Scala, 0, false, true, Preset<10>},
    {"m11", "[-30,30]", M::Scala, 0, false, true, Preset<11>},

    {"mZoommeno", "0.5x", M::Zoom, Qt::Key_F5, false, true,
     [](Tervano& w) { w.commands().mZoommeno(); }},
    {"mZoompiu", "2x", M::Zoom, Qt::Key_F6, false, true,
     [](Tervano& w) { w.commands().mZoompiu(); }},

    {"mSinistra", "A sinistra", M::Traslazione, Qt::Key_F1, false, true,
     [](Tervano& w) { w.commands().mSinistra(); }},
    {"mDestra", "A destra", M::Traslazione, Qt::Key_F2, false, true,
     [](Tervano& w) { w.commands().mDestra(); }},
    {"mBasso", "Verso il basso", M::Traslazione, Qt::Key_F3, false, true,
     [](Tervano& w) { w.commands().mBasso(); }},
    {"mAlto", "Verso l'alto", M::Traslazione, Qt::Key_F4, false, true,
     [](Tervano& w) { w.commands().mAlto(); }},

    {"mGrafico", "Grafico", M::Calcola, 0, false, true, Analyse<mGrafico>},
    {"mDominio", "Dominio", M::Calcola, 0, true, true, Analyse<mDominio>},
    {"mDerivata", "Derivata", M::Calcola, 0, false, true, Analyse<mDerivata>},
    {"mZeri", "Zeri", M::Calcola, 0, true, true, Analyse<mZeri>},
    {"mMinimi", "Minimi", M::Calcola, 0, false, true, Analyse<mMinimi>},
    {"mMassimi", "Massimi", M::Calcola, 0, false, true, Analyse<mMassimi>},
    {"mFlessi", "Flessi", M::Calcola, 0, false, true, Analyse<mFlessi>},
    {"mObliquiP", "Obliqui\\Orizz.(+Infinito)", M::Asintoti, 0, true, true, Analyse<mObliquiP>},
    {"mObliquiM", "Obliqui\\Orizz.(- Infinito)", M::Asintoti, 0, false, true, Analyse<mObliquiM>},
    {"mVerticali", "Verticali", M::Asintoti, 0, false, true, Analyse<mVerticali>},
    {"mTangente", "Tangente nei flessi", M::Calcola, 0, false, true, Analyse<mTangente>},
    {"mStudio", "Studio rapido", M::Calcola, 0, true, true,
     [](Tervano& w) { w.commands().mStudio(); }},
    {"mScheda", "Studio completo", M::Calcola, Qt::Key_F7, false, false,
     [](Tervano& w) { w.mScheda(); }},
    {"mValore", "Valore", M::Calcola, 0, true, true, [](Tervano& w) { w.mValore(); }},
    {"mIntegrale", "Integrale", M::Calcola, 0, true, true, [](Tervano& w) { w.mIntegrale(); }},

    {"mInformazioni", "&Aiuto", M::MenuBar, 0, false, false, [](Tervano& w) { w.mInformazioni(); }},
};

}  // namespace

std::span<const MainCommand> MainCommandTable() {
  return kCommands;
}

const MainCommand* FindMainCommand(std::string_view name) {
  for (const MainCommand& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace curvalis
