// The program's own settings, and in them the main window's size and maximised state, kept
// between runs.
#pragma once

#include <QSettings>
#include <QSize>
#include <memory>
#include <optional>

namespace curvalis {

// The program's settings: the file "Curvalis.conf" in the folder that the environment variable
// CURVALIS_CONFIG_DIR names (the tests always set it, so they never touch the user's settings),
// otherwise the user's settings of the organisation and application "Curvalis"
// (~/.config/Curvalis/Curvalis.conf).
std::unique_ptr<QSettings> ProgramSettings();

struct WindowState {
  QSize size;  // the window's normal size, not the maximised one
  bool maximized = false;
};

// The largest side a remembered size may have; anything larger is a damaged file.
inline constexpr int kMaxRememberedSide = 16384;

// The main window's state as the settings keep it; none when they keep none, or when the file
// cannot be read, or the size is no size, smaller than `minimum` or absurdly large. A
// maximised state that is not "true" or "false" reads as not maximised.
std::optional<WindowState> ReadWindowState(QSettings& settings, QSize minimum);
void WriteWindowState(QSettings& settings, const WindowState& state);

}  // namespace curvalis
