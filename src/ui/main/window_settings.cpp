#include "ui/main/window_settings.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "ui/common/layout.h"
#include "ui/main/tervano.h"

namespace curvalis {
namespace {

const QString kSizeKey = QStringLiteral("MainWindow/size");
const QString kMaximizedKey = QStringLiteral("MainWindow/maximized");

}  // namespace

std::unique_ptr<QSettings> ProgramSettings() {
  const QString folder = qEnvironmentVariable("CURVALIS_CONFIG_DIR");
  if (!folder.isEmpty()) {
    return std::make_unique<QSettings>(QDir(folder).filePath(QStringLiteral("Curvalis.conf")),
                                       QSettings::IniFormat);
  }
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("Curvalis"), QStringLiteral("Curvalis"));
}

std::optional<WindowState> ReadWindowState(QSettings& settings, QSize minimum) {
  if (settings.status() != QSettings::NoError) return std::nullopt;
  const QVariant size = settings.value(kSizeKey);
  if (!size.canConvert<QSize>()) return std::nullopt;
  WindowState state;
  state.size = size.toSize();
  if (!state.size.isValid() || state.size.width() < minimum.width() ||
      state.size.height() < minimum.height() || state.size.width() > kMaxRememberedSide ||
      state.size.height() > kMaxRememberedSide) {
    return std::nullopt;
  }
  state.maximized = settings.value(kMaximizedKey).toString() == QLatin1String("true");
  return state;
}

void WriteWindowState(QSettings& settings, const WindowState& state) {
  settings.setValue(kSizeKey, state.size);
  settings.setValue(kMaximizedKey, state.maximized);
  settings.sync();
}

void Tervano::restoreWindowState() {
  std::unique_ptr<QSettings> settings = ProgramSettings();
  const std::optional<WindowState> state = ReadWindowState(*settings, minimumSize());
  if (!state) return;
  QSize size = state->size;
  // A size remembered on a larger screen is cut to this one's free area.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    size = size.boundedTo(screen->availableGeometry().size()).expandedTo(minimumSize());
  }
  resize(size);
  CenterOnScreen(this);
  if (state->maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void Tervano::saveWindowState() const {
  WindowState state;
  state.maximized = isMaximized();
  // Maximised, the size to remember is the one the window goes back to.
  state.size = state.maximized && normalGeometry().isValid() ? normalGeometry().size() : size();
  std::unique_ptr<QSettings> settings = ProgramSettings();
  if (!settings->isWritable()) return;
  WriteWindowState(*settings, state);
}

}  // namespace curvalis
