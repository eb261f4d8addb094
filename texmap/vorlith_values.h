// Value rules the texture applies wherever values come from outside (scripts, scene files).
// The values themselves (new-layer defaults, the lowest gamma) are published in ivorlith.h.
#pragma once

#include "ivorlith.h"

// False for infinities and NaN: both give NaN when subtracted from themselves.
inline bool IsFiniteFloat(float x) { return x - x == 0.0f; }

// A gamma the Output stage can take: below the lowest gamma (or NaN), the lowest gamma.
inline float LimitOutputGamma(float gamma)
{
    return gamma >= VORLITH_MIN_OUTPUT_GAMMA ? gamma : VORLITH_MIN_OUTPUT_GAMMA;
}
