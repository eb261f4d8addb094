// The fast paths give the very bits of the direct ones: the HSV conversions against the
// conversions written plainly with branches, and walks whose runs fill more than one part of
// the plan-less walk against the rules applied one layer after another.
#include "layer_stack.h"

#include "fake_access.h"
#include "hsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// ---- HSV: the conversions as their definitions read, one branch per case -----------------------

AColor PlainColorToHsv(const AColor& c)
{
    float max = c.r;
    if (c.g > max) max = c.g;
    if (c.b > max) max = c.b;
    float min = c.r;
    if (c.g < min) min = c.g;
    if (c.b < min) min = c.b;
    if (max == 0.0f) return AColor(-1.0f, 0.0f, max, c.a);
    const float delta = max - min;
    const float s = delta / max;
    if (delta == 0.0f) return AColor(0.0f, s, max, c.a);
    float h;
    if (c.r == max)
        h = ((c.g - c.b) / delta) * 60.0f;
    else if (c.g == max)
        h = ((c.b - c.r) / delta + 2.0f) * 60.0f;
    else
        h = ((c.r - c.g) / delta + 4.0f) * 60.0f;
    if (h < 0.0f) h = h + 360.0f;
    return AColor(h, s, max, c.a);
}

AColor PlainHsvToColor(const AColor& hsv)
{
    const float h = hsv.r, s = hsv.g, v = hsv.b;
    if (s == 0.0f) return AColor(v, v, v, hsv.a);
    const float hh = h * 0.016666668f;
    const float sector = floorf(hh);
    const float f = hh - sector;
    const float p = (1.0f - s) * v;
    const float q = (1.0f - f * s) * v;
    const float t = (1.0f - (1.0f - f) * s) * v;
    if (sector == 0.0f) return AColor(v, t, p, hsv.a);
    if (sector == 1.0f) return AColor(q, v, p, hsv.a);
    if (sector == 2.0f) return AColor(p, v, t, hsv.a);
    if (sector == 3.0f) return AColor(p, q, v, hsv.a);
    if (sector == 4.0f) return AColor(t, p, v, hsv.a);
    return AColor(v, p, q, hsv.a);
}

const float kInf = std::numeric_limits<float>::infinity();

std::vector<float> EdgeChannels()
{
    return {0.0f,  -0.0f, 1.0f, 0.5f,  0.25f,  0.75f, 1e-6f, 0.999999f,
            -0.5f, 1.5f,  7.0f, -3.0f, 1e-40f, kInf,  -kInf, std::nanf("")};
}

TEST(HsvExactness, ColorToHsvGivesTheBitsOfTheDirectFormulasOnEdgesAndRandomColours)
{
    const std::vector<float> edges = EdgeChannels();
    for (float r : edges)
        for (float g : edges)
            for (float b : edges) {
                const AColor c(r, g, b, 0.5f);
                EXPECT_TRUE(SameBits(PlainColorToHsv(c), ColorToHsv(c)))
                    << r << " " << g << " " << b;
            }
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> wide(-0.5f, 1.5f);
    for (int i = 0; i < 20000; ++i) {
        const AColor c(wide(rng), wide(rng), wide(rng), wide(rng));
        ASSERT_TRUE(SameBits(PlainColorToHsv(c), ColorToHsv(c))) << i;
    }
}

TEST(HsvExactness, HsvToColorGivesTheBitsOfTheDirectFormulasAcrossSectorBoundaries)
{
    // Hues on and next to every sector boundary, the −0 hue, the wrap points and beyond.
    std::vector<float> hues = {-0.0f, 0.0f,   -1.0f, -60.0f, -1e-7f,        360.0f, 420.0f,
                               1e30f, -1e30f, kInf,  -kInf,  std::nanf(""), 5e9f,   -5e9f};
    for (int k = 0; k <= 7; ++k) {
        const float edge = 60.0f * (float)k;
        hues.push_back(edge);
        hues.push_back(std::nextafterf(edge, -kInf));
        hues.push_back(std::nextafterf(edge, kInf));
    }
    const float saturations[] = {1.0f, 0.5f, -0.5f, 2.0f, 1e-8f, kInf, std::nanf("")};
    const float values[] = {1.0f, 0.3f, 0.0f, -0.25f};
    for (float h : hues)
        for (float s : saturations)
            for (float v : values) {
                const AColor hsv(h, s, v, 0.25f);
                EXPECT_TRUE(SameBits(PlainHsvToColor(hsv), HsvToColor(hsv)))
                    << h << " " << s << " " << v;
            }
    std::mt19937 rng(12);
    std::uniform_real_distribution<float> hue(-400.0f, 800.0f), unit(-0.25f, 1.25f);
    for (int i = 0; i < 20000; ++i) {
        const AColor hsv(hue(rng), unit(rng), unit(rng), 1.0f);
        ASSERT_TRUE(SameBits(PlainHsvToColor(hsv), HsvToColor(hsv))) << i;
    }
}

// ---- walks planned in parts ------------------------------------------------------------------

// The most layers of one run the walk plans at once without a current plan.
const int kPart = TablePlanner<FakeAccess>::kLayers;

// Modes for a stack: every table mode, runs of one mode, and indices outside the table.
std::vector<int> MixedModes(std::mt19937& rng, int count)
{
    std::uniform_int_distribution<int> mode(-2, BLEND_MODE_COUNT + 1), run(1, 4);
    std::vector<int> modes;
    while ((int)modes.size() < count) {
        const int m = mode(rng);
        for (int n = run(rng); n > 0 && (int)modes.size() < count; --n)
            modes.push_back(m);
    }
    return modes;
}

// A stack of n layers with maps, masks on some, unused layers here and there (also at the
// parts' boundaries), mixed modes and opacities.
void BuildLongStack(FakeStack& stack, int n, std::mt19937& rng)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), percent(0.0f, 100.0f);
    const std::vector<int> modes = MixedModes(rng, n);
    for (int i = 0; i < n; ++i) {
        stack.SetMap(i, AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
        stack.SetPerturb(i, Point3(unit(rng) - 0.5f, unit(rng) - 0.5f, unit(rng) - 0.5f));
        if (i % 3 == 1) stack.SetMask(i, AColor(unit(rng), unit(rng), unit(rng), 1.0f));
        stack.mapUsed[i] = (i % 7 == 5 || i == kPart || i == kPart + 1) ? 0 : 1;
        stack.modeList[i] = modes[i];
        stack.opasityList[i] = percent(rng);
        stack.colorList[i] = Color(unit(rng), unit(rng), unit(rng));
    }
    stack.mapEnabled[3] = 0; // a flat colour among the maps
}

// The colour walk without its cache and Output stage, one rule call per layer.
AColor LayerByLayerColor(const FakeStack& s)
{
    const FakeMap& first = s.access.maps[0];
    AColor base = first.color;
    float weight = base.a;
    if (s.access.maps[1].present) weight = MeanOf(s.access.maps[1].color);
    base *= weight;
    for (int i = 1; i < (int)s.modeList.size(); ++i) {
        if (!s.mapUsed[i]) continue;
        AColor layer = s.mapEnabled[i] ? s.access.maps[2 * i].color : AColor(s.colorList[i], 1.0f);
        if (s.access.maps[2 * i + 1].present) layer.a = MeanOf(s.access.maps[2 * i + 1].color);
        base = BlendOne(s.modeList[i], base, layer, OpacityFraction(s.opasityList[i]));
    }
    return base;
}

Point3 LayerByLayerPerturb(const FakeStack& s)
{
    Point3 base = s.access.maps[0].perturb;
    float weight = 1.0f;
    if (s.access.maps[1].present) weight = MeanOf(s.access.maps[1].color);
    base *= weight;
    for (int i = 1; i < (int)s.modeList.size(); ++i) {
        if (!s.mapUsed[i]) continue;
        const Point3 p = s.mapEnabled[i] ? s.access.maps[2 * i].perturb : Point3(0.0f, 0.0f, 0.0f);
        float a = 1.0f;
        if (s.access.maps[2 * i + 1].present) a = MeanOf(s.access.maps[2 * i + 1].color);
        const Point3 masked(p.x * a, p.y * a, p.z * a);
        base = BlendBumpOne(s.modeList[i], base, masked, a, OpacityFraction(s.opasityList[i]));
    }
    return base;
}

TEST(BatchedWalks, StacksOfSeveralPartsGiveTheLayerByLayerResult)
{
    std::mt19937 rng(31);
    const int sizes[] = {kPart, kPart + 1, kPart + 2, 2 * kPart + 3, 70};
    for (int n : sizes) {
        FakeStack stack(n);
        BuildLongStack(stack, n, rng);
        EXPECT_TRUE(SameBits(LayerByLayerColor(stack), stack.Evaluate())) << n << " layers";
        EXPECT_TRUE(SameBits(LayerByLayerPerturb(stack), stack.EvaluatePerturb()))
            << n << " layers";
    }
}

TEST(BatchedWalks, RunsOfOneModeLongerThanAPartGiveTheLayerByLayerResult)
{
    // Every layer of one mode: the runs fill whole parts and carry on into the next.
    std::mt19937 rng(33);
    const int modes[] = {BLEND_MODE_NORMAL,
                         BLEND_MODE_MULTIPLY,
                         BLEND_MODE_SOFT_LIGHT,
                         BLEND_MODE_HUE,
                         BLEND_MODE_COLOR,
                         BLEND_MODE_EXACT_DIFFERENCE,
                         -1,
                         BLEND_MODE_COUNT};
    for (int mode : modes) {
        const int n = 2 * kPart + 5;
        FakeStack stack(n);
        BuildLongStack(stack, n, rng);
        for (int i = 0; i < n; ++i)
            stack.modeList[i] = mode;
        EXPECT_TRUE(SameBits(LayerByLayerColor(stack), stack.Evaluate())) << "mode " << mode;
        EXPECT_TRUE(SameBits(LayerByLayerPerturb(stack), stack.EvaluatePerturb()))
            << "mode " << mode;
    }
}

TEST(BatchedWalks, SubMapsAreStillCalledInStackOrderMapBeforeMask)
{
    const int n = kPart + 3;
    FakeStack stack(n);
    std::mt19937 rng(32);
    BuildLongStack(stack, n, rng);
    stack.Evaluate();
    std::vector<std::string> expected;
    expected.push_back("color 0"); // layer 0 has no mask
    for (int i = 1; i < n; ++i) {
        if (!stack.mapUsed[i]) continue;
        if (stack.mapEnabled[i]) expected.push_back("color " + std::to_string(2 * i));
        if (i % 3 == 1) expected.push_back("color " + std::to_string(2 * i + 1));
    }
    EXPECT_EQ(expected, stack.access.Evaluations());
}

} // namespace
