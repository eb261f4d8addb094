// The mean of three channels as the host computes a colour's mono value.
#pragma once

#include "acolor.h"

// (second + first + third) × 0.33333334, added in that order, all in single precision.
// For a colour that is (g + r + b) × 0.33333334; for a vector (y + x + z) × 0.33333334.
inline float MeanOfThree(float first, float second, float third)
{
    return (second + first + third) * 0.33333334f;
}

// A colour's mean: (g + r + b) × 0.33333334 (the host's default EvalMono of a colour).
inline float MeanOf(const AColor& c) { return MeanOfThree(c.r, c.g, c.b); }
