#include "analysis/analyses.h"

namespace curvalis {

void mVerticali(CommandContext& ctx) {
  RunCommand(ctx, "mVerticali", [] {});
}

}  // namespace curvalis
