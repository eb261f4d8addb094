// The blend-mode table and its formulas, applied one layer at a time through the table's rules.
#include "blend_formulas.h"
#include "blend_modes.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace {

AColor Blend(int mode, const AColor& base, const AColor& layer, float op)
{
    return BlendOne(mode, base, layer, op);
}

Point3 BlendBump(int mode, const Point3& base, const Point3& l, float a, float op)
{
    return BlendBumpOne(mode, base, l, a, op);
}

// The per-channel formula of each mode, from the mode list: null for the modes that do not
// work one channel at a time (the HSV modes and "Exact Difference").
#define FORMULA_PER_CHANNEL(F, channels) &F
#define FORMULA_HSV(components) nullptr
#define FORMULA_EXACT_DIFFERENCE nullptr
#define FORMULA_OF(mode, stringId, name, colour, bump) FORMULA_##colour,
const BlendFormula kFormulas[BLEND_MODE_COUNT] = {QUILTRA_BLEND_MODES(FORMULA_OF)};
#undef FORMULA_OF

bool IsHsvMode(int mode)
{
    return mode == BLEND_MODE_HUE || mode == BLEND_MODE_SATURATION ||
        mode == BLEND_MODE_LUMINANCE || mode == BLEND_MODE_COLOR;
}

// ---- the table ----------------------------------------------------------------------------------

TEST(BlendModeTable, EveryEntryIsComplete)
{
    std::set<std::string> names;
    for (int i = 0; i < BLEND_MODE_COUNT; ++i) {
        SCOPED_TRACE(i);
        const BlendMode& m = kBlendModes[i];
        EXPECT_EQ(i, RunRuleOf(i));
        // Modes 0 to 18 use strings 16 to 34, the others 36 to 51: 35 is skipped.
        EXPECT_EQ(i < 19 ? 16 + i : 17 + i, m.nameId);
        ASSERT_NE(nullptr, m.name);
        EXPECT_NE(0u, std::strlen(m.name));
        for (int mapsOnly = 0; mapsOnly < 2; ++mapsOnly) {
            for (int space = 0; space < 2; ++space)
                EXPECT_NE(nullptr, RunRules<FakeAccess>::color[space][mapsOnly][i])
                    << "colour rule";
            EXPECT_NE(nullptr, RunRules<FakeAccess>::bump[mapsOnly][i]) << "bump rule";
        }
        names.insert(m.name);
    }
    EXPECT_EQ((size_t)BLEND_MODE_COUNT, names.size()) << "names are distinct";
    EXPECT_STREQ("Normal", kBlendModes[BLEND_MODE_NORMAL].name);
    EXPECT_STREQ("Subtraction", kBlendModes[BLEND_MODE_SUBTRACTION].name);
}

TEST(BlendModeTable, IndicesOutsideTheTableTakeTheUnknownRow)
{
    const int outside[] = {-1, 35, 36, 1000, -2147483647 - 1, 2147483647};
    for (int index : outside)
        EXPECT_EQ(BLEND_MODE_COUNT, RunRuleOf(index)) << index;
    EXPECT_EQ(nullptr, kBlendModes[BLEND_MODE_COUNT].name);
}

// ---- per-channel formulas, one row per ordinary mode
// ---------------------------------------------

// F for two (b, l) pairs, worked out by hand (or written out where a division is inexact):
// pair 1: b = 0.25, l = 0.625 (b + l < 1, l ≥ 0.5, b < 0.5);
// pair 2: b = 0.75, l = 0.375 (b + l > 1, l < 0.5, b ≥ 0.5).
struct FormulaRow {
    int mode;
    float f1; // F(0.25, 0.625)
    float f2; // F(0.75, 0.375)
};

const float kPi = 3.14159274f;

const FormulaRow kFormulaRows[] = {
    {BLEND_MODE_NORMAL, 0.625f, 0.375f}, // Normal: l
    {BLEND_MODE_MULTIPLY, 0.15625f, 0.28125f}, // Multiply: b·l
    {BLEND_MODE_SCREEN, 0.71875f, 0.84375f}, // Screen: 1 − (1 − b)(1 − l)
    {BLEND_MODE_ADDITIVE, 0.875f, 1.125f}, // Additive
    {BLEND_MODE_SUBTRACTIVE, -0.125f, 0.125f}, // Subtractive: b + l − 1
    {BLEND_MODE_STAMP, 0.5f, 0.5f}, // Stamp: b + 2l − 1
    {BLEND_MODE_DIFFERENCE, 0.375f, 0.375f}, // Difference
    {BLEND_MODE_NEGATION, 0.875f, 0.875f}, // Negation: 1 − |1 − b − l|
    {BLEND_MODE_EXCLUSION, 0.5625f, 0.5625f}, // Exclusion: b + l − 2bl
    {BLEND_MODE_DARKEN, 0.25f, 0.375f}, // Darken
    {BLEND_MODE_LIGHTEN, 0.625f, 0.75f}, // Lighten
    {BLEND_MODE_OVERLAY, 0.3125f, 0.6875f}, // Overlay: 2bl | 1 − 2(1 − b)(1 − l)
    {BLEND_MODE_HARD_LIGHT, 0.4375f, 0.5625f}, // Hard Light: screen | 2bl
    {BLEND_MODE_SOFT_LIGHT, 0.3125f, 0.703125f}, // Soft Light: √b(2l−1)+2b(1−l) | (1−2l)b²+2bl
    {BLEND_MODE_DODGE, 0.25f / 0.375f, 1.2f}, // Dodge: b / (1 − l)
    {BLEND_MODE_INVERSE_DODGE, 0.625f / 0.75f, 1.5f}, // Inverse dodge: l / (1 − b)
    {BLEND_MODE_SOFT_DODGE, 0.125f / 0.375f,
     1.0f - 0.3125f / 0.75f}, // Soft dodge: 0.5b/(1−l) | 1 − 0.5(1−l)/b
    {BLEND_MODE_BURN, 1.0f - 0.75f / 0.625f, 1.0f - 0.25f / 0.375f}, // Burn: 1 − (1 − b)/l
    {BLEND_MODE_INVERSE_BURN, -0.5f, 1.0f - 0.625f / 0.75f}, // Inverse burn: 1 − (1 − l)/b
    {BLEND_MODE_SOFT_BURN, 0.3125f / 0.75f,
     1.0f - 0.125f / 0.375f}, // Soft burn: 0.5l/(1−b) | 1 − 0.5(1−b)/l
    {BLEND_MODE_INTERPOLATION,
     0.5f - 0.25f * std::cos(kPi * 0.25f) - 0.25f * std::cos(kPi * 0.625f),
     0.5f - 0.25f * std::cos(kPi * 0.75f) - 0.25f * std::cos(kPi * 0.375f)},
    {BLEND_MODE_AVERAGE, 0.4375f, 0.5625f}, // Average
    {BLEND_MODE_REFLECT, 0.0625f / 0.375f, 0.9f}, // Reflect: b² / (1 − l)
    {BLEND_MODE_GLOW, 0.390625f / 0.75f, 0.5625f}, // Glow: l² / (1 − b)
    {BLEND_MODE_FREEZE, 1.0f - 0.5625f / 0.625f,
     1.0f - 0.0625f / 0.375f}, // Freeze: 1 − (1 − b)² / l
    {BLEND_MODE_HEAT, 0.4375f, 1.0f - 0.390625f / 0.75f}, // Heat: 1 − (1 − l)² / b
    {BLEND_MODE_SUBTRACTION, -0.375f, 0.375f}, // Subtraction: b − l
};

// With op = 1 and a = 1 the composite rule hands F back exactly.
void ExpectColorFormula(int mode, float b, float l, float expected, bool approximate)
{
    const AColor base(b, b, b, 0.5f);
    const AColor layer(l, l, l, 1.0f);
    const AColor out = Blend(mode, base, layer, 1.0f);
    const float got[3] = {out.r, out.g, out.b};
    for (int c = 0; c < 3; ++c) {
        if (approximate)
            EXPECT_NEAR(expected, got[c], 4e-7f) << "channel " << c;
        else
            EXPECT_EQ(expected, got[c]) << "channel " << c;
    }
    if (kFormulas[mode]) {
        if (approximate)
            EXPECT_NEAR(expected, kFormulas[mode](b, l), 4e-7f);
        else
            EXPECT_EQ(expected, kFormulas[mode](b, l));
    }
}

TEST(BlendFormulas, EachOrdinaryModeOnRedGreenAndBlue)
{
    for (const FormulaRow& row : kFormulaRows) {
        SCOPED_TRACE(kBlendModes[row.mode].name);
        const bool approximate = row.mode == BLEND_MODE_INTERPOLATION; // cosf
        ExpectColorFormula(row.mode, 0.25f, 0.625f, row.f1, approximate);
        ExpectColorFormula(row.mode, 0.75f, 0.375f, row.f2, approximate);
    }
}

TEST(BlendFormulas, BumpUsesTheSameFormulaOnXYZExceptWhereItsRuleDiffers)
{
    for (const FormulaRow& row : kFormulaRows) {
        SCOPED_TRACE(kBlendModes[row.mode].name);
        float f1 = row.f1, f2 = row.f2;
        if (row.mode == BLEND_MODE_SCREEN) { // combines as "Normal"
            f1 = 0.625f;
            f2 = 0.375f;
        } else if (row.mode == BLEND_MODE_SUBTRACTIVE) { // b − l
            f1 = -0.375f;
            f2 = 0.375f;
        }
        const Point3 r1 = BlendBump(row.mode, Point3(0.25f, 0.25f, 0.25f),
                                    Point3(0.625f, 0.625f, 0.625f), 1.0f, 1.0f);
        const Point3 r2 = BlendBump(row.mode, Point3(0.75f, 0.75f, 0.75f),
                                    Point3(0.375f, 0.375f, 0.375f), 1.0f, 1.0f);
        if (row.mode == BLEND_MODE_INTERPOLATION) {
            EXPECT_NEAR(f1, r1.x, 4e-7f);
            EXPECT_NEAR(f2, r2.z, 4e-7f);
        } else {
            EXPECT_POINT3_EQ(Point3(f1, f1, f1), r1);
            EXPECT_POINT3_EQ(Point3(f2, f2, f2), r2);
        }
    }
}

// ---- guards and branch ties --------------------------------------------------------------------

struct GuardRow {
    int mode;
    float b, l;
    float expected;
    const char* what;
};

const GuardRow kGuardRows[] = {
    {BLEND_MODE_DODGE, 0.5f, 1.0f, 1.0f, "Dodge: l exactly 1 gives 1"},
    {BLEND_MODE_DODGE, 0.5f, 0.75f, 2.0f, "Dodge: not clamped"},
    {BLEND_MODE_DODGE, 0.5f, 2.0f, -0.5f, "Dodge: l above 1 divides by a negative"},
    {BLEND_MODE_INVERSE_DODGE, 1.0f, 0.3f, 1.0f, "Inverse dodge: b exactly 1 gives 1"},
    {BLEND_MODE_SOFT_DODGE, 0.0f, 1.0f, 0.0f, "Soft dodge: sum 1 with b exactly 0 gives 0"},
    {BLEND_MODE_SOFT_DODGE, 0.5f, 0.75f, 0.75f, "Soft dodge: b + l >= 1 branch, 1 - 0.5*0.25/0.5"},
    {BLEND_MODE_SOFT_DODGE, -1.0f, 1.0f, 1.0f,
     "Soft dodge: l exactly 1 below the sum test gives 1"},
    {BLEND_MODE_SOFT_DODGE, 0.25f, 0.5f, 0.25f, "Soft dodge: other branch, 0.5*0.25/0.5"},
    {BLEND_MODE_BURN, 0.3f, 0.0f, 0.0f, "Burn: l exactly 0 gives 0"},
    {BLEND_MODE_BURN, 7.0f, 0.0f, 0.0f, "Burn: l exactly 0 gives 0 whatever the base"},
    {BLEND_MODE_INVERSE_BURN, 0.0f, 0.3f, 0.0f, "Inverse burn: b exactly 0 gives 0"},
    {BLEND_MODE_SOFT_BURN, 0.25f, 0.25f, 0.125f / 0.75f,
     "Soft burn: b + l < 1 branch, 0.5*0.25/0.75"},
    {BLEND_MODE_SOFT_BURN, 1.0f, -0.5f, 1.0f, "Soft burn: b exactly 1 below the sum test gives 1"},
    {BLEND_MODE_SOFT_BURN, 1.0f, 0.0f, 0.0f,
     "Soft burn: sum exactly 1 takes the second branch, whose guard gives 0"},
    {BLEND_MODE_SOFT_BURN, 2.0f, 0.0f, 0.0f, "Soft burn: l exactly 0 gives 0"},
    {BLEND_MODE_REFLECT, 0.5f, 1.0f, 1.0f, "Reflect: l exactly 1 gives 1"},
    {BLEND_MODE_GLOW, 1.0f, 0.5f, 1.0f, "Glow: b exactly 1 gives 1"},
    {BLEND_MODE_FREEZE, 0.5f, 0.0f, 0.0f, "Freeze: l exactly 0 gives 0"},
    {BLEND_MODE_HEAT, 0.0f, 0.5f, 0.0f, "Heat: b exactly 0 gives 0"},
    // The branches meet at the tie, so a value that the screen branch rounds away tells them
    // apart: 1 − 2·0.5·(1 − 1e-10) is 0 in float, the multiply branch would give 1e-10.
    {BLEND_MODE_OVERLAY, 0.5f, 1e-10f, 0.0f, "Overlay: b exactly 0.5 takes the screen branch"},
    {BLEND_MODE_OVERLAY, 0.49999997f, 0.5f, 0.49999997f, "Overlay: b just below 0.5 multiplies"},
    {BLEND_MODE_HARD_LIGHT, 1e-10f, 0.5f, 0.0f,
     "Hard Light: l exactly 0.5 takes the screen branch"},
    {BLEND_MODE_HARD_LIGHT, 0.5f, 0.49999997f, 0.49999997f,
     "Hard Light: l just below 0.5 multiplies"},
    {BLEND_MODE_SOFT_LIGHT, 0.25f, 0.5f, 0.25f,
     "Soft Light: l exactly 0.5, sqrt(b)*0 + 2*0.25*0.5"},
    {BLEND_MODE_INTERPOLATION, 0.0f, 1.0f, 0.5f, "Interpolation: 0.5 - 0.25 + 0.25"},
    {BLEND_MODE_INTERPOLATION, 0.0f, 0.0f, 0.0f, "Interpolation: both 0"},
    {BLEND_MODE_ADDITIVE, 0.75f, 0.75f, 1.5f, "Additive: not clamped"},
    {BLEND_MODE_STAMP, 0.0f, 0.0f, -1.0f, "Stamp: not clamped"},
};

TEST(BlendFormulas, GuardsAndTies)
{
    for (const GuardRow& row : kGuardRows) {
        SCOPED_TRACE(row.what);
        ExpectColorFormula(row.mode, row.b, row.l, row.expected,
                           row.mode == BLEND_MODE_INTERPOLATION);
    }
}

TEST(BlendFormulas, GuardsTestExactEqualityOnly)
{
    const float nearlyOne = 0.99999994f; // the float just below 1
    // Dodge just below the guard: a large quotient, not the guard's 1.
    EXPECT_EQ(0.5f / (1.0f - nearlyOne),
              Blend(BLEND_MODE_DODGE, AColor(0.5f, 0.5f, 0.5f, 1),
                    AColor(nearlyOne, nearlyOne, nearlyOne, 1), 1.0f)
                  .r);
    // Burn just above 0.
    const float tiny = 1e-30f;
    EXPECT_EQ(
        1.0f - 0.5f / tiny,
        Blend(BLEND_MODE_BURN, AColor(0.5f, 0.5f, 0.5f, 1), AColor(tiny, tiny, tiny, 1), 1.0f).r);
}

TEST(BlendFormulas, DarkenAndLightenTies)
{
    // Equal values are told apart by the sign of zero: Darken takes l when b >= l,
    // Lighten takes l unless b > l.
    EXPECT_TRUE(std::signbit(BlendDarken(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(BlendDarken(-0.0f, 0.0f)));
    EXPECT_TRUE(std::signbit(BlendLighten(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(BlendLighten(-0.0f, 0.0f)));
    EXPECT_EQ(0.25f, BlendDarken(0.75f, 0.25f));
    EXPECT_EQ(0.75f, BlendLighten(0.75f, 0.25f));
}

// ---- the composite rule
// --------------------------------------------------------------------------

TEST(CompositeRule, OpacityThenCoverage)
{
    // Multiply: F = 0.25·0.5 = 0.125; t = 0.125·0.5 + 0.5·0.25 = 0.1875;
    // b' = 0.1875·0.5 + 0.5·0.25 = 0.21875.
    const AColor out = Blend(BLEND_MODE_MULTIPLY, AColor(0.25f, 0.25f, 0.25f, 1.0f),
                             AColor(0.5f, 0.5f, 0.5f, 0.5f), 0.5f);
    EXPECT_EQ(0.21875f, out.r);
    // Alpha: F = 1·0.5; t = 0.5·0.5 + 0.5·1 = 0.75; a' = 0.75·0.5 + 0.5·1 = 0.875.
    EXPECT_EQ(0.875f, out.a);
}

TEST(CompositeRule, NormalReplacesAtFullOpacityAndAveragesAtHalf)
{
    const AColor base(0.25f, 0.5f, 1.0f, 0.5f);
    const AColor layer(0.75f, 0.0f, 0.5f, 1.0f);
    EXPECT_ACOLOR_EQ(layer, Blend(BLEND_MODE_NORMAL, base, layer, 1.0f));
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.25f, 0.75f, 0.75f),
                     Blend(BLEND_MODE_NORMAL, base, layer, 0.5f));
    // Alpha with coverage 0.5 and op 0.5: (0.5·0.5 + 0.5·0.5)·0.5 + 0.5·0.5 = 0.5.
    EXPECT_EQ(0.5f, Blend(BLEND_MODE_NORMAL, base, AColor(0.75f, 0.0f, 0.5f, 0.5f), 0.5f).a);
}

TEST(CompositeRule, OpacityOrCoverageZeroLeavesEveryOrdinaryModeUnchanged)
{
    const AColor base(0.2f, 0.55f, 0.9f, 0.7f);
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        if (IsHsvMode(mode) || mode == BLEND_MODE_EXACT_DIFFERENCE) continue;
        SCOPED_TRACE(kBlendModes[mode].name);
        EXPECT_ACOLOR_EQ(base, Blend(mode, base, AColor(0.6f, 0.1f, 0.35f, 1.0f), 0.0f));
        EXPECT_ACOLOR_EQ(base, Blend(mode, base, AColor(0.6f, 0.1f, 0.35f, 0.0f), 1.0f));
    }
}

TEST(CompositeRule, OpacityAboveOneExtrapolates)
{
    // Normal at op 2: t = 2·0.75 − 1·0.25 = 1.25.
    EXPECT_EQ(1.25f,
              Blend(BLEND_MODE_NORMAL, AColor(0.25f, 0, 0, 1), AColor(0.75f, 0, 0, 1), 2.0f).r);
    // Coverage −1: b' = F·(−1) + 2·b = −0.75 + 0.5.
    EXPECT_EQ(-0.25f,
              Blend(BLEND_MODE_NORMAL, AColor(0.25f, 0, 0, 1), AColor(0.75f, 0, 0, -1.0f), 1.0f).r);
}

// ---- channels each mode changes
// -------------------------------------------------------------------

// Which of r, g, b, a a mode changes, worked out from the modes' descriptions (not read from
// the list).
unsigned ExpectedChannels(int mode)
{
    switch (mode) {
    case BLEND_MODE_NORMAL:
    case BLEND_MODE_MULTIPLY:
    case BLEND_MODE_SCREEN:
    case BLEND_MODE_ADDITIVE:
    case BLEND_MODE_EXACT_DIFFERENCE:
        return BLEND_RGBA;
    case BLEND_MODE_RGB_RED:
        return BLEND_RED;
    case BLEND_MODE_RGB_GREEN:
        return BLEND_GREEN;
    case BLEND_MODE_RGB_BLUE:
        return BLEND_BLUE;
    default:
        return BLEND_RGB; // the HSV modes change r, g and b through HSV space
    }
}

TEST(BlendChannels, ModesLeaveTheChannelsTheyDoNotNameUntouched)
{
    const AColor base(0.2f, 0.55f, 0.9f, 0.5f);
    const AColor layer(0.7f, 0.15f, 0.4f, 0.75f);
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        SCOPED_TRACE(kBlendModes[mode].name);
        const AColor out = Blend(mode, base, layer, 0.5f);
        const unsigned channels = ExpectedChannels(mode);
        const unsigned bits[4] = {BLEND_RED, BLEND_GREEN, BLEND_BLUE, BLEND_ALPHA};
        for (int c = 0; c < 4; ++c) {
            if (!(channels & bits[c])) {
                EXPECT_EQ(base[c], out[c]) << "channel " << c << " should stay";
            }
        }
        if (channels & BLEND_ALPHA) {
            EXPECT_NE(base.a, out.a) << "alpha should change";
        }
    }
}

TEST(BlendChannels, RgbModesReplaceTheirOneChannel)
{
    const AColor base(0.25f, 0.5f, 0.75f, 0.5f);
    const AColor layer(1.0f, 0.125f, 0.0f, 1.0f);
    EXPECT_ACOLOR_EQ(AColor(1.0f, 0.5f, 0.75f, 0.5f), Blend(BLEND_MODE_RGB_RED, base, layer, 1.0f));
    EXPECT_ACOLOR_EQ(AColor(0.25f, 0.125f, 0.75f, 0.5f),
                     Blend(BLEND_MODE_RGB_GREEN, base, layer, 1.0f));
    EXPECT_ACOLOR_EQ(AColor(0.25f, 0.5f, 0.0f, 0.5f),
                     Blend(BLEND_MODE_RGB_BLUE, base, layer, 1.0f));
}

TEST(BlendChannels, UnknownModeIndicesLeaveTheBaseUnchanged)
{
    const AColor base(0.2f, 0.55f, 0.9f, 0.5f);
    const int outside[] = {-1, 35, 36, 99, -2147483647 - 1, 2147483647};
    for (int mode : outside)
        EXPECT_ACOLOR_EQ(base, Blend(mode, base, AColor(0.7f, 0.15f, 0.4f, 1.0f), 1.0f)) << mode;
}

// ---- HSV modes
// ------------------------------------------------------------------------------------

TEST(HsvModes, HueTakesTheLayersHueMixedAsAPlainNumber)
{
    const AColor red(1, 0, 0, 1), green(0, 1, 0, 1);
    EXPECT_ACOLOR_EQ(AColor(0, 1, 0, 1), Blend(BLEND_MODE_HUE, red, green, 1.0f));
    // Half-way from hue 0 to 120 is 60: yellow.
    EXPECT_ACOLOR_EQ(AColor(1, 1, 0, 1), Blend(BLEND_MODE_HUE, red, green, 0.5f));
    // Coverage works like opacity: a = 0.5 mixes the same way.
    EXPECT_ACOLOR_EQ(AColor(1, 1, 0, 1), Blend(BLEND_MODE_HUE, red, AColor(0, 1, 0, 0.5f), 1.0f));
}

TEST(HsvModes, HueIsNotWrappedAt360)
{
    // Hue 350 (1, 0, 1/6) and hue 10 (1, 1/6, 0) mixed half-way give 180: cyan, not red.
    const AColor base(1.0f, 0.0f, 1.0f / 6.0f, 1.0f);
    const AColor layer(1.0f, 1.0f / 6.0f, 0.0f, 1.0f);
    EXPECT_ACOLOR_NEAR(AColor(0.0f, 1.0f, 1.0f, 1.0f), Blend(BLEND_MODE_HUE, base, layer, 0.5f),
                       2e-6f);
}

TEST(HsvModes, BlackLayerHueIsMixedAsMinusOne)
{
    // Red's hue 0 replaced by black's −1: sector floor(−1/60) = −1 takes the sixth row (v, p, q)
    // with f = −1/60 + 1, so blue = 1 − f.
    const AColor out = Blend(BLEND_MODE_HUE, AColor(1, 0, 0, 1), AColor(0, 0, 0, 1), 1.0f);
    const float f = -1.0f * 0.016666668f - (-1.0f);
    EXPECT_ACOLOR_EQ(AColor(1.0f, 0.0f, 1.0f - f, 1.0f), out);
}

TEST(HsvModes, SaturationOfAGreyLayerScalesTheBasesSaturation)
{
    const AColor base(0.8f, 0.4f, 0.2f, 0.6f);
    // op = a = 1: saturation 0, the grey of the base's value; alpha stays the base's.
    EXPECT_ACOLOR_EQ(AColor(0.8f, 0.8f, 0.8f, 0.6f),
                     Blend(BLEND_MODE_SATURATION, base, AColor(0.5f, 0.5f, 0.5f, 1), 1.0f));
    // op = 0.5: s = 0.75 → 0.375; (h 20°, v 0.8) back to RGB.
    const AColor half = Blend(BLEND_MODE_SATURATION, base, AColor(0, 0, 0, 1), 0.5f);
    EXPECT_NEAR(0.8f, half.r, 1e-6f);
    EXPECT_NEAR(0.8f * (1.0f - 0.375f), half.b, 1e-6f);
    EXPECT_EQ(0.6f, half.a);
}

TEST(HsvModes, SaturationGivesAGreyBaseHueZero)
{
    // A grey base has hue 0; raising its saturation makes it red.
    EXPECT_ACOLOR_EQ(
        AColor(0.5f, 0.0f, 0.0f, 1.0f),
        Blend(BLEND_MODE_SATURATION, AColor(0.5f, 0.5f, 0.5f, 1), AColor(1, 0, 0, 1), 1.0f));
}

TEST(HsvModes, LuminanceTakesTheLayersValue)
{
    EXPECT_ACOLOR_EQ(
        AColor(0.25f, 0.0f, 0.0f, 1.0f),
        Blend(BLEND_MODE_LUMINANCE, AColor(1, 0, 0, 1), AColor(0.25f, 0.25f, 0.25f, 1), 1.0f));
}

TEST(HsvModes, ColorTakesHueAndSaturationKeepsValue)
{
    EXPECT_ACOLOR_EQ(
        AColor(0.0f, 0.0f, 0.5f, 1.0f),
        Blend(BLEND_MODE_COLOR, AColor(0.5f, 0.5f, 0.5f, 1), AColor(0, 0, 1, 1), 1.0f));
}

TEST(HsvModes, ZeroOpacityOrCoverageStillMakesTheRoundTrip)
{
    const AColor base(0.3f, 0.6f, 0.9f, 0.5f);
    for (int mode = BLEND_MODE_HUE; mode <= BLEND_MODE_COLOR; ++mode) {
        EXPECT_ACOLOR_NEAR(base, Blend(mode, base, AColor(1, 0, 0, 1), 0.0f), 1e-6f);
        EXPECT_ACOLOR_NEAR(base, Blend(mode, base, AColor(1, 0, 0, 0), 1.0f), 1e-6f);
    }
}

// ---- "Exact Difference"
// -----------------------------------------------------------------------------

TEST(ExactDifference, EqualLayerGivesBlackWithAlphaOneMinusCoverage)
{
    const AColor base(0.3f, 0.6f, 0.9f, 1.0f);
    EXPECT_ACOLOR_EQ(
        AColor(0, 0, 0, 0.5f),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.3f, 0.6f, 0.9f, 0.5f), 0.1f));
    EXPECT_ACOLOR_EQ(
        AColor(0, 0, 0, 0.0f),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.3f, 0.6f, 0.9f, 1.0f), 0.1f));
}

TEST(ExactDifference, ADifferenceAboveTheToleranceTargetsWhite)
{
    const AColor base(0.5f, 0.5f, 0.5f, 1.0f);
    const float d = 0.5f - 0.3f;
    EXPECT_ACOLOR_EQ(
        AColor(0.5f * d + 0.5f, 0.5f, 0.5f, 0.5f),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.3f, 0.5f, 0.5f, 0.5f), 0.1f));
}

TEST(ExactDifference, ADifferenceEqualToTheToleranceTargetsTheGreyLevel)
{
    // d = (0.25, 0, −0.125): not strictly above 0.25, so T = |(0 + 0.25 − 0.125)·0.33333334|.
    const AColor base(0.5f, 0.5f, 0.5f, 0.75f);
    const float g = (0.0f + 0.25f + -0.125f) * 0.33333334f;
    const AColor out =
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.25f, 0.5f, 0.625f, 0.5f), 0.25f);
    EXPECT_ACOLOR_EQ(AColor(0.125f + 0.5f * g, 0.5f * g, -0.0625f + 0.5f * g, 0.5f), out);
}

TEST(ExactDifference, FullCoverageGivesTheSignedDifferenceAndZeroCoverageTheTarget)
{
    const AColor base(0.25f, 0.5f, 0.75f, 0.3f);
    EXPECT_ACOLOR_EQ(
        AColor(-0.5f, 0.25f, 0.5f, 0.0f),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.75f, 0.25f, 0.25f, 1.0f), 5.0f));
    EXPECT_ACOLOR_EQ(
        AColor(1, 1, 1, 1),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.75f, 0.25f, 0.25f, 0.0f), 0.1f));
    // Zero opacity is a zero tolerance: any difference targets white.
    EXPECT_ACOLOR_EQ(
        AColor(1, 1, 1, 1),
        Blend(BLEND_MODE_EXACT_DIFFERENCE, base, AColor(0.25f, 0.5f, 0.7f, 0.0f), 0.0f));
}

// ---- bump rules that differ
// ---------------------------------------------------------------------------

TEST(BumpRules, ScreenHsvModesAndUnknownIndicesCombineAsNormal)
{
    const Point3 base(0.2f, -0.4f, 0.9f);
    const Point3 l(0.35f, 0.1f, -0.6f);
    const Point3 normal = BlendBump(BLEND_MODE_NORMAL, base, l, 0.75f, 0.5f);
    const int same[] = {BLEND_MODE_SCREEN,
                        BLEND_MODE_HUE,
                        BLEND_MODE_SATURATION,
                        BLEND_MODE_LUMINANCE,
                        BLEND_MODE_COLOR,
                        -1,
                        35,
                        1000};
    for (int mode : same)
        EXPECT_POINT3_EQ(normal, BlendBump(mode, base, l, 0.75f, 0.5f)) << mode;
    // Normal itself: t = 0.35·0.5 + 0.5·0.2; x' = t·0.75 + 0.25·0.2.
    EXPECT_EQ((0.35f * 0.5f + 0.5f * 0.2f) * 0.75f + 0.25f * 0.2f, normal.x);
}

TEST(BumpRules, SubtractiveIsBaseMinusLayerLikeSubtraction)
{
    const Point3 base(0.2f, -0.4f, 0.9f);
    const Point3 l(0.35f, 0.1f, -0.6f);
    EXPECT_POINT3_EQ(Point3(0.2f - 0.35f, -0.4f - 0.1f, 0.9f + 0.6f),
                     BlendBump(BLEND_MODE_SUBTRACTIVE, base, l, 1.0f, 1.0f));
    EXPECT_POINT3_EQ(BlendBump(BLEND_MODE_SUBTRACTION, base, l, 0.5f, 0.3f),
                     BlendBump(BLEND_MODE_SUBTRACTIVE, base, l, 0.5f, 0.3f));
}

TEST(BumpRules, RgbModesChangeOneComponent)
{
    const Point3 base(0.2f, -0.4f, 0.9f);
    const Point3 l(0.35f, 0.1f, -0.6f);
    EXPECT_POINT3_EQ(Point3(0.35f, -0.4f, 0.9f),
                     BlendBump(BLEND_MODE_RGB_RED, base, l, 1.0f, 1.0f));
    EXPECT_POINT3_EQ(Point3(0.2f, 0.1f, 0.9f),
                     BlendBump(BLEND_MODE_RGB_GREEN, base, l, 1.0f, 1.0f));
    EXPECT_POINT3_EQ(Point3(0.2f, -0.4f, -0.6f),
                     BlendBump(BLEND_MODE_RGB_BLUE, base, l, 1.0f, 1.0f));
}

TEST(BumpRules, ExactDifferenceOnVectors)
{
    // a = 0.5, op = 0.1, zero layer, base (0.2, 0, 0): T = (1, 1, 1) → (0.6, 0.5, 0.5).
    EXPECT_POINT3_EQ(Point3(0.5f * 0.2f + 0.5f, 0.5f, 0.5f),
                     BlendBump(BLEND_MODE_EXACT_DIFFERENCE, Point3(0.2f, 0.0f, 0.0f),
                               Point3(0.0f, 0.0f, 0.0f), 0.5f, 0.1f));
    // Base (0.05, 0, 0): T = g = |(0 + 0.05 + 0)·0.33333334|.
    const float g = 0.05f * 0.33333334f;
    EXPECT_POINT3_EQ(Point3(0.5f * 0.05f + 0.5f * g, 0.5f * g, 0.5f * g),
                     BlendBump(BLEND_MODE_EXACT_DIFFERENCE, Point3(0.05f, 0.0f, 0.0f),
                               Point3(0.0f, 0.0f, 0.0f), 0.5f, 0.1f));
    // Full weight: b − l whatever the tolerance.
    EXPECT_POINT3_EQ(Point3(0.25f, -0.5f, 1.0f),
                     BlendBump(BLEND_MODE_EXACT_DIFFERENCE, Point3(0.5f, 0.0f, 0.5f),
                               Point3(0.25f, 0.5f, -0.5f), 1.0f, 0.0f));
}

TEST(BumpRules, ZeroOpacityOrWeightLeavesTheBaseExceptExactDifference)
{
    const Point3 base(0.2f, 0.4f, 0.9f);
    const Point3 l(0.35f, 0.1f, 0.6f);
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        if (mode == BLEND_MODE_EXACT_DIFFERENCE) continue;
        EXPECT_POINT3_EQ(base, BlendBump(mode, base, l, 1.0f, 0.0f)) << mode;
        EXPECT_POINT3_EQ(base, BlendBump(mode, base, l, 0.0f, 1.0f)) << mode;
    }
    // Weight 0 in "Exact Difference": the target, white here since |d| > op.
    EXPECT_POINT3_EQ(Point3(1.0f, 1.0f, 1.0f),
                     BlendBump(BLEND_MODE_EXACT_DIFFERENCE, base, l, 0.0f, 0.1f));
}

// ---- a sweep over boundary values: finite in, finite out
// ---------------------------------------------

TEST(BlendSweep, EveryModeStaysFiniteOnBoundaryValues)
{
    const float grid[] = {0.0f, 1e-6f, 0.5f - 1e-6f, 0.5f, 0.5f + 1e-6f, 1.0f - 1e-6f, 1.0f};
    const int n = sizeof(grid) / sizeof(grid[0]);
    int failures = 0;
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        for (int ib = 0; ib < n; ++ib)
            for (int il = 0; il < n; ++il)
                for (int io = 0; io < n; ++io)
                    for (int ia = 0; ia < n; ++ia) {
                        const AColor base(grid[ib], grid[(ib + 2) % n], grid[(ib + 5) % n],
                                          grid[ib]);
                        const AColor layer(grid[il], grid[(il + 3) % n], grid[(il + 1) % n],
                                           grid[ia]);
                        const float op = grid[io];
                        const AColor c = Blend(mode, base, layer, op);
                        const Point3 p = BlendBump(mode, Point3(base.r, base.g, base.b),
                                                   Point3(layer.r, layer.g, layer.b), grid[ia], op);
                        const float all[7] = {c.r, c.g, c.b, c.a, p.x, p.y, p.z};
                        for (float v : all)
                            if (!std::isfinite(v) && failures++ < 10)
                                ADD_FAILURE() << kBlendModes[mode].name << " b=" << grid[ib]
                                              << " l=" << grid[il] << " op=" << op
                                              << " a=" << grid[ia] << " gives " << v;
                    }
    EXPECT_EQ(0, failures);
}

} // namespace
