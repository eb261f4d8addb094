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
// The nearest a float below 2^20 comes to an odd multiple of π/2 is 4.2·10^-9 (2^-27.8, at
// 252.898209; near the even multiples cos x is near ±1 and a small r does no harm), so r is
// relatively within 2^-38 of the exact remainder at worst.
//
// On |r| ≤ π/4 (a little more, for the rounding of n): cos r = 1 + z·C(z) and
// sin r = r + r·z·S(z), z = r², C and S of degree 4, fitted on Chebyshev nodes: relative errors
// below 3.2·10^-13 and 1.9·10^-14 (scripts/cosine-constants works out the constants and these
// bounds). With the roundings of the evaluation (a few 2^-53) the double before the rounding to
// float is relatively within 2^-37 of cos x, far inside half a float's spacing (at least
// 2^-25 of the value), so the float returned is one of the two floats around the exact cosine:
// faithfully rounded. tests/engine/cosine_exhaustive.cpp checks that for all 2^32 floats.
#pragma once

#include <stdint.h>

#include "float_bits.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define QUILTRA_COSINE_SSE2 1
#include <emmintrin.h>
#endif

namespace cosine_detail {

// |x| at and above this (2^20, as the bits of a float) takes the slow path, as do inf and NaN.
const uint32_t kLargeBits = 0x49800000u;

// cos x for |x| ≥ 2^20, inf and NaN (NaN), from the bits of |x| (cosine.cpp).
float CosineOfLarge(uint32_t absBits);

// The arithmetic of one double, and (below) of two in an SSE2 register: the steps are written
// once, for both, so that the two give the same bits.
inline double Add(double a, double b) { return a + b; }
inline double Sub(double a, double b) { return a - b; }
inline double Mul(double a, double b) { return a * b; }

#ifdef QUILTRA_COSINE_SSE2
inline __m128d Add(__m128d a, __m128d b) { return _mm_add_pd(a, b); }
inline __m128d Add(__m128d a, double b) { return _mm_add_pd(a, _mm_set1_pd(b)); }
inline __m128d Sub(__m128d a, __m128d b) { return _mm_sub_pd(a, b); }
inline __m128d Sub(__m128d a, double b) { return _mm_sub_pd(a, _mm_set1_pd(b)); }
inline __m128d Mul(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
inline __m128d Mul(__m128d a, double b) { return _mm_mul_pd(a, _mm_set1_pd(b)); }
#endif

// The reduction of |x| < 2^20 (as a double): n and r with a = n·π/2 + r; "shifted" holds n in
// its low bits (a·(2/π) rounded to an integer by adding 1.5·2^52).
template <class D>
inline void Reduce(D a, D& shifted, D& r)
{
    shifted = Add(Mul(a, DoubleOfBits(0x3fe45f306dc9c883ull)), 6755399441055744.0);
    const D n = Sub(shifted, 6755399441055744.0);
    r = Sub(Sub(a, Mul(n, DoubleOfBits(0x3ff921fb54400000ull))),
            Mul(n, DoubleOfBits(0x3dd0b4611a626331ull)));
}

// cos r and sin r for |r| ≤ π/4 (and a little more), as short chains (Estrin's scheme).
template <class D>
inline void CosAndSin(D r, D& c, D& s)
{
    const D z = Mul(r, r);
    const D z2 = Mul(z, z);
    const D z4 = Mul(z2, z2);
    const D rz = Mul(r, z);
    c = Add(
        Add(Add(Mul(z, DoubleOfBits(0xbfdfffffffffe697ull)), 1.0),
            Mul(z2,
                Add(Mul(z, DoubleOfBits(0xbf56c16bae5dd046ull)),
                    DoubleOfBits(0x3fa555555514f682ull)))),
        Mul(z4,
            Add(Mul(z, DoubleOfBits(0xbe92474de7001e17ull)), DoubleOfBits(0x3efa01298ca796cfull))));
    s = Add(Add(r,
                Mul(rz,
                    Add(Mul(z, DoubleOfBits(0x3f81111110fd3cf8ull)),
                        DoubleOfBits(0xbfc555555555516bull)))),
            Mul(Mul(rz, z2),
                Add(Add(Mul(z, DoubleOfBits(0x3ec71d9a9eb8768full)),
                        DoubleOfBits(0xbf2a019fd9b2a95full)),
                    Mul(z2, DoubleOfBits(0xbe5aa28538f31d88ull)))));
}

// cos(n·π/2 + r) for |r| ≤ π/4 (and a little more), n given mod 4 by its low bits.
inline float CosineOfReduced(double r, uint32_t n)
{
    double c, s;
    CosAndSin(r, c, s);
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
    double shifted, r;
    Reduce((double)FloatOfBits(absBits), shifted, r);
    return CosineOfReduced(r, (uint32_t)BitsOfDouble(shifted));
}

#ifdef QUILTRA_COSINE_SSE2

// cos x and cos y at once, in the two halves of an SSE2 register: the same bits as CosineOf
// for each, for about the work of one.
inline void CosineOfTwo(float x, float y, float& cosX, float& cosY)
{
    using namespace cosine_detail;
    const __m128i absBits =
        _mm_and_si128(_mm_castps_si128(_mm_unpacklo_ps(_mm_set1_ps(x), _mm_set1_ps(y))),
                      _mm_set1_epi32(0x7fffffff));
    if (_mm_movemask_ps(_mm_castsi128_ps(
            _mm_cmpgt_epi32(absBits, _mm_set1_epi32((int)(kLargeBits - 1u))))) != 0) {
        cosX = CosineOf(x);
        cosY = CosineOf(y);
        return;
    }
    __m128d shifted, r, c, s;
    Reduce(_mm_cvtps_pd(_mm_castsi128_ps(absBits)), shifted, r);
    CosAndSin(r, c, s);
    // As in CosineOfReduced: n mod 4 from the low bits of each half of "shifted".
    const __m128i n = _mm_castpd_si128(shifted);
    const __m128i odd =
        _mm_srai_epi32(_mm_shuffle_epi32(_mm_slli_epi32(n, 31), _MM_SHUFFLE(2, 2, 0, 0)), 31);
    const __m128i sign = _mm_slli_epi64(_mm_add_epi64(n, _mm_set_epi32(0, 1, 0, 1)), 62);
    const __m128d picked =
        _mm_or_pd(_mm_and_pd(_mm_castsi128_pd(odd), s), _mm_andnot_pd(_mm_castsi128_pd(odd), c));
    const __m128d signMask =
        _mm_castsi128_pd(_mm_set_epi32((int)0x80000000u, 0, (int)0x80000000u, 0));
    const __m128 result =
        _mm_cvtpd_ps(_mm_xor_pd(picked, _mm_and_pd(_mm_castsi128_pd(sign), signMask)));
    cosX = _mm_cvtss_f32(result);
    cosY = _mm_cvtss_f32(_mm_shuffle_ps(result, result, _MM_SHUFFLE(1, 1, 1, 1)));
}

#else

// Without SSE2, one after the other.
inline void CosineOfTwo(float x, float y, float& cosX, float& cosY)
{
    cosX = CosineOf(x);
    cosY = CosineOf(y);
}

#endif
