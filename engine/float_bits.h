// The bits of a float or a double as an unsigned integer of the same width, and back.
#pragma once

#include <stdint.h>
#include <string.h>

inline uint32_t BitsOfFloat(float f)
{
    uint32_t bits;
    memcpy(&bits, &f, sizeof bits);
    return bits;
}

inline float FloatOfBits(uint32_t bits)
{
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

inline uint64_t BitsOfDouble(double d)
{
    uint64_t bits;
    memcpy(&bits, &d, sizeof bits);
    return bits;
}

inline double DoubleOfBits(uint64_t bits)
{
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}
