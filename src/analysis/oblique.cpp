#include "analysis/analyses.h"

namespace curvalis {

void mObliquiP(CommandContext& ctx) {
  RunCommand(ctx, "mObliquiP", [] {});
}

void mObliquiM(CommandContext& ctx) {
  RunCommand(ctx, "mObliquiM", [] {});
}

}  // namespace curvalis
