// The frame every command that evaluates f runs in, and what the commands share: the
// window's host (cursor, message boxes, command trace), the graph frame and the text frame.
#pragma once

#include <string>
#include <string_view>

#include "core/eval_service.h"
#include "core/surface.h"
#include "core/view_state.h"

namespace curvalis {

inline constexpr std::string_view kMsgFormulaError = "Errore nella formula!";
inline constexpr std::string_view kMsgNotComputable = "Funzione non calcolabile o non definita!";
inline constexpr std::string_view kMsgIntegralFailed =
    "Integrale non calcolabile,variare gli estremi di integrazione!";

// What a window gives its commands besides the drawing: the mouse cursor, modal message
// boxes (title "Curvalis", OK only) and, for the batch trace, the start of each command and
// the texts the program sets into controls.
class Host {
 public:
  virtual ~Host() = default;
  virtual void SetBusyCursor(bool busy) = 0;
  // A message box with `text`; `detail`, when not empty, is shown under it (why a formula was
  // rejected, and where).
  virtual void Message(std::string_view text, std::string_view detail) = 0;
  void Message(std::string_view text) { Message(text, {}); }
  virtual void CommandStarted(std::string_view /*name*/) {}
  virtual void ControlText(std::string_view /*control*/, std::string_view /*text*/) {}
  virtual void FileWritten(std::string_view /*path*/, bool /*written*/) {}
};

// A host that does nothing: for benchmarks and for tests that do not look.
class NullHost : public Host {
 public:
  using Host::Message;
  void SetBusyCursor(bool) override {}
  void Message(std::string_view, std::string_view) override {}
};

// Everything a command of the main window reads and draws on.
struct CommandContext {
  Surface& surface;       // the main window's drawing
  EvalBook& book;         // the window's book
  const ViewState& view;  // read only: only the view commands change it
  std::string funzione;   // the text of Funzione when the command started
  Host& host;
  std::string_view command = {};  // the command's name, which the caller gives (mGrafico, ...)
};

// Sets the hourglass for its lifetime.
class BusyCursor {
 public:
  explicit BusyCursor(Host& host) : host_(host) { host_.SetBusyCursor(true); }
  ~BusyCursor() {
    if (held_) host_.SetBusyCursor(false);
  }
  // The cursor is restored by someone else (the failure path): the guard lets go of it.
  void Dismiss() { held_ = false; }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Host& host_;
  bool held_ = true;
};

// The common failure path: default cursor; for 1004 the message "Errore nella formula!" with
// `detail` (see RejectionDetail) under it; draw width 1 on the main surface; the book closed.
void FormulaErrorHandler(Host& host, Surface& mainSurface, EvalBook& book, int number,
                         std::string_view detail = {});

// FormulaErrorHandler for the failure `e` of a command on the formula `funzione`.
void FormulaErrorHandler(Host& host, Surface& mainSurface, EvalBook& book, const EvalError& e,
                         std::string_view funzione);

// The command frame: the command's name to the host, the hourglass, `body`, and every
// EvalError that `body` throws to FormulaErrorHandler. Nothing escapes.
template <class Body>
void RunCommand(CommandContext& ctx, std::string_view name, Body&& body) {
  ctx.host.CommandStarted(name);
  BusyCursor busy(ctx.host);
  try {
    body();
  } catch (const EvalError& e) {
    busy.Dismiss();
    FormulaErrorHandler(ctx.host, ctx.surface, ctx.book, e, ctx.funzione);
  } catch (...) {
    busy.Dismiss();
    FormulaErrorHandler(ctx.host, ctx.surface, ctx.book, 0);
  }
}
template <class Body>
void RunCommand(CommandContext& ctx, Body&& body) {
  RunCommand(ctx, ctx.command, std::forward<Body>(body));
}

// The graph frame: (OX - 3.2 U, OY + 2.4 U) to (OX + 3.2 U, OY - 2.4 U).
void SetGraphFrame(Surface& surface, const ViewState& view);
// The text frame: (0, 0) to (48, 64).
void SetTextFrame(Surface& surface);
// Places a text line: a white point at (0, row) in the text frame, with the current width.
void PlaceTextLine(Surface& surface, double row);

// A coordinate that a drawing operation takes: a finite number that fits a single.
bool Drawable(double v);

}  // namespace curvalis
