#include "analysis/analyses.h"

namespace curvalis {

void mDerivata(CommandContext& ctx) {
  RunCommand(ctx, "mDerivata", [] {});
}

}  // namespace curvalis
