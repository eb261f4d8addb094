// cos x for a float x: a cosine of the engine's own, for the Interpolation blend mode.
//
// The C libraries' cosf differ from one another in their last bits (and some are slow), so the
// same scene would render differently from one build to the next. This one gives the same bits
// everywhere: it uses only IEEE double additions, subtractions, multiplications, conversions
// and bit operations, each exactly rounded, and rounds once to float at the end.
//
// x = n·π/2 + r with |r| ≤ π/4, and cos x is ±cos r or ±sin r by n mod 4. For |x| < 2^20 the
// reduction is Cody and Waite's, in double: n = x·(2/π) rounded to an integer, then
// r = (x − n·P1) − n·P2 with P1 π/2 to 33 significant bits (n < 2^20, so n·P1 is exact, and
// x − n·P1 is exact as the two are within a factor of two) and P2 the double nearest to
// π/2 − P1 (which leaves 3.5·10^-27). The error in r is then below 2^-66 plus one rounding of
// r itself. Larger arguments are reduced exactly enough from the bits of 2/π, in cosine.cpp.
// The nearest a float comes to a multiple of π/2 (but 0) is some 2^-29 (a float near
// 1.3·10^7, tests/engine/cosine_exhaustive.cpp finds it), so r is relatively within 2^-37 of
// the exact remainder at worst.
//
// On |r| ≤ π/4 (a little more, for the rounding of n): cos r = 1 + z·C(z) and
// sin r = r + r·z·S(z), z = r², C and S of degree 4, fitted on Chebyshev nodes: relative errors
// below 3.2·10^-13 and 1.9·10^-14 (scripts/cosine-constants works out the constants and these
// bounds). With the roundings of the evaluation (a few 2^-53) the double before the rounding to
// float is relatively within 2^-36 of cos x, far inside half a float's spacing (at least
// 2^-25 of the value), so the float returned is one of the two floats around the exact cosine:
// faithfully rounded. tests/engine/cosine_exhaustive.cpp checks that for all 2^32 floats.
#pragma once

#include <stdint.h>
#include <string.h>

namespace cosine_detail {

inline double DoubleOfBits(uint64_t bits)
{
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

inline uint64_t BitsOfDouble(double d)
{
    uint64_t bits;
    memcpy(&bits, &d, sizeof bits);
    return bits;
}

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

// |x| at and above this (2^20, as the bits of a float) takes the slow path, as do inf and NaN.
const uint32_t kLargeBits = 0x49800000u;

// cos x for |x| ≥ 2^20, inf and NaN (NaN), from the bits of |x| (cosine.cpp).
float CosineOfLarge(uint32_t absBits);

// cos(n·π/2 + r) for |r| ≤ π/4 (and a little more), n given mod 4 by its low bits.
inline float CosineOfReduced(double r, uint32_t n)
{
    const double z = r * r;
    const double z2 = z * z;
    const double z4 = z2 * z2;
    const double c = (1.0 + z * DoubleOfBits(0xbfdfffffffffe697ull)) +
        z2 *
            ((DoubleOfBits(0x3fa555555514f682ull) + z * DoubleOfBits(0xbf56c16bae5dd046ull)) +
             z2 * (DoubleOfBits(0x3efa01298ca796cfull) + z * DoubleOfBits(0xbe92474de7001e17ull)));
    const double s = r +
        (r * z) *
            (((DoubleOfBits(0xbfc555555555516bull) + z * DoubleOfBits(0x3f81111110fd3cf8ull)) +
              z2 *
                  (DoubleOfBits(0xbf2a019fd9b2a95full) + z * DoubleOfBits(0x3ec71d9a9eb8768full))) +
             z4 * DoubleOfBits(0xbe5aa28538f31d88ull));
    // n mod 4 = 0: cos r, 1: −sin r, 2: −cos r, 3: sin r. Chosen with masks: n is as random as
    // the colours are, and a mispredicted branch costs more than the polynomial not taken.
    const uint64_t odd = (uint64_t)0 - (uint64_t)(n & 1u);
    const uint64_t sign = (uint64_t)((n + 1u) & 2u) << 62;
    return (float)DoubleOfBits(((BitsOfDouble(c) & ~odd) | (BitsOfDouble(s) & odd)) ^ sign);
}

} // namespace cosine_detail

// cos x, faithfully rounded (one of the two floats around the exact cosine), the same bits in
// every build. ±0 gives 1; ±inf and NaN give NaN.
inline float CosineOf(float x)
{
    using namespace cosine_detail;
    const uint32_t absBits = BitsOfFloat(x) & 0x7fffffffu;
    if (absBits >= kLargeBits) return CosineOfLarge(absBits);
    const double a = (double)FloatOfBits(absBits);
    // a·(2/π) rounded to an integer n by adding 1.5·2^52: the low bits of the sum hold n.
    const double shifted = a * DoubleOfBits(0x3fe45f306dc9c883ull) + 6755399441055744.0;
    const double n = shifted - 6755399441055744.0;
    const double r =
        (a - n * DoubleOfBits(0x3ff921fb54400000ull)) - n * DoubleOfBits(0x3dd0b4611a626331ull);
    return CosineOfReduced(r, (uint32_t)BitsOfDouble(shifted));
}
