// Conversions between RGB and HSV colours, shared by the Output stage and the HSV blend modes.
//
// An HSV colour travels in an AColor: hue in r (degrees, 0 to below 360 when defined, −1 for
// black), saturation in g, value in b; alpha is carried through unchanged.
//
// Both are inline and choose their sector by selection rather than by branches: the HSV blend
// modes convert every layer, and hues of neighbouring samples need not be alike.
#pragma once

#include "acolor.h"

#include <math.h>

// Inlined into every rule that converts: with the rules of both blend spaces calling them, the
// compiler would otherwise keep calls in the run loops.
#if defined(_MSC_VER)
#define QUILTRA_INLINE_HSV __forceinline
#elif defined(__GNUC__)
#define QUILTRA_INLINE_HSV inline __attribute__((always_inline))
#else
#define QUILTRA_INLINE_HSV inline
#endif

// RGB to HSV. v = max; s = (max − min) / max; the hue formula is chosen by exact equality with
// the maximum, red first, then green. Black (max exactly 0) has hue −1 and saturation 0; any
// other grey (max equal to min) has hue 0 and saturation 0.
QUILTRA_INLINE_HSV AColor ColorToHsv(const AColor& c)
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
QUILTRA_INLINE_HSV AColor HsvToColor(const AColor& hsv)
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
