// x^y for the Output stage's gamma step (y = 1/gamma): a power function of the engine's own.
//
// The C libraries' single-precision logarithms and exponentials differ in their last bits
// from one platform to the next, and e^(ln x / gamma) rounds three times (the logarithm, the
// division, the exponential). This one works in double precision from two small tables and
// rounds once, to float, at the end:
//
//   log2 x = k + log2 c + log2(1 + r),   x = 2^k·m,  m in [1, 2),  r = m·(1/c) − 1
//   x^y    = 2^(y·log2 x) = 2^e · 2^(j/32) · 2^s,   y·log2 x = e + j/32 + s
//
// with c the middle of m's 128th of [1, 2) (|r| < 1/256) and |s| ≤ 1/64. Before the rounding
// to float the double result is within about 10^-10 of the exact power, relatively, even for
// the largest exponent y the texture allows (1000), so the float returned is one of the two
// floats nearest to the exact power (within 1 ULP: faithfully rounded; tests/engine/
// gamma_power_test.cpp checks it against a double-precision reference over the float range).
// Only additions, multiplications, conversions and bit operations are used, all exactly
// rounded in IEEE double, so every build gives the same bits.
#pragma once

#include <stdint.h>

#include "float_bits.h"

namespace gamma_power_detail {

// 1/c and log2 c for the 128 intervals of m, as the bits of doubles.
extern const uint64_t kLog2Table[128][2];
// 2^(j/32), j = 0..31, as the bits of doubles.
extern const uint64_t kExp2Table[32];

// log2 x = k + log2 m for x = 2^k·m, m in [1, 2), with i m's 128th of [1, 2). r is exact but
// for one rounding of the product; log2(1 + r) to degree 4.
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
    // z rounded to a multiple n/32 of 1/32 by adding 1.5·2^47, whose last place is 1/32 (the
    // rounding of z·32 + 1.5·2^52, the same n, ties to even alike): the double's low bits then
    // hold n, as 32·e + j with j in 0..31 (the shift's own bits leave through the top). Taking
    // the shift off again is exact, and so is s = z − n/32 (a multiple of z's last place no
    // larger than z), so s has the one value it can have, two steps sooner than through z·32.
    const double shifted = z + 211106232532992.0;
    const uint64_t bits = BitsOfDouble(shifted);
    const double s = z - (shifted - 211106232532992.0);
    const double scale = DoubleOfBits(kExp2Table[bits & 31] + ((bits >> 5) << 52));
    // 2^s = e^(s·ln 2) to degree 4.
    const double s2 = s * s;
    const double exp2s = (1.0 + s * 0.6931471805599453) +
        s2 * ((0.24022650695910072 + s * 0.05550410866482158) + s2 * 0.009618129107628477);
    return scale * exp2s;
}

} // namespace gamma_power_detail

// x^y for x > 0 and a finite y > 0 (the Output stage's 1/gamma). +inf gives +inf and NaN
// gives NaN; results beyond the float range are +inf, those below half its smallest subnormal 0.
inline float PowerOfPositive(float x, double y)
{
    using namespace gamma_power_detail;
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

// x^y in double, for a normal double x > 0 within the float range (or +inf, or NaN) and a finite
// y > 0: the same steps as PowerOfPositive, without its rounding to float, so the caller can
// work on with the result and round once. Relatively within about 10^-10 of the exact power.
inline double DoublePowerOfPositive(double x, double y)
{
    using namespace gamma_power_detail;
    const uint64_t ix = BitsOfDouble(x);
    if (ix >= 0x7ff0000000000000ull) // +inf or NaN
        return x;
    const int k = (int)(ix >> 52) - 1023;
    const int i = (int)((ix >> 45) & 127); // m's 128th of [1, 2)
    const double m = DoubleOfBits((ix & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    return Exp2Of(y * Log2OfParts(k, m, i));
}
