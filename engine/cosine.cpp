// The slow path of the cosine (cosine.h): arguments of 2^20 and more, reduced by π/2 with the
// bits of 2/π (Payne and Hanek's way), and inf and NaN.
#include "cosine.h"

namespace cosine_detail {

namespace {

// The bits of 2/π after the binary point, 32 to a word, behind one word of zeros (for the
// smallest arguments of the slow path, whose window starts before the binary point);
// scripts/cosine-constants prints them.
const uint32_t kTwoOverPiWords[11] = {
    0x00000000u, 0xa2f9836eu, 0x4e441529u, 0xfc2757d1u, 0xf534ddc0u, 0xdb629599u,
    0x3c439041u, 0xfe5163abu, 0xdebbc561u, 0xb7246e3au, 0x424dd2e0u,
};

} // namespace

// |x| = m·2^e with m the 24-bit significand, e ≥ −3 here. |x|·(2/π) = Σ m·b_k·2^(e−k) over the
// bits b_k of 2/π (weight 2^−k); the terms with e − k ≥ 2 are whole multiples of 4 quarter
// turns and drop out, so 128 bits of 2/π from the word holding bit e − 1 on are all it takes:
// the bits beyond them add less than m·2^(e−k) for the first k past the window, below 2^-71
// quarter turns. The product of m and those four words (152 bits, in 32-bit parts so that
// every compiler does it alike) holds |x|·(2/π) mod 4 with 94 to 125 bits after the point;
// shifted so that the two bits of the quarter turns come first, it gives n (rounded to the
// nearest, so that |r| ≤ π/4) and the signed fraction d, with r = d·π/2. The nearest a float of
// 2^20 and more comes to an odd multiple of π/2 is 1.6·10^-9 (2^-29.2, at 7.72917892·10^28), so
// r is relatively within 2^-40 of the exact remainder.
float CosineOfLarge(uint32_t absBits)
{
    if (absBits >= 0x7f800000u) { // inf or NaN: NaN
        const float x = FloatOfBits(absBits);
        return x - x;
    }
    const int e = (int)(absBits >> 23) - 150;
    const uint32_t m = (absBits & 0x007fffffu) | 0x00800000u;
    // The first word whose bits may count: the one holding bit e − 1 (the index counts the zero
    // word in front). The two bits of the quarter turns are then s + 1 and s bits below the top
    // of the 128 kept, s = (e + 30) mod 32.
    const int w = (e + 30) >> 5;
    const int s = (e + 30) & 31;
    uint64_t p = (uint64_t)m * kTwoOverPiWords[w + 3];
    const uint32_t p0 = (uint32_t)p;
    p = (uint64_t)m * kTwoOverPiWords[w + 2] + (p >> 32);
    const uint32_t p1 = (uint32_t)p;
    p = (uint64_t)m * kTwoOverPiWords[w + 1] + (p >> 32);
    const uint32_t p2 = (uint32_t)p;
    p = (uint64_t)m * kTwoOverPiWords[w] + (p >> 32);
    const uint32_t p3 = (uint32_t)p; // the bits above it are multiples of 4 quarter turns
    const uint64_t top = ((uint64_t)p3 << 32) | p2;
    const uint64_t rest = ((uint64_t)p1 << 32) | p0;
    // Shifted left by s (rest >> (64 − s) written so that s = 0 shifts by no more than 63).
    const uint64_t hi = (top << s) | ((rest >> 1) >> (63 - s));
    const uint32_t lo = (uint32_t)((rest << s) >> 32);
    // n: the quarter turns rounded to the nearest; d = (the turns − n) in units of 2^-62, in
    // [−2^61, 2^61), then 32 more bits in lo.
    const uint32_t n = (uint32_t)((hi + ((uint64_t)1 << 61)) >> 62);
    const uint64_t d = hi - ((uint64_t)n << 62);
    const int32_t dHigh = (int32_t)(uint32_t)(d >> 32); // two's complement: the sign is here
    // Exact parts, two roundings: the fraction relatively within 2^-52.
    const double fraction = ((double)dHigh * DoubleOfBits(0x3e10000000000000ull) + // 2^-30
                             (double)(uint32_t)d * DoubleOfBits(0x3c10000000000000ull)) + // 2^-62
        (double)lo * DoubleOfBits(0x3a10000000000000ull); // 2^-94
    return CosineOfReduced(fraction * DoubleOfBits(0x3ff921fb54442d18ull), n);
}

} // namespace cosine_detail
