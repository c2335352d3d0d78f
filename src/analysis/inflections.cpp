#include "analysis/analyses.h"

namespace curvalis {

void mFlessi(CommandContext& ctx) {
  RunCommand(ctx, "mFlessi", [] {});
}

}  // namespace curvalis
