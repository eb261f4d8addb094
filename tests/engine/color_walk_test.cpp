// The colour walk of the layer stack: cache protocol, layer 0, masks, skipped layers, Output.
#include "layer_stack.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Calls;

// ---- cache and G-buffer ------------------------------------------------------------------------

TEST(ColorWalkCache, AHitIsReturnedAtOnceEvenIfTheSettingsChanged)
{
    FakeStack stack(2);
    stack.SetMap(0, AColor(0.1f, 0.2f, 0.3f, 1));
    stack.SetMap(1, AColor(0.4f, 0.5f, 0.6f, 1));
    stack.access.gbufferId = 5;
    stack.access.cacheHolds = true;
    stack.access.cached = AColor(0.9f, 0.8f, 0.7f, 0.6f);
    OutputSettings out;
    SetDefaultOutputSettings(out);
    out.Output_on = true;
    out.bright = 3.0f;
    EXPECT_ACOLOR_EQ(AColor(0.9f, 0.8f, 0.7f, 0.6f), stack.Evaluate(out));
    EXPECT_EQ(Calls(1, "get"), stack.access.calls) << "no G-buffer, no sub-map, no second caching";
}

TEST(ColorWalkCache, AMissPassesTheGBufferIdEvaluatesAndStoresTheFinalColour)
{
    FakeStack stack(2);
    stack.SetMap(0, AColor(0.5f, 0.25f, 0.0f, 1));
    stack.SetMap(1, AColor(0.375f, 0.375f, 0.375f, 1));
    stack.access.gbufferId = 7;
    OutputSettings out;
    SetDefaultOutputSettings(out);
    out.Output_on = true;
    out.bright = 2.0f; // the cached colour is the adjusted one
    const AColor result = stack.Evaluate(out);
    EXPECT_ACOLOR_EQ(AColor(0.75f, 0.75f, 0.75f, 1.0f), result);
    const Calls expected = {"get", "gbuffer 7", "color 0", "color 2", "put"};
    EXPECT_EQ(expected, stack.access.calls);
    ASSERT_EQ(1u, stack.access.puts.size());
    EXPECT_ACOLOR_EQ(result, stack.access.puts[0]);
}

TEST(ColorWalkCache, AZeroGBufferIdIsNotPassed)
{
    FakeStack stack(1);
    stack.Evaluate();
    EXPECT_EQ(0, stack.access.CountOf("gbuffer 0"));
    EXPECT_EQ(1, stack.access.CountOf("put"));
}

// ---- empty stack -----------------------------------------------------------------------------

TEST(ColorWalkEmptyStack, ReturnsTheFirstFlatColourUnadjustedAndUncached)
{
    for (int entries = 0; entries < 2; ++entries) {
        FakeStack stack(1);
        stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
        stack.access.maps.resize(entries);
        if (entries) stack.access.maps[0].present = true;
        stack.access.gbufferId = 3;
        OutputSettings out;
        SetDefaultOutputSettings(out);
        out.Output_on = true;
        out.bright = 2.0f;
        EXPECT_ACOLOR_EQ(AColor(0.2f, 0.4f, 0.6f, 1.0f), stack.Evaluate(out));
        const Calls expected = {"get", "gbuffer 3"};
        EXPECT_EQ(expected, stack.access.calls) << entries << " entries";
    }
}

// ---- layer 0 ------------------------------------------------------------------------------------

TEST(ColorWalkBottomLayer, FlatColourWithAlphaOne)
{
    FakeStack stack(1);
    stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
    EXPECT_ACOLOR_EQ(AColor(0.2f, 0.4f, 0.6f, 1.0f), stack.Evaluate());
}

TEST(ColorWalkBottomLayer, SubMapIsWeightedByItsOwnAlpha)
{
    FakeStack stack(1);
    stack.SetMap(0, AColor(0.5f, 0.25f, 1.0f, 0.5f));
    EXPECT_ACOLOR_EQ(AColor(0.25f, 0.125f, 0.5f, 0.25f), stack.Evaluate());
}

TEST(ColorWalkBottomLayer, FlatColourWithAGreyMask)
{
    FakeStack stack(1);
    stack.colorList[0] = Color(0.5f, 0.25f, 1.0f);
    stack.SetMask(0, AColor(0.5f, 0.5f, 0.5f, 0.0f)); // the mask's alpha is ignored
    const float m = (0.5f + 0.5f + 0.5f) * 0.33333334f;
    EXPECT_ACOLOR_EQ(AColor(0.5f * m, 0.25f * m, 1.0f * m, m), stack.Evaluate());
}

TEST(ColorWalkBottomLayer, AMaskReplacesTheMapsAlphaAsTheWeight)
{
    FakeStack stack(1);
    stack.SetMap(0, AColor(0.4f, 0.8f, 0.2f, 0.5f));
    stack.SetMask(0, AColor(0.3f, 0.6f, 0.9f, 0.1f));
    const float m = (0.6f + 0.3f + 0.9f) * 0.33333334f;
    EXPECT_ACOLOR_EQ(AColor(0.4f * m, 0.8f * m, 0.2f * m, 0.5f * m), stack.Evaluate());
    const Calls expected = {"color 0", "color 1"};
    EXPECT_EQ(expected, stack.access.Evaluations()) << "map before mask";
}

TEST(ColorWalkBottomLayer, UsedWhateverItsUsedFlagOpacityAndMode)
{
    FakeStack stack(1);
    stack.SetMap(0, AColor(0.4f, 0.8f, 0.2f, 1.0f));
    stack.mapUsed[0] = 0;
    stack.opasityList[0] = 0.0f;
    stack.modeList[0] = BLEND_MODE_EXACT_DIFFERENCE;
    EXPECT_ACOLOR_EQ(AColor(0.4f, 0.8f, 0.2f, 1.0f), stack.Evaluate());
}

TEST(ColorWalkBottomLayer, DisabledMapAndMaskAreNotEvaluated)
{
    FakeStack stack(1);
    stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
    stack.SetMap(0, AColor(0.9f, 0.9f, 0.9f, 0.5f));
    stack.SetMask(0, AColor(0.5f, 0.5f, 0.5f, 1.0f));
    stack.mapEnabled[0] = 0;
    stack.maskEnabled[0] = 0;
    EXPECT_ACOLOR_EQ(AColor(0.2f, 0.4f, 0.6f, 1.0f), stack.Evaluate());
    EXPECT_TRUE(stack.access.Evaluations().empty());
}

// ---- higher layers ----------------------------------------------------------------------------

TEST(ColorWalkLayers, NormalAtFullOpacityReplacesTheBaseAlphaIncluded)
{
    FakeStack stack(2);
    stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
    stack.SetMap(1, AColor(0.75f, 0.5f, 0.25f, 1.0f));
    EXPECT_ACOLOR_EQ(AColor(0.75f, 0.5f, 0.25f, 1.0f), stack.Evaluate());
    stack.opasityList[1] = 50.0f; // 50 × 0.01 is not exactly 0.5
    const float op = 50.0f * 0.01f;
    const AColor half = stack.Evaluate();
    EXPECT_EQ(0.75f * op + (1.0f - op) * 0.2f, half.r);
}

TEST(ColorWalkLayers, FlatColourWhenTheMapIsDisabledOrMissing)
{
    FakeStack stack(3);
    stack.colorList[1] = Color(0.1f, 0.2f, 0.3f);
    stack.SetMap(1, AColor(0.9f, 0.9f, 0.9f, 1.0f));
    stack.mapEnabled[1] = 0;
    stack.modeList[2] = BLEND_MODE_ADDITIVE; // of a missing map: its flat colour
    stack.colorList[2] = Color(0.25f, 0.25f, 0.25f);
    const AColor result = stack.Evaluate();
    EXPECT_ACOLOR_EQ(AColor(0.1f + 0.25f, 0.2f + 0.25f, 0.3f + 0.25f, 2.0f), result);
    EXPECT_TRUE(stack.access.Evaluations().empty());
}

TEST(ColorWalkLayers, MaskMeanIsTheCoverage)
{
    FakeStack stack(2);
    stack.colorList[0] = Color(0.0f, 0.0f, 0.0f);
    stack.SetMap(1, AColor(1.0f, 1.0f, 1.0f, 0.25f));
    stack.SetMask(1, AColor(0.3f, 0.6f, 0.9f, 0.0f));
    const float a = (0.6f + 0.3f + 0.9f) * 0.33333334f;
    const AColor result = stack.Evaluate();
    EXPECT_EQ(1.0f * a + (1.0f - a) * 0.0f, result.r);
    // Alpha: F = a (the coverage), t = a, a' = a·a + (1 − a)·1.
    EXPECT_EQ(a * a + (1.0f - a) * 1.0f, result.a);
    // A white mask gives full coverage.
    stack.SetMask(1, AColor(1, 1, 1, 0));
    EXPECT_ACOLOR_EQ(AColor(1, 1, 1, 1), stack.Evaluate());
}

TEST(ColorWalkLayers, MaskEnabledWithoutAMaskKeepsTheMapsAlpha)
{
    FakeStack stack(2);
    stack.SetMap(1, AColor(1.0f, 1.0f, 1.0f, 0.5f));
    const AColor result = stack.Evaluate();
    EXPECT_EQ(0.5f, result.r);
    // A flat colour without a mask covers fully.
    stack.access.maps[2].present = false;
    stack.colorList[1] = Color(0.25f, 0.25f, 0.25f);
    EXPECT_EQ(0.25f, stack.Evaluate().r);
}

TEST(ColorWalkLayers, ADisabledMaskIsNotEvaluated)
{
    FakeStack stack(2);
    stack.SetMap(1, AColor(1.0f, 1.0f, 1.0f, 1.0f));
    stack.SetMask(1, AColor(0.0f, 0.0f, 0.0f, 1.0f));
    stack.maskEnabled[1] = 0;
    EXPECT_EQ(1.0f, stack.Evaluate().r);
    EXPECT_EQ(Calls(1, "color 2"), stack.access.Evaluations());
}

TEST(ColorWalkLayers, SkippedLayersEvaluateNothingAndChangeNothing)
{
    FakeStack stack(3);
    stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
    stack.SetMap(1, AColor(0.9f, 0.9f, 0.9f, 1));
    stack.SetMask(1, AColor(1, 1, 1, 1));
    stack.mapUsed[1] = 0;
    stack.SetMap(2, AColor(0.5f, 0.5f, 0.5f, 1));
    stack.modeList[2] = BLEND_MODE_MULTIPLY;
    const AColor result = stack.Evaluate();
    EXPECT_ACOLOR_EQ(AColor(0.1f, 0.2f, 0.3f, 1.0f), result);
    EXPECT_EQ(Calls(1, "color 4"), stack.access.Evaluations());
}

TEST(ColorWalkLayers, LayersComposeBottomUpEachMapAndMaskOnce)
{
    FakeStack stack(4);
    for (int i = 0; i < 4; ++i) {
        stack.SetMap(i, AColor(0.5f, 0.5f, 0.5f, 1));
        stack.SetMask(i, AColor(1, 1, 1, 1));
    }
    stack.modeList[1] = BLEND_MODE_MULTIPLY; // 0.25
    stack.modeList[2] = BLEND_MODE_ADDITIVE; // 0.75
    stack.modeList[3] = BLEND_MODE_MULTIPLY; // 0.375 (the other order would give 0.625)
    const AColor result = stack.Evaluate();
    EXPECT_EQ(0.375f, result.r);
    const Calls expected = {"color 0", "color 1", "color 2", "color 3",
                            "color 4", "color 5", "color 6", "color 7"};
    EXPECT_EQ(expected, stack.access.Evaluations());
}

TEST(ColorWalkLayers, UnknownModesLeaveTheBaseUnchanged)
{
    FakeStack stack(3);
    stack.colorList[0] = Color(0.2f, 0.4f, 0.6f);
    stack.SetMap(1, AColor(0.9f, 0.1f, 0.9f, 1));
    stack.SetMap(2, AColor(0.9f, 0.1f, 0.9f, 1));
    stack.modeList[1] = 35;
    stack.modeList[2] = -1;
    EXPECT_ACOLOR_EQ(AColor(0.2f, 0.4f, 0.6f, 1.0f), stack.Evaluate());
}

TEST(ColorWalkLayers, OpacityAndMaskAreNotClamped)
{
    FakeStack stack(2);
    stack.colorList[0] = Color(0.25f, 0.25f, 0.25f);
    stack.colorList[1] = Color(0.75f, 0.75f, 0.75f);
    stack.opasityList[1] = 200.0f;
    const float op = 200.0f * 0.01f;
    EXPECT_EQ(0.75f * op + (1.0f - op) * 0.25f, stack.Evaluate().r);
    stack.opasityList[1] = 100.0f;
    stack.SetMask(1, AColor(2, 2, 2, 1));
    const float a = (2.0f + 2.0f + 2.0f) * 0.33333334f;
    EXPECT_EQ(0.75f * a + (1.0f - a) * 0.25f, stack.Evaluate().r);
}

// ---- Output stage and mono ----------------------------------------------------------------------

TEST(ColorWalkOutput, OffLeavesTheColourWhateverTheSettings)
{
    FakeStack stack(1);
    stack.colorList[0] = Color(0.3f, 0.6f, 0.9f);
    OutputSettings out;
    SetDefaultOutputSettings(out);
    out.bright = 5.0f;
    out.gamma = 3.0f;
    out.Mono = 1.0f;
    out.Clamp = true;
    out.outputShiftHSV = AColor(90, 1, 1, 0);
    EXPECT_ACOLOR_EQ(AColor(0.3f, 0.6f, 0.9f, 1.0f), stack.Evaluate(out));
}

TEST(ColorWalkOutput, OnAdjustsTheCompositedColour)
{
    FakeStack stack(2);
    stack.colorList[0] = Color(0.25f, 0.25f, 0.25f);
    stack.colorList[1] = Color(0.5f, 0.5f, 0.5f);
    stack.modeList[1] = BLEND_MODE_ADDITIVE; // 0.75 grey, then contrast 2: (0.75 − 0.5)·2 + 0.5
    OutputSettings out;
    SetDefaultOutputSettings(out);
    out.Output_on = true;
    out.contrast = 2.0f;
    EXPECT_ACOLOR_EQ(AColor(1.0f, 1.0f, 1.0f, 2.0f), stack.Evaluate(out));
}

TEST(Mono, MeanOfTheColourInTheHostsOrder)
{
    EXPECT_NEAR(0.6f, MeanOf(AColor(0.3f, 0.6f, 0.9f, 1.0f)), 1e-7f);
    EXPECT_EQ((0.6f + 0.3f + 0.9f) * 0.33333334f, MeanOf(AColor(0.3f, 0.6f, 0.9f, 1.0f)));
    // Added as (g + r) + b: 1e8 + 1 rounds to 1e8, so the sum is 0, not 1.
    EXPECT_EQ(0.0f, MeanOf(AColor(1.0f, 1e8f, -1e8f, 1.0f)));
}

// ---- tables out of step
// --------------------------------------------------------------------------

TEST(ColorWalkTables, ALayerMissingFromAnyTableIsLeftOut)
{
    // Three layers of maps; each table in turn one entry short. The vectors are sized exactly,
    // so the sanitizer build catches any read past an end.
    for (int table = 0; table < 6; ++table) {
        SCOPED_TRACE(table);
        FakeStack stack(3);
        stack.colorList[0] = Color(0.5f, 0.5f, 0.5f);
        stack.SetMap(1, AColor(0.25f, 0.25f, 0.25f, 1));
        stack.SetMap(2, AColor(1.0f, 1.0f, 1.0f, 1));
        switch (table) {
        case 0:
            stack.mapEnabled.pop_back();
            break;
        case 1:
            stack.maskEnabled.pop_back();
            break;
        case 2:
            stack.mapUsed.pop_back();
            break;
        case 3:
            stack.opasityList.pop_back();
            break;
        case 4:
            stack.colorList.pop_back();
            break;
        case 5:
            stack.modeList.pop_back();
            break;
        }
        stack.ShrinkTables();
        EXPECT_ACOLOR_EQ(AColor(0.25f, 0.25f, 0.25f, 1.0f), stack.Evaluate());
        EXPECT_EQ(Calls(1, "color 2"), stack.access.Evaluations());
    }
}

TEST(ColorWalkTables, EmptyOrNullTablesGiveTheEmptyStack)
{
    FakeStack stack(2);
    stack.SetMap(0, AColor(0.9f, 0.9f, 0.9f, 1));
    stack.colorList.clear();
    EXPECT_ACOLOR_EQ(AColor(0, 0, 0, 1), stack.Evaluate());
    EXPECT_TRUE(stack.access.Evaluations().empty());

    FakeStack nulls(2);
    nulls.SetMap(0, AColor(0.9f, 0.9f, 0.9f, 1));
    // A null table with a count is treated as empty.
    const LayerTables t =
        ViewLayerTables(4, FakeStack::View(nulls.mapEnabled), FakeStack::View(nulls.maskEnabled),
                        FakeStack::View(nulls.mapUsed), FakeStack::View(nulls.opasityList),
                        FakeStack::View(nulls.colorList), TableView<int>(nullptr, 2));
    OutputSettings out;
    SetDefaultOutputSettings(out);
    EXPECT_ACOLOR_EQ(AColor(0, 0, 0, 1), EvalLayerColor(t, out, nulls.access));
    EXPECT_TRUE(nulls.access.Evaluations().empty());
}

TEST(ColorWalkTables, MapCountOddOrLargerThanTheTablesIsBounded)
{
    FakeStack stack(2);
    stack.SetMap(1, AColor(0.5f, 0.5f, 0.5f, 1));
    stack.access.maps.resize(5); // an odd count: two whole layers
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.5f, 0.5f, 1), stack.Evaluate());
    stack.access.maps.resize(40); // more map entries than table entries
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.5f, 0.5f, 1), stack.Evaluate());

    // A negative count is an empty stack.
    const TableView<int> two(stack.mapEnabled.data(), 2);
    const TableView<float> opacities(stack.opasityList.data(), 2);
    const TableView<Color> colors(stack.colorList.data(), 2);
    EXPECT_EQ(0, ViewLayerTables(-4, two, two, two, opacities, colors, two).layers);
    EXPECT_EQ(0,
              ViewLayerTables(4, two, two, two, TableView<float>(stack.opasityList.data(), -1),
                              colors, two)
                  .layers);
}

} // namespace
