// A surface sink that keeps every operation, for tests to look at.
#pragma once

#include <string>
#include <vector>

#include "core/command.h"
#include "core/surface.h"

namespace curvalis::testing {

struct Op {
  enum Kind { Background, Clear, Scale, Line, Point, Print } kind = Background;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Scale: left, top, right, bottom; Point/Print: x1, y1
  Rgb color;
  int width = 0;
  std::string text;  // Print: the flat text
};

class Recorder : public SurfaceSink {
 public:
  void OnBackground(Rgb color) override;
  void OnClear() override;
  void OnScale(const curvalis::Scale& scale) override;
  void OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) override;
  void OnPoint(float x, float y, Rgb color, int width) override;
  void OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
               const std::string& flat) override;

  std::vector<Op> ops;
  std::vector<Op> of(Op::Kind kind) const;
  std::vector<Op> lines(Rgb color) const;
  std::vector<Op> points(Rgb color) const;
  std::vector<std::string> prints() const;
  void clear() { ops.clear(); }
};

// A host that keeps the messages and the command names, and counts the cursor.
class RecordingHost : public Host {
 public:
  void SetBusyCursor(bool busy) override { busy ? ++busy_ : --busy_; }
  using Host::Message;
  void Message(std::string_view text, std::string_view detail) override {
    messages.emplace_back(text);
    details.emplace_back(detail);
  }
  void CommandStarted(std::string_view name) override { commands.emplace_back(name); }
  void ControlText(std::string_view control, std::string_view text) override {
    texts.emplace_back(std::string(control) + "=" + std::string(text));
  }
  int busy() const { return busy_; }
  std::vector<std::string> messages, details, commands, texts;

 private:
  int busy_ = 0;
};

// A main surface of 632 x 434 with a recorder, a book and a view: what a command needs.
struct Bench {
  Surface surface{"main", 632, 434};
  Recorder rec;
  RecordingHost host;
  EvalServer server;
  ViewState view;
  Bench() { surface.AddSink(&rec); }
  CommandContext ctx(const std::string& funzione) {
    return CommandContext{surface, server.book(), view, funzione, host};
  }
};

}  // namespace curvalis::testing
