#include "support/recorder.h"

namespace curvalis::testing {

void Recorder::OnBackground(Rgb color) {
  Op op;
  op.kind = Op::Background;
  op.color = color;
  ops.push_back(op);
}

void Recorder::OnClear() {
  Op op;
  op.kind = Op::Clear;
  ops.push_back(op);
}

void Recorder::OnScale(const curvalis::Scale& s) {
  Op op;
  op.kind = Op::Scale;
  op.x1 = s.left;
  op.y1 = s.top;
  op.x2 = s.right;
  op.y2 = s.bottom;
  ops.push_back(op);
}

void Recorder::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  Op op;
  op.kind = Op::Line;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.color = color;
  op.width = width;
  ops.push_back(op);
}

void Recorder::OnPoint(float x, float y, Rgb color, int width) {
  Op op;
  op.kind = Op::Point;
  op.x1 = x;
  op.y1 = y;
  op.color = color;
  op.width = width;
  ops.push_back(op);
}

void Recorder::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>&,
                       const std::string& flat) {
  Op op;
  op.kind = Op::Print;
  op.x1 = x;
  op.y1 = y;
  op.color = color;
  op.text = flat;
  ops.push_back(op);
}

std::vector<Op> Recorder::of(Op::Kind kind) const {
  std::vector<Op> out;
  for (const Op& op : ops) {
    if (op.kind == kind) out.push_back(op);
  }
  return out;
}

std::vector<Op> Recorder::lines(Rgb color) const {
  std::vector<Op> out;
  for (const Op& op : ops) {
    if (op.kind == Op::Line && op.color == color) out.push_back(op);
  }
  return out;
}

std::vector<Op> Recorder::points(Rgb color) const {
  std::vector<Op> out;
  for (const Op& op : ops) {
    if (op.kind == Op::Point && op.color == color) out.push_back(op);
  }
  return out;
}

std::vector<std::string> Recorder::prints() const {
  std::vector<std::string> out;
  for (const Op& op : ops) {
    if (op.kind == Op::Print) out.push_back(op.text);
  }
  return out;
}

}  // namespace curvalis::testing
