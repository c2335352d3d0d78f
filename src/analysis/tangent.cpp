#include "analysis/analyses.h"

namespace curvalis {

void mTangente(CommandContext& ctx) {
  RunCommand(ctx, "mTangente", [] {});
}

}  // namespace curvalis
