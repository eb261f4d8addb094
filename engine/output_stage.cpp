#include "output_stage.h"

#include "color_mean.h"
#include "hsv.h"

#include <math.h>

namespace {

// Step 5 for one channel: gamma, then brightness and contrast.
float GammaBrightContrast(float x, float gamma, bool applyGamma, float bright, float contrast)
{
    if (applyGamma) {
        if (x == 0.0f)
            x = 0.00001f;
        x = GammaPower(x, gamma);
    }
    return (bright * x - 0.5f) * contrast + 0.5f;
}

}  // namespace

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

float GammaPower(float x, float gamma)
{
    // e^(ln x / gamma); a negative channel has no real power and takes −(|x|^(1/gamma)).
    if (x < 0.0f)
        return -expf(logf(-x) / gamma);
    return expf(logf(x) / gamma);
}

AColor AdjustOutput(const AColor& c, const OutputSettings& s)
{
    AColor hsv = ColorToHsv(c);
    hsv.r = hsv.r + s.outputShiftHSV.r;
    hsv.g = hsv.g + s.outputShiftHSV.g;
    hsv.b = hsv.b + s.outputShiftHSV.b;
    AColor out = HsvToColor(hsv);

    out.r = out.r + s.outputShiftRGB.r;
    out.g = out.g + s.outputShiftRGB.g;
    out.b = out.b + s.outputShiftRGB.b;
    out.a = out.a + s.alpha;

    const bool applyGamma = s.gamma != 1.0f;
    out.r = GammaBrightContrast(out.r, s.gamma, applyGamma, s.bright, s.contrast);
    out.g = GammaBrightContrast(out.g, s.gamma, applyGamma, s.bright, s.contrast);
    out.b = GammaBrightContrast(out.b, s.gamma, applyGamma, s.bright, s.contrast);

    if (s.Mono != 0.0f) {
        const float mean = MeanOf(out);
        out.r = mean;
        out.g = mean;
        out.b = mean;
    }
    if (s.Clamp)
        out.ClampMinMax();
    return out;
}
