// Float4: four single-precision lanes in one SSE2 register, for the colour walk's r, g, b and a.
//
// Every operation works lane by lane with the IEEE result of the scalar operation of the same
// name (add, subtract, multiply, divide, square root), so a formula written once over float and
// Float4 (blend_formulas.h) gives the same bits in every lane as the float form gives for that
// channel. Comparisons give a Mask4 (all ones in a lane where the comparison holds, false for a
// NaN as the scalar comparison is), and Select picks lane by lane without a jump.
//
// The same few names are defined for float, so that a formula can be a template over both:
// Select, Max, Abs, SquareRoot, ProductInDouble.
#pragma once

#include <emmintrin.h>
#include <math.h>

#include "acolor.h"

// A lane mask: all bits set where a comparison held.
struct Mask4 {
    __m128 v;
    explicit Mask4(__m128 m) : v(m) { }
};

struct Float4 {
    __m128 v;

    Float4() { }
    explicit Float4(__m128 x) : v(x) { }
    // The same value in every lane; implicit, so that the formulas' float constants mix with
    // lanes as they mix with floats.
    Float4(float x) : v(_mm_set1_ps(x)) { }

    static Float4 Load(const AColor& c) { return Float4(_mm_loadu_ps(&c.r)); }
    // The same from four values, where the colour was handed over in registers (a load of all
    // 16 bytes right after two 8-byte stores would wait for the stores to complete).
    static Float4 Gather(const AColor& c) { return Float4(_mm_setr_ps(c.r, c.g, c.b, c.a)); }
    void Store(AColor& c) const { _mm_storeu_ps(&c.r, v); }
    AColor ToColor() const
    {
        AColor c;
        Store(c);
        return c;
    }
};

inline Float4 operator+(const Float4& x, const Float4& y) { return Float4(_mm_add_ps(x.v, y.v)); }
inline Float4 operator-(const Float4& x, const Float4& y) { return Float4(_mm_sub_ps(x.v, y.v)); }
inline Float4 operator*(const Float4& x, const Float4& y) { return Float4(_mm_mul_ps(x.v, y.v)); }
inline Float4 operator/(const Float4& x, const Float4& y) { return Float4(_mm_div_ps(x.v, y.v)); }

inline Mask4 operator==(const Float4& x, const Float4& y) { return Mask4(_mm_cmpeq_ps(x.v, y.v)); }
inline Mask4 operator<(const Float4& x, const Float4& y) { return Mask4(_mm_cmplt_ps(x.v, y.v)); }
inline Mask4 operator<=(const Float4& x, const Float4& y) { return Mask4(_mm_cmple_ps(x.v, y.v)); }
inline Mask4 operator>(const Float4& x, const Float4& y) { return Mask4(_mm_cmplt_ps(y.v, x.v)); }
inline Mask4 operator>=(const Float4& x, const Float4& y) { return Mask4(_mm_cmple_ps(y.v, x.v)); }
inline Mask4 operator&(const Mask4& x, const Mask4& y) { return Mask4(_mm_and_ps(x.v, y.v)); }
inline Mask4 operator|(const Mask4& x, const Mask4& y) { return Mask4(_mm_or_ps(x.v, y.v)); }

// ---- the names shared with float ---------------------------------------------------------------

// yes where the mask is set, else no.
inline float Select(bool mask, float yes, float no) { return mask ? yes : no; }
inline Float4 Select(const Mask4& mask, const Float4& yes, const Float4& no)
{
    return Float4(_mm_or_ps(_mm_and_ps(mask.v, yes.v), _mm_andnot_ps(mask.v, no.v)));
}

// x when x > y, else y: a NaN in either gives y; of two zeros, y. The packed maximum does
// exactly this.
inline float Max(float x, float y) { return x > y ? x : y; }
inline Float4 Max(const Float4& x, const Float4& y) { return Float4(_mm_max_ps(x.v, y.v)); }

// |x|: the sign bit cleared, a NaN's too, as fabsf does.
inline float Abs(float x) { return fabsf(x); }
inline Float4 Abs(const Float4& x) { return Float4(_mm_andnot_ps(_mm_set1_ps(-0.0f), x.v)); }

inline float SquareRoot(float x) { return sqrtf(x); }
inline Float4 SquareRoot(const Float4& x) { return Float4(_mm_sqrt_ps(x.v)); }

// x·2·y worked in double and rounded to float once. Both products are exact in double (doubling
// only moves the exponent; two 24-bit significands make at most 48 bits; no float product leaves
// double's range), so this is 2xy rounded once to float.
inline float ProductInDouble(float x, float y) { return (float)((double)x * 2.0 * (double)y); }
inline Float4 ProductInDouble(const Float4& x, const Float4& y)
{
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d low = _mm_mul_pd(_mm_mul_pd(_mm_cvtps_pd(x.v), two), _mm_cvtps_pd(y.v));
    const __m128d high = _mm_mul_pd(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x.v, x.v)), two),
                                    _mm_cvtps_pd(_mm_movehl_ps(y.v, y.v)));
    return Float4(_mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
}

// ---- lanes picked by channel -------------------------------------------------------------------

// All bits set in lane i when bit i of channels is set (bit 0 red … bit 3 alpha).
inline Mask4 LaneMask(unsigned channels)
{
    return Mask4(_mm_castsi128_ps(_mm_set_epi32(channels & 8 ? -1 : 0, channels & 4 ? -1 : 0,
                                                channels & 2 ? -1 : 0, channels & 1 ? -1 : 0)));
}
