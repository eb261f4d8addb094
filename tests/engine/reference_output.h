// The engine's colour conversions, power and Output stage in their earlier form, kept as the
// reference: any faster form of them must give the same bits (output_exactness_test.cpp,
// bench/power_exhaustive.cpp).
#pragma once

#include "color_mean.h"
#include "gamma_power.h"
#include "output_stage.h"

#include <math.h>

namespace reference {

using gamma_power_detail::kExp2Table;
using gamma_power_detail::kLog2Table;

inline AColor ColorToHsv(const AColor& c)
{
    float max = c.r;
    if (c.g > max) max = c.g;
    if (c.b > max) max = c.b;
    float min = c.r;
    if (c.g < min) min = c.g;
    if (c.b < min) min = c.b;

    // Black: the hue is undefined and marked −1.
    if (max == 0.0f) return AColor(-1.0f, 0.0f, max, c.a);

    const float delta = max - min;
    const float s = delta / max;
    // A grey that is not black: the hue formula would divide 0 by 0; such a grey gets hue 0.
    if (delta == 0.0f) return AColor(0.0f, s, max, c.a);

    // red max: (g − b) / delta; green max: (b − r) / delta + 2; otherwise (r − g) / delta + 4.
    // Picked by index, not by branches, once all three are worked out: the divisions then
    // start as soon as delta is known instead of waiting for the choice, and the quotients
    // not picked are thrown away.
    const float sectors[3] = {(c.g - c.b) / delta, (c.b - c.r) / delta + 2.0f,
                              (c.r - c.g) / delta + 4.0f};
    const int notRed = c.r != max;
    const int sector = notRed + (notRed & (c.g != max));
    const float h = sectors[sector] * 60.0f;
    // Below 0: add 360.
    const float wrapped = h + 360.0f;
    return AColor(h < 0.0f ? wrapped : h, s, max, c.a);
}

// HSV to RGB. Saturation exactly 0 gives the grey (v, v, v) whatever the hue. Otherwise the
// sector is floor(h·0.016666668), kept as a float: sectors 0 to 4 as usual, every other value
// (300 to below 360, and hues below 0, at or above 360, infinite or NaN) takes the sixth row
// (v, p, q).
inline AColor HsvToColor(const AColor& hsv)
{
    const float h = hsv.r;
    const float s = hsv.g;
    const float v = hsv.b;
    if (s == 0.0f) return AColor(v, v, v, hsv.a);

    const float hh = h * 0.016666668f;
    // The sector is floor(hh). A hue of 0 to below 360 (hh 0 to below 6), as nearly every hue
    // is, gets it from one truncation, which is also its row; any other hue takes floorf and
    // the sixth row. (hh = −0 gives the sector +0 rather than −0; f is then −0 instead of +0,
    // and q and t come out the same, as 1 − (±0)·s is 1.)
    float sector;
    int row;
    if (hh >= 0.0f && hh < 6.0f) {
        row = (int)hh;
        sector = (float)row;
    } else {
        sector = floorf(hh);
        row = 5;
    }
    const float f = hh - sector;
    // Which of v, p, q, t each channel takes, by sector (0..4, then every other value).
    static const unsigned char kRows[6][3] = {{0, 3, 1}, {2, 0, 1}, {1, 0, 3},
                                              {1, 2, 0}, {3, 1, 0}, {0, 1, 2}};
    float values[4];
    values[0] = v;
    values[1] = (1.0f - s) * v; // p
    values[2] = (1.0f - f * s) * v; // q
    values[3] = (1.0f - (1.0f - f) * s) * v; // t
    return AColor(values[kRows[row][0]], values[kRows[row][1]], values[kRows[row][2]], hsv.a);
}

inline double Log2OfParts(int k, double m, int i)
{
    const double invc = DoubleOfBits(kLog2Table[i][0]);
    const double log2c = DoubleOfBits(kLog2Table[i][1]);
    const double r = m * invc - 1.0;
    const double r2 = r * r;
    const double log2r = r * 1.4426950408889634 +
        r2 * ((-0.7213475204444817 + r * 0.4808983469629878) + r2 * -0.36067376022224085);
    return ((double)k + log2c) + log2r;
}

// 2^z in double. Beyond these bounds a float result is +inf or 0 whatever z is exactly; the
// bounds keep the scaling below inside the double range.
inline double Exp2Of(double z)
{
    if (z > 150.0) z = 150.0;
    if (z < -200.0) z = -200.0;
    // z·32 rounded to an integer n by adding 1.5·2^52: the double's low bits then hold n, as
    // 32·e + j with j in 0..31 (the shift's own bits leave through the top).
    const double shifted = z * 32.0 + 6755399441055744.0;
    const uint64_t bits = BitsOfDouble(shifted);
    const double s = z - (shifted - 6755399441055744.0) * (1.0 / 32.0);
    const double scale = DoubleOfBits(kExp2Table[bits & 31] + ((bits >> 5) << 52));
    // 2^s = e^(s·ln 2) to degree 4.
    const double s2 = s * s;
    const double exp2s = (1.0 + s * 0.6931471805599453) +
        s2 * ((0.24022650695910072 + s * 0.05550410866482158) + s2 * 0.009618129107628477);
    return scale * exp2s;
}

inline float PowerOfPositive(float x, double y)
{
    uint32_t ix = BitsOfFloat(x);
    if (ix >= 0x7f800000u) // +inf or NaN (a negative x is the caller's)
        return x;
    int k = -127;
    if (ix < 0x00800000u) { // subnormal: scaled into the normal range by 2^23 (exact)
        ix = BitsOfFloat(x * 8388608.0f);
        k = -127 - 23;
    }
    k += (int)(ix >> 23);
    const int i = (int)((ix >> 16) & 127); // m's 128th of [1, 2)
    const double m = (double)FloatOfBits((ix & 0x007fffffu) | 0x3f800000u);
    return (float)Exp2Of(y * Log2OfParts(k, m, i));
}

inline double DoublePowerOfPositive(double x, double y)
{
    const uint64_t ix = BitsOfDouble(x);
    if (ix >= 0x7ff0000000000000ull) // +inf or NaN
        return x;
    const int k = (int)(ix >> 52) - 1023;
    const int i = (int)((ix >> 45) & 127); // m's 128th of [1, 2)
    const double m = DoubleOfBits((ix & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    return Exp2Of(y * Log2OfParts(k, m, i));
}

inline float MirroredPower(float x, double inverseGamma)
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

inline AColor AdjustOutput(const AColor& c, const OutputStage& stage)
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

} // namespace reference
