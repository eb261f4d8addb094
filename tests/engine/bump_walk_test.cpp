// The bump walk: where it follows the colour walk and where its own rules differ.
#include "layer_stack.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Calls;

TEST(BumpWalk, EmptyStackGivesZeroAfterPassingTheGBufferId)
{
    for (int entries = 0; entries < 2; ++entries) {
        FakeStack stack(1);
        stack.access.maps.resize(entries);
        stack.access.gbufferId = 4;
        EXPECT_POINT3_EQ(Point3(0.0f, 0.0f, 0.0f), stack.EvaluatePerturb());
        EXPECT_EQ(Calls(1, "gbuffer 4"), stack.access.calls);
    }
}

TEST(BumpWalk, NeverUsesTheCache)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.5f, 0.25f, -0.5f));
    stack.access.cacheHolds = true;
    stack.access.cached = AColor(9, 9, 9, 9);
    EXPECT_POINT3_EQ(Point3(0.0f, 0.0f, 0.0f), stack.EvaluatePerturb())
        << "layer 1 in use without a map flattens the bump below";
    EXPECT_EQ(0, stack.access.CountOf("get"));
    EXPECT_EQ(0, stack.access.CountOf("put"));
    EXPECT_EQ(0, stack.access.CountOf("gbuffer 0"));
}

TEST(BumpWalk, SingleLayerIsItsPerturbationTimesItsMaskWeight)
{
    FakeStack stack(1);
    stack.SetPerturb(0, Point3(0.5f, 0.25f, -1.0f));
    stack.SetMask(0, AColor(0.3f, 0.6f, 0.9f, 0.0f));
    stack.mapUsed[0] = 0;
    stack.opasityList[0] = 0.0f;
    stack.modeList[0] = BLEND_MODE_EXACT_DIFFERENCE;
    const float m = (0.6f + 0.3f + 0.9f) * 0.33333334f;
    EXPECT_POINT3_EQ(Point3(0.5f * m, 0.25f * m, -1.0f * m), stack.EvaluatePerturb());
    const Calls expected = {"perturb 0", "color 1"};
    EXPECT_EQ(expected, stack.access.Evaluations()) << "sub-map before mask, mask as a colour";

    stack.mapEnabled[0] = 0;
    EXPECT_POINT3_EQ(Point3(0.0f, 0.0f, 0.0f), stack.EvaluatePerturb());
}

TEST(BumpWalk, FlatColoursAndTheMapsColourPlayNoPart)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.5f, 0.25f, -1.0f));
    stack.access.maps[0].color = AColor(0.0f, 0.0f, 0.0f, 0.0f); // its alpha is not a weight
    stack.colorList[0] = Color(0.9f, 0.9f, 0.9f);
    stack.colorList[1] = Color(0.7f, 0.1f, 0.3f);
    stack.opasityList[1] = 0.0f;
    EXPECT_POINT3_EQ(Point3(0.5f, 0.25f, -1.0f), stack.EvaluatePerturb());
}

TEST(BumpWalk, NormalWithHalfMaskWeighsTheLayerTwice)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.5f, -0.25f, 1.0f));
    stack.SetPerturb(1, Point3(1.0f, 0.5f, -0.5f));
    stack.SetMask(1, AColor(0.5f, 0.5f, 0.5f, 1.0f));
    const float a = (0.5f + 0.5f + 0.5f) * 0.33333334f;
    ASSERT_EQ(0.5f, a);
    // 0.25·P + 0.5·b
    EXPECT_POINT3_EQ(Point3(0.25f + 0.25f, 0.125f - 0.125f, -0.125f + 0.5f),
                     stack.EvaluatePerturb());
}

TEST(BumpWalk, ModesCombineTheMaskedPerturbation)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.5f, 0.25f, 0.75f));
    stack.SetPerturb(1, Point3(0.5f, 0.5f, 0.5f));
    stack.modeList[1] = BLEND_MODE_MULTIPLY;
    EXPECT_POINT3_EQ(Point3(0.25f, 0.125f, 0.375f), stack.EvaluatePerturb());
    stack.modeList[1] = BLEND_MODE_SUBTRACTIVE; // b − P
    EXPECT_POINT3_EQ(Point3(0.0f, -0.25f, 0.25f), stack.EvaluatePerturb());
    stack.modeList[1] = BLEND_MODE_SUBTRACTION; // the same
    EXPECT_POINT3_EQ(Point3(0.0f, -0.25f, 0.25f), stack.EvaluatePerturb());
    stack.modeList[1] = BLEND_MODE_RGB_GREEN; // y alone
    EXPECT_POINT3_EQ(Point3(0.5f, 0.5f, 0.75f), stack.EvaluatePerturb());
}

TEST(BumpWalk, ScreenHsvAndUnknownModesGiveExactlyNormal)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.5f, -0.25f, 0.75f));
    stack.SetPerturb(1, Point3(0.3f, 0.9f, -0.4f));
    stack.SetMask(1, AColor(0.2f, 0.7f, 0.4f, 1.0f));
    stack.opasityList[1] = 37.0f;
    const Point3 normal = stack.EvaluatePerturb();
    const int modes[] = {BLEND_MODE_SCREEN,
                         BLEND_MODE_HUE,
                         BLEND_MODE_SATURATION,
                         BLEND_MODE_LUMINANCE,
                         BLEND_MODE_COLOR,
                         35,
                         -7};
    for (int mode : modes) {
        stack.modeList[1] = mode;
        EXPECT_POINT3_EQ(normal, stack.EvaluatePerturb()) << mode;
    }
}

TEST(BumpWalk, ZeroOpacityLeavesTheBaseInEveryModeButExactDifference)
{
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        if (mode == BLEND_MODE_EXACT_DIFFERENCE) continue;
        FakeStack stack(2);
        stack.SetPerturb(0, Point3(0.5f, 0.25f, 0.75f));
        stack.SetPerturb(1, Point3(0.3f, 0.9f, 0.4f));
        stack.opasityList[1] = 0.0f;
        stack.modeList[1] = mode;
        EXPECT_POINT3_EQ(Point3(0.5f, 0.25f, 0.75f), stack.EvaluatePerturb()) << mode;
    }
}

TEST(BumpWalk, ExactDifferenceExamples)
{
    FakeStack stack(2);
    stack.SetPerturb(0, Point3(0.2f, 0.0f, 0.0f));
    stack.SetMask(1, AColor(0.5f, 0.5f, 0.5f, 1.0f)); // a = 0.5, no map: P = 0
    stack.opasityList[1] = 10.0f;
    stack.modeList[1] = BLEND_MODE_EXACT_DIFFERENCE;
    EXPECT_POINT3_EQ(Point3(0.5f * 0.2f + 0.5f, 0.5f, 0.5f), stack.EvaluatePerturb());

    stack.SetPerturb(0, Point3(0.05f, 0.0f, 0.0f));
    const float g = (0.0f + 0.05f + 0.0f) * 0.33333334f;
    EXPECT_POINT3_EQ(Point3(0.5f * 0.05f + 0.5f * g, 0.5f * g, 0.5f * g), stack.EvaluatePerturb());

    // Without a mask: b − P whatever the opacity.
    FakeStack full(2);
    full.SetPerturb(0, Point3(0.5f, 0.0f, 0.5f));
    full.SetPerturb(1, Point3(0.25f, 0.5f, -0.5f));
    full.modeList[1] = BLEND_MODE_EXACT_DIFFERENCE;
    full.opasityList[1] = 3.0f;
    EXPECT_POINT3_EQ(Point3(0.25f, -0.5f, 1.0f), full.EvaluatePerturb());
}

TEST(BumpWalk, SkippedLayersEvaluateNothing)
{
    FakeStack stack(3);
    stack.SetPerturb(0, Point3(0.5f, 0.25f, 0.75f));
    stack.SetPerturb(1, Point3(9.0f, 9.0f, 9.0f));
    stack.SetMask(1, AColor(1, 1, 1, 1));
    stack.mapUsed[1] = 0;
    stack.SetPerturb(2, Point3(0.5f, 0.5f, 0.5f));
    stack.modeList[2] = BLEND_MODE_ADDITIVE;
    EXPECT_POINT3_EQ(Point3(1.0f, 0.75f, 1.25f), stack.EvaluatePerturb());
    const Calls expected = {"perturb 0", "perturb 4"};
    EXPECT_EQ(expected, stack.access.Evaluations());
}

TEST(BumpWalk, ALayerMissingFromAnyTableIsLeftOut)
{
    for (int table = 0; table < 6; ++table) {
        SCOPED_TRACE(table);
        FakeStack stack(3);
        stack.SetPerturb(0, Point3(0.5f, 0.25f, 0.75f));
        stack.SetPerturb(1, Point3(0.25f, 0.25f, 0.25f));
        stack.modeList[1] = BLEND_MODE_ADDITIVE;
        stack.SetPerturb(2, Point3(1.0f, 1.0f, 1.0f));
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
        EXPECT_POINT3_EQ(Point3(0.75f, 0.5f, 1.0f), stack.EvaluatePerturb());
    }
}

} // namespace
