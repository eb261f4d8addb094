// The display blend space: the sRGB encode and decode against a double-precision reference, a
// few modes worked by hand in double, and the walks with layers in both spaces.
#include "blend_space.h"
#include "fake_access.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace {

double ReferenceEncode(double x)
{
    const double v = std::fabs(x);
    const double e = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
    return x < 0 ? -e : e;
}

double ReferenceDecode(double x)
{
    const double v = std::fabs(x);
    const double d = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    return x < 0 ? -d : d;
}

// got is one of the two floats nearest to exact (or exact itself): faithfully rounded.
::testing::AssertionResult Faithful(float got, double exact)
{
    if (std::isinf(exact) || std::fabs(exact) > FLT_MAX)
        return std::isinf(got) ? ::testing::AssertionSuccess()
                               : ::testing::AssertionFailure() << got << " for " << exact;
    const float nearest = (float)exact;
    const float below = (double)nearest <= exact ? nearest : std::nextafter(nearest, -INFINITY);
    const float above = (double)nearest >= exact ? nearest : std::nextafter(nearest, INFINITY);
    if (got == below || got == above) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << std::setprecision(10) << got << " is not next to " << std::setprecision(17) << exact;
}

uint32_t Bits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

TEST(BlendSpace, EncodeAndDecodeAreFaithfulOddAndKeepTheSpecialValues)
{
    std::mt19937 rng(2020);
    std::uniform_int_distribution<uint32_t> bits(0, 0x7f7fffffu); // every finite float ≥ 0
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 200000; ++i) {
        float x = i % 2 ? unit(rng) : 0.0f;
        if (i % 2 == 0) {
            const uint32_t b = bits(rng);
            std::memcpy(&x, &b, sizeof x);
        }
        if (i % 3 == 0) x = -x;
        SCOPED_TRACE(x);
        const float e = EncodeDisplay(x), d = DecodeDisplay(x);
        ASSERT_TRUE(Faithful(e, ReferenceEncode(x)));
        ASSERT_TRUE(Faithful(d, ReferenceDecode(x)));
        ASSERT_EQ(Bits(-e), Bits(EncodeDisplay(-x)));
        ASSERT_EQ(Bits(-d), Bits(DecodeDisplay(-x)));
    }
    EXPECT_EQ(Bits(-0.0f), Bits(EncodeDisplay(-0.0f)));
    EXPECT_EQ(Bits(-0.0f), Bits(DecodeDisplay(-0.0f)));
    EXPECT_EQ(1.0f, EncodeDisplay(1.0f));
    EXPECT_EQ(1.0f, DecodeDisplay(1.0f));
    EXPECT_EQ(INFINITY, EncodeDisplay(INFINITY));
    EXPECT_EQ(-INFINITY, DecodeDisplay(-INFINITY));
    EXPECT_TRUE(std::isnan(EncodeDisplay(NAN)));
    EXPECT_TRUE(std::isnan(DecodeDisplay(NAN)));
}

// Worked in double: both colours encoded, the mode's formula and the composite on the encoded
// values, the result decoded; then rounded once.
struct DisplayCase {
    int mode;
    double (*formula)(double b, double l);
    double base, layer, opacity, coverage;
};

double Multiply(double b, double l) { return b * l; }
double Screen(double b, double l) { return 1.0 - (1.0 - b) * (1.0 - l); }
double Overlay(double b, double l)
{
    return b < 0.5 ? 2.0 * b * l : 1.0 - 2.0 * (1.0 - b) * (1.0 - l);
}
double Normal(double, double l) { return l; }

TEST(BlendSpace, DisplayLayersGiveTheValuesWorkedInDouble)
{
    const DisplayCase cases[] = {
        {BLEND_MODE_MULTIPLY, Multiply, 0.5, 0.25, 1.0, 1.0},
        {BLEND_MODE_SCREEN, Screen, 0.2, 0.6, 1.0, 1.0},
        {BLEND_MODE_OVERLAY, Overlay, 0.1, 0.7, 1.0, 1.0},
        {BLEND_MODE_OVERLAY, Overlay, 0.6, 0.3, 1.0, 1.0},
        {BLEND_MODE_NORMAL, Normal, 0.8, 0.05, 0.5, 1.0}, // half opacity: the mix is encoded
        {BLEND_MODE_NORMAL, Normal, 0.0, 1.0, 1.0, 0.5}, // half coverage (a mask)
        {BLEND_MODE_SCREEN, Screen, 1.5, -0.1, 1.0, 1.0}, // outside 0..1 by the same curve
    };
    for (const DisplayCase& c : cases) {
        SCOPED_TRACE(c.mode);
        SCOPED_TRACE(c.base);
        FakeStack stack(2);
        stack.spaceList = {0, 1};
        stack.colorList[0] = Color((float)c.base, (float)c.base, (float)c.base);
        stack.colorList[1] = Color((float)c.layer, (float)c.layer, (float)c.layer);
        stack.modeList[1] = c.mode;
        stack.opasityList[1] = (float)(c.opacity * 100.0);
        if (c.coverage != 1.0)
            stack.SetMask(1, AColor((float)c.coverage, (float)c.coverage, (float)c.coverage, 1.0f));
        const AColor got = stack.Evaluate();

        const double b = ReferenceEncode(c.base), l = ReferenceEncode(c.layer);
        const double t = c.formula(b, l) * c.opacity + (1.0 - c.opacity) * b;
        const double exact = ReferenceDecode(t * c.coverage + (1.0 - c.coverage) * b);
        // The walk works in float between its two roundings to float: a few units in the last
        // place of the result.
        const float want = (float)exact;
        EXPECT_NEAR(want, got.r, 4.0f * std::fabs(std::nextafter(want, INFINITY) - want) + 1e-12f);
        EXPECT_EQ(Bits(got.r), Bits(got.g));
        EXPECT_EQ(Bits(got.r), Bits(got.b));
        // Alpha is not encoded: the same as in linear space.
        stack.spaceList[1] = 0;
        EXPECT_EQ(Bits(stack.Evaluate().a), Bits(got.a));
    }
}

TEST(BlendSpace, LinearTablesGiveTheBitsOfNoTableAndTheBumpWalkIgnoresTheSpace)
{
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> unit(-0.25f, 1.25f);
    std::uniform_int_distribution<int> mode(0, BLEND_MODE_COUNT - 1), coin(0, 3);
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        FakeStack stack(2 + trial % 9);
        const int n = (int)stack.modeList.size();
        for (int i = 0; i < n; ++i) {
            stack.SetMap(i, AColor(unit(rng), unit(rng), unit(rng), unit(rng)));
            stack.SetPerturb(i, Point3(unit(rng), unit(rng), unit(rng)));
            if (coin(rng) == 0) stack.SetMask(i, AColor(unit(rng), unit(rng), unit(rng), 1.0f));
            stack.modeList[i] = mode(rng);
            stack.opasityList[i] = 100.0f * unit(rng);
        }
        const AColor none = stack.Evaluate();
        const Point3 bumpNone = stack.EvaluatePerturb();
        stack.spaceList.assign(n, 0);
        const AColor linear = stack.Evaluate();
        EXPECT_EQ(0, std::memcmp(&none, &linear, sizeof none));
        // Layers in display space, mixed with linear ones: runs split by space give the same
        // bits over a plan and over the tables (Evaluate compares both); bump as without them.
        for (int i = 0; i < n; ++i)
            stack.spaceList[i] = coin(rng) < 2;
        stack.Evaluate();
        const Point3 bump = stack.EvaluatePerturb();
        EXPECT_EQ(0, std::memcmp(&bumpNone, &bump, sizeof bump));
    }
}

TEST(BlendSpace, AnIndexOutsideTheModeTableKeepsTheBaseInDisplaySpaceToo)
{
    FakeStack stack(2);
    stack.spaceList = {0, 1};
    stack.colorList[0] = Color(0.3f, 0.01f, 2.0f);
    stack.modeList[1] = BLEND_MODE_COUNT + 3;
    const AColor got = stack.Evaluate();
    EXPECT_ACOLOR_EQ(AColor(0.3f, 0.01f, 2.0f, 1.0f), got);
}

} // namespace
