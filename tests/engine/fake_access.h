// Test doubles for the walks of the layer stack: the texture's tables as plain vectors and the
// host side (sub-maps, shading-context cache, G-buffer id) as a recorder.
#pragma once

#include "layer_plan.h"
#include "layer_stack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <string>
#include <vector>

// One sub-map slot of mapList: empty, or a sub-map returning fixed values.
struct FakeMap {
    bool present = false;
    AColor color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    Point3 perturb = Point3(0.0f, 0.0f, 0.0f);
};

// The host side of one evaluation. Records every call in order.
class FakeAccess {
public:
    std::vector<FakeMap> maps; // mapList entries
    bool cacheHolds = false; // GetCache reports a hit
    AColor cached = AColor(0.0f, 0.0f, 0.0f, 0.0f);
    int gbufferId = 0;

    std::vector<std::string> calls; // "color 2", "perturb 0", "get", "put", "gbuffer 7"
    std::vector<AColor> puts;

    bool HasMap(int entry) const
    {
        return entry >= 0 && entry < (int)maps.size() && maps[entry].present;
    }
    AColor EvalColor(int entry)
    {
        calls.push_back("color " + std::to_string(entry));
        return maps.at(entry).color;
    }
    Point3 EvalNormalPerturb(int entry)
    {
        calls.push_back("perturb " + std::to_string(entry));
        return maps.at(entry).perturb;
    }
    bool GetCache(AColor& c)
    {
        calls.push_back("get");
        if (cacheHolds) c = cached;
        return cacheHolds;
    }
    void PutCache(const AColor& c)
    {
        calls.push_back("put");
        puts.push_back(c);
    }
    int GBufferID() const { return gbufferId; }
    void SetGBufferID(int id) { calls.push_back("gbuffer " + std::to_string(id)); }

    int CountOf(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call;
        return n;
    }
    // Sub-map evaluations only (colour and perturbation), in order.
    std::vector<std::string> Evaluations() const
    {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind("color", 0) == 0 || c.rfind("perturb", 0) == 0) out.push_back(c);
        return out;
    }
};

// A texture's layer tables, sized together; per-layer setters for readability.
struct FakeStack {
    std::vector<int> mapEnabled, maskEnabled, mapUsed, modeList;
    std::vector<int> spaceList; // empty: no table, every layer linear
    std::vector<float> opasityList;
    std::vector<Color> colorList;
    FakeAccess access;

    // n layers as a new texture has them: flat black, maps enabled, used, 100%, "Normal".
    explicit FakeStack(int layers)
    {
        for (int i = 0; i < layers; ++i) {
            mapEnabled.push_back(1);
            maskEnabled.push_back(1);
            mapUsed.push_back(1);
            modeList.push_back(0);
            opasityList.push_back(100.0f);
            colorList.push_back(Color(0.0f, 0.0f, 0.0f));
        }
        access.maps.resize(2 * layers);
    }
    void SetMap(int layer, const AColor& c)
    {
        access.maps[2 * layer].present = true;
        access.maps[2 * layer].color = c;
    }
    void SetPerturb(int layer, const Point3& p)
    {
        access.maps[2 * layer].present = true;
        access.maps[2 * layer].perturb = p;
    }
    void SetMask(int layer, const AColor& c)
    {
        access.maps[2 * layer + 1].present = true;
        access.maps[2 * layer + 1].color = c;
    }

    // After shortening a table: give back the spare capacity so a read past the end is a
    // read outside the allocation, which the sanitizer build reports.
    void ShrinkTables()
    {
        mapEnabled.shrink_to_fit();
        maskEnabled.shrink_to_fit();
        mapUsed.shrink_to_fit();
        modeList.shrink_to_fit();
        opasityList.shrink_to_fit();
        colorList.shrink_to_fit();
    }

    LayerTables Tables() const
    {
        return ViewLayerTables((int)access.maps.size(), View(mapEnabled), View(maskEnabled),
                               View(mapUsed), View(opasityList), View(colorList), View(modeList),
                               View(spaceList));
    }
    template <class T>
    static TableView<T> View(const std::vector<T>& table)
    {
        return TableView<T>(table.data(), (int)table.size());
    }
    // The direct walks. Each also checks that the planned walk (a plan built from the same
    // tables and settings) gives the same bits with the same calls, so every walk test covers
    // both.
    AColor Evaluate(const OutputSettings& out);
    AColor Evaluate()
    {
        OutputSettings out;
        SetDefaultOutputSettings(out);
        return Evaluate(out);
    }
    Point3 EvaluatePerturb();
};

// The single-layer rules of every mode (blend_rules.h), from the mode list, as the walk's runs
// apply them one layer after another.
typedef AColor (*SingleColorRule)(AColor base, AColor layer, float op);
typedef Point3 (*SingleBumpRule)(Point3 base, Point3 l, float a, float op);
#define COLOR_PER_CHANNEL(F, channels) &BlendColorChannels<&F, channels>
#define COLOR_HSV(components) &BlendColorHsv<components>
#define COLOR_EXACT_DIFFERENCE &BlendColorExactDifference
#define BUMP_PER_CHANNEL(F, components) &BlendBumpComponents<&F, components>
#define BUMP_EXACT_DIFFERENCE &BlendBumpExactDifference
#define SINGLE_COLOR_ROW(mode, stringId, name, colour, bump) COLOR_##colour,
#define SINGLE_BUMP_ROW(mode, stringId, name, colour, bump) BUMP_##bump,
inline SingleColorRule SingleColorRuleOf(int mode)
{
    static const SingleColorRule rules[] = {QUILTRA_BLEND_MODES(SINGLE_COLOR_ROW)};
    return mode >= 0 && mode < BLEND_MODE_COUNT ? rules[mode] : nullptr;
}
inline SingleBumpRule SingleBumpRuleOf(int mode)
{
    static const SingleBumpRule rules[] = {QUILTRA_BLEND_MODES(SINGLE_BUMP_ROW)};
    return mode >= 0 && mode < BLEND_MODE_COUNT ? rules[mode]
                                                : &BlendBumpComponents<&BlendNormal, BLEND_RGB>;
}
#undef SINGLE_COLOR_ROW
#undef SINGLE_BUMP_ROW
#undef COLOR_PER_CHANNEL
#undef COLOR_HSV
#undef COLOR_EXACT_DIFFERENCE
#undef BUMP_PER_CHANNEL
#undef BUMP_EXACT_DIFFERENCE

// One layer composited onto a base by its mode's rule, as the walks composite it; an index
// outside the table leaves the base as it is.
inline AColor BlendOne(int mode, AColor base, const AColor& layer, float op)
{
    const SingleColorRule rule = SingleColorRuleOf(mode);
    return rule ? rule(base, layer, op) : base;
}

// A masked perturbation l with mask weight a combined with the base, as the bump walk does it
// (an index outside the table combines as "Normal").
inline Point3 BlendBumpOne(int mode, Point3 base, const Point3& l, float a, float op)
{
    return SingleBumpRuleOf(mode)(base, l, a, op);
}

// Comparison of colours and vectors, channel by channel, with readable failures.
// EXPECT_ACOLOR_EQ and EXPECT_POINT3_EQ compare exactly; the NEAR form takes a tolerance.
inline ::testing::AssertionResult ColorsMatch(const AColor& e, const AColor& a, float tolerance)
{
    const char* names[4] = {"red", "green", "blue", "alpha"};
    for (int c = 0; c < 4; ++c) {
        const bool same = tolerance == 0.0f ? e[c] == a[c] : std::fabs(e[c] - a[c]) <= tolerance;
        if (!same)
            return ::testing::AssertionFailure()
                << std::setprecision(9) << names[c] << ": expected " << e[c] << ", got " << a[c]
                << " (expected (" << e.r << ", " << e.g << ", " << e.b << ", " << e.a << "), got ("
                << a.r << ", " << a.g << ", " << a.b << ", " << a.a << "))";
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult PointsMatch(const Point3& e, const Point3& a)
{
    if (e.x == a.x && e.y == a.y && e.z == a.z) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << std::setprecision(9) << "expected (" << e.x << ", " << e.y << ", " << e.z << "), got ("
        << a.x << ", " << a.y << ", " << a.z << ")";
}

// Same bits in every channel, so −0 differs from +0. Any NaN matches any NaN: when both
// operands of an operation are NaN, which one comes out depends on the operand order the
// compiler picks for a commutative operation, which C leaves open.
inline ::testing::AssertionResult SameBits(const AColor& e, const AColor& a)
{
    for (int c = 0; c < 4; ++c) {
        std::uint32_t be, ba;
        std::memcpy(&be, &e[c], sizeof be);
        std::memcpy(&ba, &a[c], sizeof ba);
        if (!(std::isnan(e[c]) && std::isnan(a[c])) && be != ba)
            return ::testing::AssertionFailure()
                << "channel " << c << ": expected " << e[c] << " (0x" << std::hex << be << "), got "
                << a[c] << " (0x" << ba << ")";
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult SameBits(const Point3& e, const Point3& a)
{
    return SameBits(AColor(e.x, e.y, e.z, 0.0f), AColor(a.x, a.y, a.z, 0.0f));
}

inline AColor FakeStack::Evaluate(const OutputSettings& out)
{
    LayerPlan plan;
    plan.Build(Tables(), out, access);
    FakeAccess planned = access;
    const AColor viaPlan = EvalPlannedColor(plan, planned);
    const AColor direct = EvalLayerColor(Tables(), out, access);
    EXPECT_TRUE(SameBits(direct, viaPlan)) << "planned colour walk";
    EXPECT_EQ(access.calls, planned.calls) << "planned colour walk";
    return direct;
}

inline Point3 FakeStack::EvaluatePerturb()
{
    LayerPlan plan;
    OutputSettings out;
    SetDefaultOutputSettings(out);
    plan.Build(Tables(), out, access);
    FakeAccess planned = access;
    const Point3 viaPlan = EvalPlannedPerturb(plan, planned);
    const Point3 direct = EvalLayerPerturb(Tables(), access);
    EXPECT_TRUE(SameBits(direct, viaPlan)) << "planned bump walk";
    EXPECT_EQ(access.calls, planned.calls) << "planned bump walk";
    return direct;
}

#define EXPECT_ACOLOR_EQ(expected, actual) EXPECT_TRUE(ColorsMatch((expected), (actual), 0.0f))
#define EXPECT_ACOLOR_NEAR(expected, actual, tolerance) \
    EXPECT_TRUE(ColorsMatch((expected), (actual), (tolerance)))
#define EXPECT_POINT3_EQ(expected, actual) EXPECT_TRUE(PointsMatch((expected), (actual)))
