// The blend space of a layer: linear (the values the renderer hands over, as they are) or
// display (the sRGB encoding an image editor's pixels hold).
//
// A layer in display space is composited on encoded values: the base's and the layer's red,
// green and blue are encoded, the mode's formula and the composite rule work on those, and the
// result is decoded. Alpha is never encoded. Encoding and decoding follow the sRGB transfer
// (IEC 61966-2-1): below its threshold the straight segment, above it the 1/2.4 (2.4) power,
// the same curve above 1, and negative values by symmetry (f(−x) = −f(x)). Each is worked in
// double with the engine's own power (gamma_power.h) and rounded once to float, so the result
// is one of the two floats nearest to the exact value, with the same bits in every build.
// NaN stays NaN, ±inf stays ±inf, −0 stays −0.
#pragma once

#include "acolor.h"
#include "gamma_power.h"

enum BlendSpace { BLEND_SPACE_LINEAR = 0, BLEND_SPACE_DISPLAY = 1 };

// Linear light to display (sRGB) encoding.
inline float EncodeDisplay(float x)
{
    const double v = x < 0.0f ? -(double)x : (double)x;
    double e;
    if (v <= 0.0031308)
        e = 12.92 * v;
    else
        e = 1.055 * DoublePowerOfPositive(v, 1.0 / 2.4) - 0.055;
    return (float)(x < 0.0f ? -e : e);
}

// Display (sRGB) encoding to linear light.
inline float DecodeDisplay(float x)
{
    const double v = x < 0.0f ? -(double)x : (double)x;
    double d;
    if (v <= 0.04045)
        d = v / 12.92;
    else
        d = DoublePowerOfPositive((v + 0.055) / 1.055, 2.4);
    return (float)(x < 0.0f ? -d : d);
}

inline AColor EncodeDisplay(AColor c)
{
    c.r = EncodeDisplay(c.r);
    c.g = EncodeDisplay(c.g);
    c.b = EncodeDisplay(c.b);
    return c;
}

inline AColor DecodeDisplay(AColor c)
{
    c.r = DecodeDisplay(c.r);
    c.g = DecodeDisplay(c.g);
    c.b = DecodeDisplay(c.b);
    return c;
}
