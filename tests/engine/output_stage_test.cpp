// The Output stage: its steps, their order, and the settings of a new texture.
#include "output_stage.h"

#include "fake_access.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

OutputSettings Neutral()
{
    OutputSettings s;
    SetDefaultOutputSettings(s);
    s.Output_on = true;
    return s;
}

TEST(OutputSettingsDefaults, ANewTexturesSettings)
{
    OutputSettings s;
    s.Output_on = s.Clamp = true;
    s.alpha = s.Mono = s.bright = s.contrast = s.gamma = 7.0f;
    s.outputShiftHSV = s.outputShiftRGB = AColor(7.0f, 7.0f, 7.0f, 7.0f);
    SetDefaultOutputSettings(s);
    EXPECT_FALSE(s.Output_on);
    EXPECT_FALSE(s.Clamp);
    EXPECT_EQ(0.0f, s.alpha);
    EXPECT_EQ(0.0f, s.Mono);
    EXPECT_EQ(1.0f, s.bright);
    EXPECT_EQ(1.0f, s.contrast);
    EXPECT_EQ(1.0f, s.gamma);
    EXPECT_ACOLOR_EQ(AColor(0, 0, 0, 0), s.outputShiftHSV);
    EXPECT_ACOLOR_EQ(AColor(0, 0, 0, 0), s.outputShiftRGB);
}

TEST(AdjustOutput, NeutralSettingsReturnTheColour)
{
    const OutputSettings s = Neutral();
    const AColor colours[] = {AColor(1, 0, 0, 1), AColor(1, 1, 0, 1), AColor(0, 0, 1, 1),
                              AColor(0, 0, 0, 0.5f), AColor(0.3f, 0.6f, 0.9f, 0.25f)};
    for (const AColor& c : colours)
        EXPECT_ACOLOR_NEAR(c, AdjustOutput(c, s), 1e-6f);
    EXPECT_ACOLOR_EQ(AColor(0, 0, 0, 0.5f), AdjustOutput(AColor(0, 0, 0, 0.5f), s));
}

TEST(AdjustOutput, HsvShifts)
{
    OutputSettings s = Neutral();
    s.outputShiftHSV = AColor(120.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_ACOLOR_EQ(AColor(0, 1, 0, 1), AdjustOutput(AColor(1, 0, 0, 1), s));
    s.outputShiftHSV = AColor(0.0f, -1.0f, 0.0f, 0.0f);
    EXPECT_ACOLOR_EQ(AColor(0.8f, 0.8f, 0.8f, 1), AdjustOutput(AColor(0.8f, 0.0f, 0.4f, 1), s));
    s.outputShiftHSV = AColor(0.0f, 0.0f, -0.5f, 0.0f);
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0, 0, 1), AdjustOutput(AColor(1, 0, 0, 1), s));
    // The hue is not wrapped: red shifted by 420 lands in the sixth sector, magenta.
    s.outputShiftHSV = AColor(420.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_ACOLOR_NEAR(AColor(1, 0, 1, 1), AdjustOutput(AColor(1, 0, 0, 1), s), 1e-6f);
}

TEST(AdjustOutput, RgbAndAlphaShiftsWithAndWithoutClamp)
{
    OutputSettings s = Neutral();
    s.outputShiftRGB = AColor(0.25f, -0.5f, 0.5f, 0.0f);
    s.alpha = 0.5f;
    EXPECT_ACOLOR_EQ(AColor(0.75f, 0.0f, 1.0f, 1.5f),
                     AdjustOutput(AColor(0.5f, 0.5f, 0.5f, 1.0f), s));
    s.Clamp = true;
    EXPECT_ACOLOR_EQ(AColor(0.75f, 0.0f, 1.0f, 1.0f),
                     AdjustOutput(AColor(0.5f, 0.5f, 0.5f, 1.0f), s));
}

TEST(AdjustOutput, Gamma)
{
    OutputSettings s = Neutral();
    s.gamma = 2.0f;
    const AColor out = AdjustOutput(AColor(0.25f, 0.25f, 0.25f, 0.7f), s);
    EXPECT_NEAR(0.5f, out.r, 2e-7f);
    EXPECT_EQ(0.7f, out.a) << "alpha takes no gamma";
    // Exactly 0 becomes 0.00001 first: sqrt(1e-5), then (x − 0.5) + 0.5 rounds to the
    // spacing of floats near 0.5.
    EXPECT_NEAR(0.0031622776f, AdjustOutput(AColor(0, 0, 0, 1), s).r, 6e-8f);
    // A negative channel takes the mirrored power: −(0.25^(1/2)).
    s.outputShiftRGB = AColor(-0.5f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(-0.5f, AdjustOutput(AColor(0.25f, 0.25f, 0.25f, 1), s).r, 2e-7f);
}

TEST(AdjustOutput, GammaOfExactlyOneSkipsTheStepEvenForZero)
{
    OutputSettings s = Neutral();
    EXPECT_EQ(0.0f, AdjustOutput(AColor(0, 0, 0, 1), s).r);
}

TEST(AdjustOutput, BrightnessAndContrast)
{
    OutputSettings s = Neutral();
    s.bright = 2.0f;
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.25f, 0.0f, 1), AdjustOutput(AColor(0.25f, 0.125f, 0.0f, 1), s));
    s.bright = 1.0f;
    s.contrast = 0.0f;
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.5f, 0.5f, 1), AdjustOutput(AColor(0.25f, 0.125f, 0.0f, 1), s));
    // bright 0.5, contrast 2: x → (0.5x − 0.5)·2 + 0.5 = x − 0.5.
    s.bright = 0.5f;
    s.contrast = 2.0f;
    EXPECT_ACOLOR_NEAR(AColor(0.5f, -0.5f, 0.0f, 1), AdjustOutput(AColor(1.0f, 0.0f, 0.5f, 1), s),
                       1e-6f);
}

TEST(AdjustOutput, MonoAndClamp)
{
    OutputSettings s = Neutral();
    s.Mono = 1.0f;
    const AColor mono = AdjustOutput(AColor(0.3f, 0.6f, 0.9f, 0.5f), s);
    EXPECT_NEAR(0.6f, mono.r, 1e-6f);
    EXPECT_EQ(mono.r, mono.g);
    EXPECT_EQ(mono.r, mono.b);
    EXPECT_EQ(0.5f, mono.a);

    s.Mono = 0.0f;
    s.Clamp = true;
    const AColor clamped = AdjustOutput(AColor(1.2f, -0.1f, 0.5f, 2.0f), s);
    EXPECT_EQ(1.0f, clamped.r);
    EXPECT_EQ(0.0f, clamped.g);
    EXPECT_NEAR(0.5f, clamped.b, 1e-6f);
    EXPECT_EQ(1.0f, clamped.a);
}

TEST(AdjustOutputOrder, HsvShiftBeforeRgbShift)
{
    // Grey 0.5 with hue 0; +1 saturation makes it red (0.5, 0, 0); then +0.25 on green.
    // The other order would turn (0.5, 0.75, 0.5) into a green.
    OutputSettings s = Neutral();
    s.outputShiftHSV = AColor(0.0f, 1.0f, 0.0f, 0.0f);
    s.outputShiftRGB = AColor(0.0f, 0.25f, 0.0f, 0.0f);
    EXPECT_ACOLOR_EQ(AColor(0.5f, 0.25f, 0.0f, 1), AdjustOutput(AColor(0.5f, 0.5f, 0.5f, 1), s));
}

TEST(AdjustOutputOrder, RgbShiftThenGammaThenBrightnessThenContrast)
{
    OutputSettings s = Neutral();
    s.outputShiftRGB = AColor(0.25f, 0.25f, 0.25f, 0.0f); // 0 → 0.25
    s.gamma = 2.0f; // → 0.5
    s.bright = 2.0f; // → 1.0
    s.contrast = 0.5f; // → (1 − 0.5)·0.5 + 0.5 = 0.75
    const AColor out = AdjustOutput(AColor(0, 0, 0, 1), s);
    EXPECT_NEAR(0.75f, out.r, 2e-7f);
}

TEST(AdjustOutputOrder, MonoAfterContrastAndClampLast)
{
    OutputSettings s = Neutral();
    s.bright = 2.0f;
    s.Mono = 1.0f;
    s.Clamp = true;
    // Doubled: (1.5, 0, 0); mean 0.5; clamped after: 0.5. Clamping first would give 1/3.
    const AColor out = AdjustOutput(AColor(0.75f, 0.0f, 0.0f, 1), s);
    EXPECT_NEAR(0.5f, out.r, 1e-7f);
}

} // namespace
