#include "analysis/analyses.h"

namespace curvalis {

void mDominio(CommandContext& ctx) {
  RunCommand(ctx, "mDominio", [] {});
}

}  // namespace curvalis
