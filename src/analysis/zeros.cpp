#include "analysis/analyses.h"

namespace curvalis {

void mZeri(CommandContext& ctx) {
  RunCommand(ctx, "mZeri", [] {});
}

}  // namespace curvalis
