#include "output_stage.h"

#include "color_mean.h"
#include "gamma_power.h"
#include "hsv.h"

#include <emmintrin.h>

namespace {

// x^(1/gamma), mirrored for a negative x, one channel at a time.
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
    const AColor shifted = HsvToColor(hsv);

    AColor out = shifted;
    out.r = out.r + s.outputShiftRGB.r;
    out.g = out.g + s.outputShiftRGB.g;
    out.b = out.b + s.outputShiftRGB.b;
    out.a = out.a + s.alpha;
    if (stage.applyGamma) {
        __m128 rgb = _mm_setr_ps(out.r, out.g, out.b, 1.0f);
        const __m128 zero = _mm_cmpeq_ps(rgb, _mm_setzero_ps());
        rgb = _mm_or_ps(_mm_and_ps(zero, _mm_set1_ps(0.00001f)), _mm_andnot_ps(zero, rgb));
        const __m128 sign = _mm_and_ps(_mm_cmplt_ps(rgb, _mm_setzero_ps()), _mm_set1_ps(-0.0f));
        rgb = _mm_xor_ps(PowerOfPositiveFour(_mm_xor_ps(rgb, sign), stage.inverseGamma), sign);
        out.r = _mm_cvtss_f32(rgb);
        out.g = _mm_cvtss_f32(_mm_shuffle_ps(rgb, rgb, 0x55));
        out.b = _mm_cvtss_f32(_mm_shuffle_ps(rgb, rgb, 0xaa));
    }
    out.r = (s.bright * out.r - 0.5f) * s.contrast + 0.5f;
    out.g = (s.bright * out.g - 0.5f) * s.contrast + 0.5f;
    out.b = (s.bright * out.b - 0.5f) * s.contrast + 0.5f;
    if (s.Mono != 0.0f) {
        const float mean = MeanOf(out);
        out.r = mean;
        out.g = mean;
        out.b = mean;
    }
    if (s.Clamp) out.ClampMinMax();
    return out;
}
