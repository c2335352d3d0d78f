#include "core/operation_list.h"

namespace curvalis {

OperationList::OperationList(int widthPx, int heightPx, Rgb background)
    : widthPx_(widthPx), heightPx_(heightPx), background_(background) {}

void OperationList::Replay(SurfaceSink& sink) const {
  sink.OnBackground(background_);
  sink.OnScale(startScale_);
  for (const Op& op : ops_) {
    switch (op.kind) {
      case Op::Kind::Scale:
        sink.OnScale(Scale{op.x1, op.y1, op.x2, op.y2});
        break;
      case Op::Kind::Line:
        sink.OnLine(op.x1, op.y1, op.x2, op.y2, op.color, op.width);
        break;
      case Op::Kind::Point:
        sink.OnPoint(op.x1, op.y1, op.color, op.width);
        break;
      case Op::Kind::Print: {
        const Text& text = texts_[op.print];
        sink.OnPrint(op.x1, op.y1, op.color, text.runs, text.flat);
        break;
      }
    }
  }
}

void OperationList::Erase() {
  // Everything drawn so far is gone from the picture: only what the erase left is kept.
  ops_.clear();
  texts_.clear();
  startScale_ = scale_;
}

void OperationList::OnBackground(Rgb color) {
  background_ = color;
  Erase();
}

void OperationList::OnClear() {
  Erase();
}

void OperationList::OnScale(const Scale& scale) {
  // Every command sets its frame again; the same scale twice changes nothing.
  if (scale == scale_) return;
  scale_ = scale;
  ops_.push_back(Op{Op::Kind::Scale, {}, 1, scale.left, scale.top, scale.right, scale.bottom, 0});
}

void OperationList::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  ops_.push_back(Op{Op::Kind::Line, color, std::uint8_t(width), x1, y1, x2, y2, 0});
}

void OperationList::OnPoint(float x, float y, Rgb color, int width) {
  ops_.push_back(Op{Op::Kind::Point, color, std::uint8_t(width), x, y, 0, 0, 0});
}

void OperationList::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>& runs,
                            const std::string& flat) {
  ops_.push_back(Op{Op::Kind::Print, color, 1, x, y, 0, 0, std::uint32_t(texts_.size())});
  texts_.push_back(Text{runs, flat});
}

}  // namespace curvalis
