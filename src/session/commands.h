// Every command of the program in one table: the menu items and the actions of the windows
// that a script may take. Each command's name (the menu action's object name, the batch
// command, the trace's command and the handler's name) is written here alone; the menus, the
// batch mode, the dispatch and the trace all read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/command.h"

namespace curvalis {

enum class Menu : std::uint8_t { None, File, Scala, Zoom, Traslazione, Calcola, Asintoti, MenuBar };

// clang-format off

// The menu items in menu order, and Funzione: the name, the caption, the menu (MenuBar: a plain
// item of the menu bar), the shortcut as Qt writes it, a separator line above the item (or its
// submenu), whether a script may run it (not leaving, the about box or a file dialog), whether
// it takes a value (NAME=TEXT).
#define CURVALIS_MENU_COMMANDS(X)                                                          \
  X(mApri,         "Apri funzione",               File,        "",             0, 1, 0)  \
  X(mSalvaF,       "Salva funzione",              File,        "",             1, 1, 0)  \
  X(mSalva,        "Salva grafico",               File,        "",             0, 1, 0)  \
  X(mSalvaT,       "Salva tutto",                 File,        "",             0, 1, 0)  \
  X(mEsporta,      "Esporta grafico...",          File,        "",             0, 0, 0)  \
  X(mCopia,        "Copia grafico",               File,        "Ctrl+Shift+C", 0, 1, 0)  \
  X(mStampa,       "Stampa grafico",              File,        "",             1, 1, 0)  \
  X(mStampaT,      "Stampa tutto",                File,        "",             0, 1, 0)  \
  X(mEsci,         "Esci",                        File,        "",             1, 0, 0)  \
  X(m1,            "[-0.3,0.3]",                  Scala,       "",             0, 1, 0)  \
  X(m2,            "[-0.6,0.6]",                  Scala,       "",             0, 1, 0)  \
  X(m3,            "[-1.2,1.2]",                  Scala,       "",             0, 1, 0)  \
  X(m4,            "[-1.8,1.8]",                  Scala,       "",             0, 1, 0)  \
  X(m5,            "[-2.4,2.4]",                  Scala,       "",             0, 1, 0)  \
  X(m6,            "[-3,3]",                      Scala,       "",             0, 1, 0)  \
  X(m7,            "[-6,6]",                      Scala,       "",             0, 1, 0)  \
  X(m8,            "[-12,12]",                    Scala,       "",             0, 1, 0)  \
  X(m9,            "[-18,18]",                    Scala,       "",             0, 1, 0)  \
  X(m10,           "[-24,24]",                    Scala,       "",             0, 1, 0)  \
  X(m11,           "[-30,30]",                    Scala,       "",             0, 1, 0)  \
  X(mZoommeno,     "0.5x",                        Zoom,        "F5",           0, 1, 0)  \
  X(mZoompiu,      "2x",                          Zoom,        "F6",           0, 1, 0)  \
  X(mSinistra,     "A sinistra",                  Traslazione, "F1",           0, 1, 0)  \
  X(mDestra,       "A destra",                    Traslazione, "F2",           0, 1, 0)  \
  X(mBasso,        "Verso il basso",              Traslazione, "F3",           0, 1, 0)  \
  X(mAlto,         "Verso l'alto",                Traslazione, "F4",           0, 1, 0)  \
  X(mGrafico,      "Grafico",                     Calcola,     "",             0, 1, 0)  \
  X(mDominio,      "Dominio",                     Calcola,     "",             1, 1, 0)  \
  X(mDerivata,     "Derivata",                    Calcola,     "",             0, 1, 0)  \
  X(mZeri,         "Zeri",                        Calcola,     "",             1, 1, 0)  \
  X(mMinimi,       "Minimi",                      Calcola,     "",             0, 1, 0)  \
  X(mMassimi,      "Massimi",                     Calcola,     "",             0, 1, 0)  \
  X(mFlessi,       "Flessi",                      Calcola,     "",             0, 1, 0)  \
  X(mObliquiP,     "Obliqui\\Orizz.(+Infinito)",  Asintoti,    "",             1, 1, 0)  \
  X(mObliquiM,     "Obliqui\\Orizz.(- Infinito)", Asintoti,    "",             0, 1, 0)  \
  X(mVerticali,    "Verticali",                   Asintoti,    "",             0, 1, 0)  \
  X(mTangente,     "Tangente nei flessi",         Calcola,     "",             0, 1, 0)  \
  X(mStudio,       "Studio rapido",               Calcola,     "",             1, 1, 0)  \
  X(mScheda,       "Studio completo",             Calcola,     "F7",           0, 1, 0)  \
  X(mValore,       "Valore",                      Calcola,     "",             1, 1, 0)  \
  X(mIntegrale,    "Integrale",                   Calcola,     "",             1, 1, 0)  \
  X(mInformazioni, "&Aiuto",                      MenuBar,     "",             0, 0, 0)  \
  X(Funzione,      "",                            None,        "",             0, 1, 1)

// The actions of the windows a script takes beyond the menus: WINDOW.CONTROL, and whether it
// takes a value.
#define CURVALIS_WINDOW_COMMANDS(X)                                                        \
  X(Valore, ValoreX, 1) X(Valore, Uguale, 0)                                               \
  X(Integrale, Superiore, 1) X(Integrale, Inferiore, 1) X(Integrale, Segmenti, 1)          \
  X(Integrale, Uguale, 0) X(Integrale, Diagramma, 0)                                       \
  X(Archivio, Seleziona, 1)                                                                \
  X(Tervano, Punta, 1) X(Tervano, Trascina, 1)

#define CURVALIS_MENU_ID(name, caption, menu, shortcut, separator, script, value) name,
#define CURVALIS_WINDOW_ID(window, control, value) window##control,
// A command by its name: Cmd::mGrafico, Cmd::IntegraleUguale.
enum class Cmd : std::uint8_t {
  CURVALIS_MENU_COMMANDS(CURVALIS_MENU_ID) CURVALIS_WINDOW_COMMANDS(CURVALIS_WINDOW_ID)
};
#undef CURVALIS_MENU_ID
#undef CURVALIS_WINDOW_ID

// clang-format on

struct CommandInfo {
  Cmd id;
  std::string_view name;      // mGrafico, m1, Integrale.Uguale, ...
  std::string_view caption;   // the menu item's text
  Menu menu;                  // where the item stands; None: no menu item
  std::string_view shortcut;  // the window-wide shortcut ("F5", "Ctrl+Shift+C"), empty for none
  bool separatorBefore;
  bool scriptable;  // the batch mode runs it
  bool takesValue;  // the batch mode writes it NAME=TEXT
};

#define CURVALIS_MENU_INFO(name, caption, menu, shortcut, separator, script, value) \
  CommandInfo{Cmd::name, #name, caption, Menu::menu, shortcut, separator, script, value},
#define CURVALIS_WINDOW_INFO(window, control, value) \
  CommandInfo{Cmd::window##control, #window "." #control, "", Menu::None, "", 0, 1, value},
inline constexpr CommandInfo kCommands[] = {CURVALIS_MENU_COMMANDS(CURVALIS_MENU_INFO)
                                                CURVALIS_WINDOW_COMMANDS(CURVALIS_WINDOW_INFO)};
#undef CURVALIS_MENU_INFO
#undef CURVALIS_WINDOW_INFO

constexpr const CommandInfo& CommandOf(Cmd id) {
  return kCommands[static_cast<std::size_t>(id)];
}
constexpr std::string_view CommandName(Cmd id) {
  return CommandOf(id).name;
}

// The command called `name`, or nothing.
constexpr std::optional<Cmd> FindCommand(std::string_view name) {
  for (const CommandInfo& c : kCommands) {
    if (c.name == name) return c.id;
  }
  return std::nullopt;
}

// The analysis a command of the menus "&Calcola" and "Asintoti" runs (mGrafico, mZeri, ...),
// or nullptr for every other command (main_commands.cpp).
using Analysis = void (*)(CommandContext&);
Analysis AnalysisOf(Cmd id);

// The scale preset of m1 .. m11 (1 to 11), which stand together, or 0 for every other command.
constexpr int PresetOf(Cmd id) {
  const int index = static_cast<int>(id) - static_cast<int>(Cmd::m1) + 1;
  return index >= 1 && index <= 11 ? index : 0;
}

}  // namespace curvalis
