// Scale presets, zooms, translations and the quick study, through the recorded drawing.
#include <gtest/gtest.h>

#include "analysis/analyses.h"
#include "session/main_commands.h"
#include "support/main_bench.h"
#include "support/recorder.h"

namespace curvalis {
namespace {

using testing::Op;

using Main = testing::MainBench;

const std::vector<std::string> kRedraw = {"mGrafico", "mMinimi",   "mMassimi",  "mFlessi",
                                          "mZeri",    "mObliquiP", "mObliquiM", "mVerticali"};

TEST(Zoom, InStepsDownToTheBoundThenRefuses) {
  Main m;
  for (double expected : {0.5, 0.25, 0.125}) {
    m.main.mZoompiu();
    EXPECT_EQ(m.view().ScaleUnit, expected);
  }
  m.b.rec.clear();
  m.b.host.commands.clear();
  m.main.mZoompiu();
  EXPECT_EQ(m.view().ScaleUnit, 0.125);
  EXPECT_EQ(m.view().PresetView, 0);
  EXPECT_TRUE(m.b.rec.ops.empty());
  EXPECT_EQ(m.b.host.commands, std::vector<std::string>{"mZoompiu"});
}

TEST(Zoom, OutStepsUpToTheBoundThenRefuses) {
  Main m;
  for (double expected : {2.0, 4.0, 8.0}) {
    m.main.mZoommeno();
    EXPECT_EQ(m.view().ScaleUnit, expected);
  }
  m.b.rec.clear();
  m.main.mZoommeno();
  EXPECT_EQ(m.view().ScaleUnit, 8);
  EXPECT_TRUE(m.b.rec.ops.empty());
}

TEST(Zoom, BoundsAfterPresets) {
  struct Case {
    int preset;
    bool zoomIn;
    double expected;
  };
  const Case cases[] = {
      {11, false, 10},  // "[-30,30]": "0.5x" refused at once
      {1, true, 0.1},   // "[-0.3,0.3]": "2x" refused at once
      {2, true, 0.1},   // from 0.2 "2x" reaches the bound, which is inside
      {10, false, 8},   // 16 is refused
  };
  for (const Case& c : cases) {
    Main m;
    m.main.Preset(c.preset);
    c.zoomIn ? m.main.mZoompiu() : m.main.mZoommeno();
    EXPECT_EQ(m.view().ScaleUnit, c.expected) << c.preset;
    EXPECT_EQ(m.view().PresetView, 0);
  }
}

TEST(Zoom, RefusedZoomAfterPresetDropsTheCentreLabels) {
  Main m;
  m.main.Preset(11);
  m.main.mZoommeno();  // refused
  m.b.rec.clear();
  m.main.Run(Cmd::mGrafico);
  EXPECT_EQ(m.b.rec.points(Palette(9)).size(), 12u + 8u);
}

TEST(Zoom, KeepsTheCentre) {
  Main m;
  m.main.mSinistra();
  m.main.mZoommeno();
  EXPECT_EQ(m.view().OffsetX, 3);
  EXPECT_EQ(m.view().ScaleUnit, 2);
}

TEST(Translation, EachDirectionMovesTheCentreAndRedraws) {
  struct Case {
    void (MainCommands::*command)();
    const char* name;
    double dx, dy;
  };
  const Case cases[] = {
      {&MainCommands::mSinistra, "mSinistra", 3, 0},
      {&MainCommands::mDestra, "mDestra", -3, 0},
      {&MainCommands::mBasso, "mBasso", 0, 2},
      {&MainCommands::mAlto, "mAlto", 0, -2},
  };
  for (const Case& c : cases) {
    Main m;
    m.main.Preset(7);  // ScaleUnit 2: the steps are 6 and 4
    m.b.host.commands.clear();
    (m.main.*c.command)();
    EXPECT_EQ(m.view().OffsetX, 2 * c.dx) << c.name;
    EXPECT_EQ(m.view().OffsetY, 2 * c.dy) << c.name;
    EXPECT_EQ(m.view().PresetView, 0);
    std::vector<std::string> expected = {c.name};
    expected.insert(expected.end(), kRedraw.begin(), kRedraw.end());
    EXPECT_EQ(m.b.host.commands, expected);
  }
}

TEST(Translation, LeftFromTheStartView) {
  Main m;
  m.main.mSinistra();
  auto scales = m.b.rec.of(Op::Scale);
  ASSERT_FALSE(scales.empty());
  EXPECT_FLOAT_EQ(scales[0].x1, -0.2f);
  EXPECT_FLOAT_EQ(scales[0].x2, 6.2f);
  // The vertical axis at x = 3; the x labels 0 to 6 without 3.
  auto axes = m.b.rec.lines(Palette(0));
  ASSERT_GE(axes.size(), 2u);
  EXPECT_EQ(axes[1].x1, 3);
  EXPECT_EQ(axes[1].x2, 3);
  std::vector<std::string> xLabels;
  auto ops = m.b.rec.ops;
  for (std::size_t i = 0; i + 1 < ops.size(); ++i) {
    if (ops[i].kind == Op::Point && ops[i].color == Palette(9) && ops[i].y1 == 0 &&
        ops[i + 1].kind == Op::Print) {
      xLabels.push_back(ops[i + 1].text);
    }
  }
  EXPECT_EQ(xLabels, (std::vector<std::string>{" 0 ", " .5 ", " 1 ", " 1.5 ", " 2 ", " 2.5 ",
                                               " 3.5 ", " 4 ", " 4.5 ", " 5 ", " 5.5 ", " 6 "}));
}

TEST(Preset, AfterTranslationsBackToTheOriginWithTheGraphAlone) {
  Main m;
  m.main.mSinistra();
  m.main.mBasso();
  m.b.host.commands.clear();
  m.main.Preset(7);
  EXPECT_EQ(m.view().OffsetX, 0);
  EXPECT_EQ(m.view().OffsetY, 0);
  EXPECT_EQ(m.view().ScaleUnit, 2);
  EXPECT_EQ(m.view().PresetView, 1);
  EXPECT_EQ(m.b.host.commands, (std::vector<std::string>{"m7", "mGrafico"}));
}

TEST(Preset, ElevenScales) {
  const double scales[] = {0.1, 0.2, 0.4, 0.6, 0.8, 1, 2, 4, 6, 8, 10};
  for (int i = 1; i <= 11; ++i) EXPECT_EQ(MainCommands::PresetScale(i), scales[i - 1]);
}

TEST(RejectedFormula, EachCommandOfASequenceReportsOnce) {
  Main m;
  m.funzione = "";
  m.main.mSinistra();
  EXPECT_EQ(m.b.host.messages.size(), 8u);
  EXPECT_EQ(m.view().OffsetX, 3);  // the view keeps its new values
  m.b.host.messages.clear();
  m.main.mStudio();
  EXPECT_EQ(m.b.host.messages, std::vector<std::string>(7, "Errore nella formula!"));
  EXPECT_EQ(m.b.host.busy(), 0);
  EXPECT_EQ(m.b.surface.drawWidth(), 1);
}

TEST(Studio, RunsTheSevenAnalysesOnWhateverIsShown) {
  Main m;
  m.main.mStudio();
  std::vector<std::string> expected = {"mStudio"};
  expected.insert(expected.end(), kRedraw.begin() + 1, kRedraw.end());
  EXPECT_EQ(m.b.host.commands, expected);
  EXPECT_TRUE(m.b.rec.of(Op::Background).empty());  // neither clears nor redraws
}

TEST(Studio, TwicePrintsEveryListingTwiceInTheSamePlaces) {
  Main m;
  m.main.Run(Cmd::mGrafico);
  m.b.rec.clear();
  m.main.mStudio();
  auto first = m.b.rec.of(Op::Print);
  m.b.rec.clear();
  m.main.mStudio();
  auto second = m.b.rec.of(Op::Print);
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].text, second[i].text);
    EXPECT_EQ(first[i].x1, second[i].x1);
    EXPECT_EQ(first[i].y1, second[i].y1);
  }
}

}  // namespace
}  // namespace curvalis
