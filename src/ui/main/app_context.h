// What the windows share for the program's life: the batch trace (when there is one), where
// message boxes go, and where printing goes.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "core/command.h"
#include "core/trace.h"

namespace curvalis {

class AppContext {
 public:
  static AppContext& instance();

  // Batch mode: message boxes are written to the trace and to standard error, never shown.
  bool batch = false;
  TraceWriter* trace = nullptr;
  // Print commands print to this PDF file instead of the default printer when it is set.
  QString printToPdf;
  // Replaces the modal message box (tests use it, so that no dialog can block them).
  std::function<void(QWidget* parent, std::string_view text)> messageOverride;

  // A message box with `text`, and `detail` as its informative text when not empty.
  void message(QWidget* parent, std::string_view text, std::string_view detail = {});
  // Adds a trace sink for `surface` when there is a trace; the sink lives as long as the
  // context.
  void attachTrace(Surface& surface);

 private:
  std::vector<std::unique_ptr<TraceSink>> sinks_;
};

// The Host of a window: its hourglass cursor, its message boxes, and the trace.
class WidgetHost : public Host {
 public:
  explicit WidgetHost(QWidget* window) : window_(window) {}
  ~WidgetHost() override;
  void SetBusyCursor(bool busy) override;
  using Host::Message;
  void Message(std::string_view text, std::string_view detail) override;
  void CommandStarted(std::string_view name) override;
  void ControlText(std::string_view control, std::string_view text) override;
  void FileWritten(std::string_view path, bool written) override;

 private:
  QWidget* window_;
  int busy_ = 0;
};

}  // namespace curvalis
