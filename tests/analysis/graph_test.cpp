#include <gtest/gtest.h>

#include "analysis/main_commands.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

TEST(StartPicture, AxesTicksAndLabels) {
  testing::Bench b;
  MainCommands main(b.surface, b.host, [] { return std::string(); });
  main.Load();
  EXPECT_EQ(b.rec.lines(Palette(0)).size(), 2u);
  EXPECT_EQ(b.rec.points(Palette(9)).size(), 13u + 9u);
  auto labels = b.rec.prints();
  ASSERT_EQ(labels.size(), 22u);
  EXPECT_EQ(labels[0], "-3 ");
  EXPECT_EQ(labels[5], "-.5 ");
  EXPECT_EQ(labels[6], " 0 ");
  EXPECT_EQ(labels[7], " .5 ");
  EXPECT_EQ(labels[13 + 4], " 0 ");
  EXPECT_EQ(b.surface.drawWidth(), 1);
}

}  // namespace
}  // namespace curvalis
