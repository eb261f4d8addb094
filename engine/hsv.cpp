#include "hsv.h"

#include <math.h>

AColor ColorToHsv(const AColor& c)
{
    float max = c.r;
    if (c.g > max) max = c.g;
    if (c.b > max) max = c.b;
    float min = c.r;
    if (c.g < min) min = c.g;
    if (c.b < min) min = c.b;

    // Black: the hue is undefined and marked −1.
    if (max == 0.0f)
        return AColor(-1.0f, 0.0f, max, c.a);

    const float delta = max - min;
    const float s = delta / max;
    // A grey that is not black: the hue formula would divide 0 by 0; such a grey gets hue 0.
    if (delta == 0.0f)
        return AColor(0.0f, s, max, c.a);

    float h;
    if (c.r == max)
        h = (c.g - c.b) / delta;
    else if (c.g == max)
        h = (c.b - c.r) / delta + 2.0f;
    else
        h = (c.r - c.g) / delta + 4.0f;
    h = h * 60.0f;
    if (h < 0.0f)
        h = h + 360.0f;
    return AColor(h, s, max, c.a);
}

AColor HsvToColor(const AColor& hsv)
{
    const float h = hsv.r;
    const float s = hsv.g;
    const float v = hsv.b;
    if (s == 0.0f)
        return AColor(v, v, v, hsv.a);

    // The sector stays a float: a huge or NaN hue never reaches an integer conversion.
    const float hh = h * 0.016666668f;
    const float sector = floorf(hh);
    const float f = hh - sector;
    const float p = (1.0f - s) * v;
    const float q = (1.0f - f * s) * v;
    const float t = (1.0f - (1.0f - f) * s) * v;

    if (sector == 0.0f) return AColor(v, t, p, hsv.a);
    if (sector == 1.0f) return AColor(q, v, p, hsv.a);
    if (sector == 2.0f) return AColor(p, v, t, hsv.a);
    if (sector == 3.0f) return AColor(p, q, v, hsv.a);
    if (sector == 4.0f) return AColor(t, p, v, hsv.a);
    return AColor(v, p, q, hsv.a);
}
