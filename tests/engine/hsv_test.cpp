// RGB to HSV and back.
#include "hsv.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ColorToHsv, PrimariesAndSecondaries)
{
    EXPECT_ACOLOR_EQ(AColor(0.0f, 1.0f, 1.0f, 0.5f), ColorToHsv(AColor(1, 0, 0, 0.5f)));
    EXPECT_ACOLOR_EQ(AColor(60.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(1, 1, 0, 1)));
    EXPECT_ACOLOR_EQ(AColor(120.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(0, 1, 0, 1)));
    EXPECT_ACOLOR_EQ(AColor(180.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(0, 1, 1, 1)));
    EXPECT_ACOLOR_EQ(AColor(240.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(0, 0, 1, 1)));
    EXPECT_ACOLOR_EQ(AColor(300.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(1, 0, 1, 1)));
}

TEST(ColorToHsv, NegativeRedSectorWrapsOnce)
{
    // (1, 0, 0.5): (0 − 0.5)/1·60 = −30, then + 360.
    EXPECT_ACOLOR_EQ(AColor(330.0f, 1.0f, 1.0f, 1.0f), ColorToHsv(AColor(1.0f, 0.0f, 0.5f, 1.0f)));
    // Saturation and value of a darker colour: (0.5, 0.25, 0.125): delta 0.375, s = 0.75,
    // h = (0.25 − 0.125)/0.375·60.
    const AColor hsv = ColorToHsv(AColor(0.5f, 0.25f, 0.125f, 1.0f));
    EXPECT_EQ(0.125f / 0.375f * 60.0f, hsv.r);
    EXPECT_EQ(0.75f, hsv.g);
    EXPECT_EQ(0.5f, hsv.b);
}

TEST(ColorToHsv, BlackHasHueMinusOneAndGreyHueZero)
{
    EXPECT_ACOLOR_EQ(AColor(-1.0f, 0.0f, 0.0f, 0.25f), ColorToHsv(AColor(0, 0, 0, 0.25f)));
    EXPECT_ACOLOR_EQ(AColor(0.0f, 0.0f, 0.5f, 1.0f), ColorToHsv(AColor(0.5f, 0.5f, 0.5f, 1)));
    // A grey below zero is not black either: its hue is 0 too, never NaN.
    const AColor negative = ColorToHsv(AColor(-0.5f, -0.5f, -0.5f, 1));
    EXPECT_EQ(0.0f, negative.r);
    EXPECT_EQ(-0.5f, negative.b);
}

TEST(ColorToHsv, GreenAndBlueSectors)
{
    // g max: (b − r)/delta + 2 = (0.25 − 0)/1 + 2 → 135.
    EXPECT_EQ(135.0f, ColorToHsv(AColor(0.0f, 1.0f, 0.25f, 1)).r);
    // b max: (r − g)/delta + 4 = (0.25 − 0)/1 + 4 → 255.
    EXPECT_EQ(255.0f, ColorToHsv(AColor(0.25f, 0.0f, 1.0f, 1)).r);
    // A green-blue tie at the maximum takes the green formula: (1 − 0)/1 + 2 → 180.
    EXPECT_EQ(180.0f, ColorToHsv(AColor(0.0f, 1.0f, 1.0f, 1)).r);
}

TEST(HsvToColor, EachSector)
{
    struct Row {
        float hue;
        AColor rgb;
    };
    const Row rows[] = {
        {30.0f, AColor(1.0f, 0.5f, 0.0f, 1)},  {90.0f, AColor(0.5f, 1.0f, 0.0f, 1)},
        {150.0f, AColor(0.0f, 1.0f, 0.5f, 1)}, {210.0f, AColor(0.0f, 0.5f, 1.0f, 1)},
        {270.0f, AColor(0.5f, 0.0f, 1.0f, 1)}, {330.0f, AColor(1.0f, 0.0f, 0.5f, 1)},
    };
    for (const Row& row : rows)
        EXPECT_ACOLOR_NEAR(row.rgb, HsvToColor(AColor(row.hue, 1.0f, 1.0f, 1.0f)), 1e-6f)
            << row.hue;
    // Saturation and value scale: hue 0, s 0.5, v 0.5 → (0.5, 0.25, 0.25).
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.25f, 0.25f, 0.75f),
                     HsvToColor(AColor(0.0f, 0.5f, 0.5f, 0.75f)));
}

TEST(HsvToColor, HuesOutsideZeroTo360TakeTheSixthRow)
{
    // 420 / 60 = 7: not 0..4, so (v, p, q) with f ≈ 0 → magenta, not the yellow of 60.
    EXPECT_ACOLOR_NEAR(AColor(1.0f, 0.0f, 1.0f, 1.0f), HsvToColor(AColor(420.0f, 1, 1, 1)), 1e-6f);
    EXPECT_ACOLOR_NEAR(AColor(1.0f, 0.0f, 1.0f, 1.0f), HsvToColor(AColor(360.0f, 1, 1, 1)), 1e-6f);
    // −60 / 60 = −1: (v, p, q) with f = 0 → magenta again; −30 / 60 = −0.5: f = 0.5.
    EXPECT_ACOLOR_NEAR(AColor(1.0f, 0.0f, 1.0f, 1.0f), HsvToColor(AColor(-60.0f, 1, 1, 1)), 1e-6f);
    EXPECT_ACOLOR_NEAR(AColor(1.0f, 0.0f, 0.5f, 1.0f), HsvToColor(AColor(-30.0f, 1, 1, 1)), 1e-6f);
}

TEST(HsvToColor, HugeAndNonFiniteHuesAreDefined)
{
    // Never converted to an integer: the sanitizer build traps on such a conversion.
    EXPECT_ACOLOR_EQ(AColor(1.0f, 0.0f, 1.0f, 1.0f), HsvToColor(AColor(1e30f, 1, 1, 1)));
    EXPECT_ACOLOR_EQ(AColor(1.0f, 0.0f, 1.0f, 1.0f), HsvToColor(AColor(-1e30f, 1, 1, 1)));
    const float inf = std::numeric_limits<float>::infinity();
    const AColor fromInf = HsvToColor(AColor(inf, 1, 1, 1));
    EXPECT_EQ(1.0f, fromInf.r);
    const AColor fromNan = HsvToColor(AColor(std::nanf(""), 1, 0.5f, 1));
    EXPECT_EQ(0.5f, fromNan.r); // the sixth row's v
    EXPECT_EQ(0.0f, fromNan.g); // p does not depend on the hue
}

TEST(HsvToColor, ZeroSaturationIsGreyWhateverTheHue)
{
    EXPECT_ACOLOR_EQ(AColor(0.4f, 0.4f, 0.4f, 0.3f), HsvToColor(AColor(-1.0f, 0.0f, 0.4f, 0.3f)));
    EXPECT_ACOLOR_EQ(AColor(0.4f, 0.4f, 0.4f, 0.3f), HsvToColor(AColor(123.0f, 0.0f, 0.4f, 0.3f)));
    EXPECT_ACOLOR_EQ(AColor(0.4f, 0.4f, 0.4f, 0.3f),
                     HsvToColor(AColor(std::nanf(""), 0.0f, 0.4f, 0.3f)));
}

TEST(HsvRoundTrip, ColoursComeBackToFloatPrecision)
{
    const float v[] = {0.0f, 0.1f, 0.3f, 0.5f, 0.77f, 1.0f, 2.5f};
    for (float r : v)
        for (float g : v)
            for (float b : v) {
                const AColor c(r, g, b, 0.625f);
                const AColor back = HsvToColor(ColorToHsv(c));
                const float tolerance = 1e-6f * (r > g ? (r > b ? r : b) : (g > b ? g : b)) + 1e-7f;
                EXPECT_ACOLOR_NEAR(c, back, tolerance) << r << " " << g << " " << b;
            }
}

} // namespace
