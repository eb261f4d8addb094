#include "output_stage.h"

#include "color_mean.h"
#include "gamma_power.h"
#include "hsv.h"

namespace {

// x^(1/gamma), mirrored for a negative x: inlined into the stage, three times.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline float
MirroredPower(float x, double inverseGamma)
{
    // A negative channel has no real power and takes −(|x|^(1/gamma)).
    if (x < 0.0f) return -PowerOfPositive(-x, inverseGamma);
    return PowerOfPositive(x, inverseGamma);
}

// Step 5 for one channel: gamma, then brightness and contrast.
inline float GammaBrightContrast(float x, double inverseGamma, bool applyGamma, float bright,
                                 float contrast)
{
    if (applyGamma) {
        if (x == 0.0f) x = 0.00001f;
        x = MirroredPower(x, inverseGamma);
    }
    return (bright * x - 0.5f) * contrast + 0.5f;
}

} // namespace

void SetDefaultOutputSettings(OutputSettings& s)
{
    s.Output_on = false;
    s.Clamp = false;
    s.alpha = 0.0f;
    s.Mono = 0.0f;
    s.bright = 1.0f;
    s.contrast = 1.0f;
    s.gamma = 1.0f;
    s.outputShiftHSV = AColor(0.0f, 0.0f, 0.0f, 0.0f);
    s.outputShiftRGB = AColor(0.0f, 0.0f, 0.0f, 0.0f);
}

float GammaPower(float x, double inverseGamma) { return MirroredPower(x, inverseGamma); }

void PrepareOutputStage(const OutputSettings& s, OutputStage& stage)
{
    stage.settings = s;
    stage.applyGamma = s.gamma != 1.0f;
    stage.inverseGamma = 1.0 / (double)s.gamma;
}

AColor AdjustOutput(const AColor& c, const OutputSettings& s)
{
    OutputStage stage;
    PrepareOutputStage(s, stage);
    return AdjustOutput(c, stage);
}

AColor AdjustOutput(const AColor& c, const OutputStage& stage)
{
    const OutputSettings& s = stage.settings;
    AColor hsv = ColorToHsv(c);
    hsv.r = hsv.r + s.outputShiftHSV.r;
    hsv.g = hsv.g + s.outputShiftHSV.g;
    hsv.b = hsv.b + s.outputShiftHSV.b;
    AColor out = HsvToColor(hsv);

    out.r = out.r + s.outputShiftRGB.r;
    out.g = out.g + s.outputShiftRGB.g;
    out.b = out.b + s.outputShiftRGB.b;
    out.a = out.a + s.alpha;

    const bool applyGamma = stage.applyGamma;
    const double inverseGamma = stage.inverseGamma;
    out.r = GammaBrightContrast(out.r, inverseGamma, applyGamma, s.bright, s.contrast);
    out.g = GammaBrightContrast(out.g, inverseGamma, applyGamma, s.bright, s.contrast);
    out.b = GammaBrightContrast(out.b, inverseGamma, applyGamma, s.bright, s.contrast);

    if (s.Mono != 0.0f) {
        const float mean = MeanOf(out);
        out.r = mean;
        out.g = mean;
        out.b = mean;
    }
    if (s.Clamp) out.ClampMinMax();
    return out;
}
