#include "analysis/analyses.h"

namespace curvalis {

void mMinimi(CommandContext& ctx) {
  RunCommand(ctx, "mMinimi", [] {});
}

void mMassimi(CommandContext& ctx) {
  RunCommand(ctx, "mMassimi", [] {});
}

}  // namespace curvalis
