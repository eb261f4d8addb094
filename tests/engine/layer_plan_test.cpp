// The layer plan: the planned walks give the bits of the direct walks, with the same sub-map
// calls, on random stacks of every shape; a plan follows a rebuild and is unused once dropped.
#include "layer_plan.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A random stack: maps, masks, flags, opacities (also negative and above 100 %), flat colours,
// modes inside and outside the table, some runs of one mode, layers out of use.
void RandomStack(FakeStack& s, std::mt19937& rng)
{
    std::uniform_real_distribution<float> unit(-0.25f, 1.25f), percent(-20.0f, 140.0f);
    std::uniform_int_distribution<int> mode(-2, BLEND_MODE_COUNT + 1), coin(0, 9);
    const int n = (int)s.modeList.size();
    int runMode = 0;
    for (int i = 0; i < n; ++i) {
        if (coin(rng) < 8) s.SetMap(i, AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
        if (coin(rng) < 8) s.SetPerturb(i, Point3(unit(rng), unit(rng), unit(rng)));
        if (coin(rng) < 3) s.SetMask(i, AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
        s.mapEnabled[i] = coin(rng) < 8;
        s.maskEnabled[i] = coin(rng) < 7;
        s.mapUsed[i] = coin(rng) < 8;
        s.opasityList[i] = percent(rng);
        s.colorList[i] = Color(unit(rng), unit(rng), unit(rng));
        if (coin(rng) < 6) runMode = mode(rng);
        s.modeList[i] = runMode;
    }
}

OutputSettings RandomOutput(std::mt19937& rng)
{
    std::uniform_real_distribution<float> unit(-0.5f, 1.5f);
    std::uniform_int_distribution<int> coin(0, 1);
    OutputSettings out;
    SetDefaultOutputSettings(out);
    out.Output_on = coin(rng) != 0;
    out.Clamp = coin(rng) != 0;
    out.Mono = (float)coin(rng);
    out.alpha = unit(rng);
    out.bright = unit(rng) + 0.5f;
    out.contrast = unit(rng) + 0.5f;
    out.gamma = coin(rng) ? 1.0f : 0.2f + 2.0f * (unit(rng) + 0.5f);
    out.outputShiftHSV = AColor(100.0f * unit(rng), unit(rng), unit(rng), 0.0f);
    out.outputShiftRGB = AColor(unit(rng) - 0.5f, unit(rng) - 0.5f, unit(rng) - 0.5f, 0.0f);
    return out;
}

TEST(LayerPlan, PlannedWalksGiveTheDirectWalksBitsAndCallsOnRandomStacks)
{
    // FakeStack's Evaluate and EvaluatePerturb compare both walks (fake_access.h).
    std::mt19937 rng(1313);
    for (int trial = 0; trial < 600; ++trial) {
        FakeStack stack(trial % 40);
        RandomStack(stack, rng);
        stack.access.gbufferId = trial % 3;
        if (trial % 7 == 3 && !stack.opasityList.empty()) { // a table one layer short
            stack.opasityList.pop_back();
            stack.ShrinkTables();
        }
        SCOPED_TRACE(trial);
        stack.Evaluate(RandomOutput(rng));
        stack.EvaluatePerturb();
    }
}

TEST(LayerPlan, IsCurrentFromBuildToDropAndFollowsEachRebuild)
{
    LayerPlan plan;
    EXPECT_FALSE(plan.Current());

    FakeStack big(20);
    std::mt19937 rng(7);
    RandomStack(big, rng);
    OutputSettings out;
    SetDefaultOutputSettings(out);
    plan.Build(big.Tables(), out, big.access);
    EXPECT_TRUE(plan.Current());
    plan.Drop();
    EXPECT_FALSE(plan.Current());

    // A smaller stack after a larger one: nothing of the first is left over.
    FakeStack small(2);
    small.colorList[0] = Color(0.25f, 0.5f, 0.75f);
    small.SetMap(1, AColor(1.0f, 1.0f, 1.0f, 1.0f));
    small.opasityList[1] = 50.0f;
    plan.Build(small.Tables(), out, small.access);
    ASSERT_TRUE(plan.Current());
    EXPECT_ACOLOR_EQ(AColor(0.625f, 0.75f, 0.875f, 1.0f), EvalPlannedColor(plan, small.access));

    // No tables at all: opaque black, as the direct walk gives.
    FakeStack none(0);
    plan.Build(none.Tables(), out, none.access);
    EXPECT_ACOLOR_EQ(AColor(0.0f, 0.0f, 0.0f, 1.0f), EvalPlannedColor(plan, none.access));
}

} // namespace
