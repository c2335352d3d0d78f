// The main window's commands on a recording bench: loaded with x^3-3*x, the start drawing and
// its trace cleared, so a test sees only what it runs.
#pragma once

#include <string>

#include "session/main_commands.h"
#include "support/recorder.h"

namespace curvalis::testing {

struct MainBench {
  Bench b;
  std::string funzione = "x^3-3*x";
  MainCommands main{b.surface, b.host, [this] { return funzione; }};
  MainBench() {
    main.Load();
    b.rec.clear();
    b.host.commands.clear();
  }
  ViewState& view() { return main.view(); }
};

}  // namespace curvalis::testing
