// Conversions between RGB and HSV colours, shared by the Output stage and the HSV blend modes.
//
// An HSV colour travels in an AColor: hue in r (degrees, 0 to below 360 when defined, −1 for
// black), saturation in g, value in b; alpha is carried through unchanged.
#pragma once

#include "acolor.h"

// RGB to HSV. v = max; s = (max − min) / max; the hue sector is chosen by exact equality with
// the maximum, red first, then green. Black (max exactly 0) has hue −1 and saturation 0; any
// other grey (max equal to min) has hue 0 and saturation 0.
AColor ColorToHsv(const AColor& c);

// HSV to RGB. Saturation exactly 0 gives the grey (v, v, v) whatever the hue. Otherwise the
// sector is floor(h / 60): sectors 0 to 4 as usual, every other value (300 to below 360, and
// hues below 0, at or above 360, infinite or NaN) takes the sixth sector (v, p, q).
AColor HsvToColor(const AColor& hsv);
