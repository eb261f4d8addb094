// Blend formulas: one function F(b, l) per mode, for one channel.
//
// b is the base's value of the channel, l the layer's. No opacity, no coverage, no alpha here:
// CompositeChannel applies those once for every mode. Colours (r, g, b and sometimes a) and
// bump vectors (x, y, z) call the same functions per component.
//
// Each formula is written once, over T: float for one channel, or Float4 (float4.h) for four
// channels at once in one register, lane by lane the same operations and so the same bits.
// A piecewise formula works out every branch and picks with Select, which for Float4 is a mask,
// not a jump; no branch has side effects, so for float the result is the one of "if".
//
// All arithmetic is single precision in the order written (the build forbids contraction into
// fused multiply-adds), except "Overlay"'s multiply branch, which is worked in double. Nothing is
// clamped: results outside 0..1 are kept. The guards catch exact equality only, and a guard's
// result is the value it tested against ("Dodge" with l exactly 1 gives 1).
#pragma once

#include "cosine.h"

#include <math.h>

#include "float4.h"

// ---- guards -------------------------------------------------------------------------------

inline bool IsExactlyZero(float x) { return x == 0.0f; }
inline bool IsExactlyOne(float x) { return x == 1.0f; }
inline Mask4 IsExactlyZero(const Float4& x) { return x == Float4(0.0f); }
inline Mask4 IsExactlyOne(const Float4& x) { return x == Float4(1.0f); }

// ---- the composite rule, written once -------------------------------------------------------

// t = F·op + (1 − op)·b;  b' = t·a + (1 − a)·b
// op is the layer's opacity fraction, a its coverage (the layer's alpha or mask weight).
template <class T>
inline T CompositeChannel(const T& b, const T& f, float op, float a)
{
    const T t = f * op + (1.0f - op) * b;
    return t * a + (1.0f - a) * b;
}

// ---- per-channel formulas --------------------------------------------------------------------

// Normal: l
template <class T>
inline T BlendNormal(const T&, const T& l)
{
    return l;
}

// Multiply: b·l
template <class T>
inline T BlendMultiply(const T& b, const T& l)
{
    return b * l;
}

// Screen: 1 − (1 − b)·(1 − l)
template <class T>
inline T BlendScreen(const T& b, const T& l)
{
    return 1.0f - (1.0f - b) * (1.0f - l);
}

// Additive: b + l
template <class T>
inline T BlendAdditive(const T& b, const T& l)
{
    return b + l;
}

// Subtractive: b + l − 1
template <class T>
inline T BlendSubtractive(const T& b, const T& l)
{
    return b + l - 1.0f;
}

// Stamp: b + 2·l − 1
template <class T>
inline T BlendStamp(const T& b, const T& l)
{
    return b + 2.0f * l - 1.0f;
}

// Difference: |b − l|
template <class T>
inline T BlendDifference(const T& b, const T& l)
{
    return Abs(b - l);
}

// Negation: 1 − |1 − b − l|
template <class T>
inline T BlendNegation(const T& b, const T& l)
{
    return 1.0f - Abs(1.0f - b - l);
}

// Exclusion: b + l − 2·b·l
template <class T>
inline T BlendExclusion(const T& b, const T& l)
{
    return b + l - 2.0f * b * l;
}

// Darken: l when b ≥ l, else b
template <class T>
inline T BlendDarken(const T& b, const T& l)
{
    return Select(b >= l, l, b);
}

// Lighten: b when b > l, else l
template <class T>
inline T BlendLighten(const T& b, const T& l)
{
    return Max(b, l);
}

// Overlay: b ≥ 0.5: 1 − 2·(1 − b)·(1 − l); else 2·b·l worked in double and rounded to float.
// The base is tested; b exactly 0.5 takes the screen branch.
template <class T>
inline T BlendOverlay(const T& b, const T& l)
{
    return Select(b >= 0.5f, 1.0f - 2.0f * (1.0f - b) * (1.0f - l), ProductInDouble(b, l));
}

// Hard Light: l ≥ 0.5: 1 − 2·(1 − l)·(1 − b); else 2·b·l.
// The layer is tested; l exactly 0.5 takes the screen branch.
template <class T>
inline T BlendHardLight(const T& b, const T& l)
{
    return Select(l >= 0.5f, 1.0f - 2.0f * (1.0f - l) * (1.0f - b), 2.0f * b * l);
}

// Soft Light: l ≥ 0.5: √b·(2·l − 1) + 2·b·(1 − l); else (1 − 2·l)·b² + 2·b·l.
// The layer is tested; l exactly 0.5 takes the first branch. b² is b·b, formed first.
// A negative base has no real square root: the first branch then gives NaN, as the float
// arithmetic does.
template <class T>
inline T BlendSoftLight(const T& b, const T& l)
{
    return Select(l >= 0.5f, SquareRoot(b) * (2.0f * l - 1.0f) + 2.0f * b * (1.0f - l),
                  (1.0f - 2.0f * l) * (b * b) + 2.0f * b * l);
}

// Dodge: l = 1: 1; else b / (1 − l)
template <class T>
inline T BlendDodge(const T& b, const T& l)
{
    return Select(IsExactlyOne(l), 1.0f, b / (1.0f - l));
}

// Inverse dodge: b = 1: 1; else l / (1 − b)
template <class T>
inline T BlendInverseDodge(const T& b, const T& l)
{
    return Select(IsExactlyOne(b), 1.0f, l / (1.0f - b));
}

// Soft dodge: b + l ≥ 1: (b = 0: 0; else 1 − 0.5·(1 − l) / b);
//             otherwise  (l = 1: 1; else 0.5·b / (1 − l)).
// A sum of exactly 1 takes the first branch. 0.5·(1 − l) / b is read left to right.
inline float BlendSoftDodge(const float& b, const float& l)
{
    if (b + l >= 1.0f) {
        if (IsExactlyZero(b)) return 0.0f;
        return 1.0f - 0.5f * (1.0f - l) / b;
    }
    if (IsExactlyOne(l)) return 1.0f;
    return 0.5f * b / (1.0f - l);
}

// Burn: l = 0: 0; else 1 − (1 − b) / l
template <class T>
inline T BlendBurn(const T& b, const T& l)
{
    return Select(IsExactlyZero(l), 0.0f, 1.0f - (1.0f - b) / l);
}

// Inverse burn: b = 0: 0; else 1 − (1 − l) / b
template <class T>
inline T BlendInverseBurn(const T& b, const T& l)
{
    return Select(IsExactlyZero(b), 0.0f, 1.0f - (1.0f - l) / b);
}

// Soft burn: b + l < 1: (b = 1: 1; else 0.5·l / (1 − b));
//            otherwise  (l = 0: 0; else 1 − 0.5·(1 − b) / l).
// A sum of exactly 1 takes the second branch.
inline float BlendSoftBurn(const float& b, const float& l)
{
    if (b + l < 1.0f) {
        if (IsExactlyOne(b)) return 1.0f;
        return 0.5f * l / (1.0f - b);
    }
    if (IsExactlyZero(l)) return 0.0f;
    return 1.0f - 0.5f * (1.0f - b) / l;
}

// Interpolation: 0.5 − 0.25·cos(π·b) − 0.25·cos(π·l), with the float π, the float products and
// the engine's own cosine (faithfully rounded, the same bits in every build).
inline float BlendInterpolation(const float& b, const float& l)
{
    const float pi = 3.14159274f;
    float cosB, cosL;
    CosineOfTwo(pi * b, pi * l, cosB, cosL);
    return 0.5f - 0.25f * cosB - 0.25f * cosL;
}

// Average: (b + l)·0.5
template <class T>
inline T BlendAverage(const T& b, const T& l)
{
    return (b + l) * 0.5f;
}

// Reflect: l = 1: 1; else b² / (1 − l)
template <class T>
inline T BlendReflect(const T& b, const T& l)
{
    return Select(IsExactlyOne(l), 1.0f, b * b / (1.0f - l));
}

// Glow: b = 1: 1; else l² / (1 − b)
template <class T>
inline T BlendGlow(const T& b, const T& l)
{
    return Select(IsExactlyOne(b), 1.0f, l * l / (1.0f - b));
}

// Freeze: l = 0: 0; else 1 − (1 − b)² / l
template <class T>
inline T BlendFreeze(const T& b, const T& l)
{
    const T inverse = 1.0f - b;
    return Select(IsExactlyZero(l), 0.0f, 1.0f - inverse * inverse / l);
}

// Heat: b = 0: 0; else 1 − (1 − l)² / b
template <class T>
inline T BlendHeat(const T& b, const T& l)
{
    const T inverse = 1.0f - l;
    return Select(IsExactlyZero(b), 0.0f, 1.0f - inverse * inverse / b);
}

// Subtraction: b − l
template <class T>
inline T BlendSubtraction(const T& b, const T& l)
{
    return b - l;
}

// ---- "Exact Difference" ------------------------------------------------------------------------

// Exact Difference on three components: d = b − l; g = |mean(d)|;
// T = 1 when any |d| > tolerance (strictly), else g;  b' = a·d + (1 − a)·T.
// The opacity fraction is the tolerance. The colour walk also sets alpha to (1 − a)·1 itself.
inline void ExactDifference3(float& b0, float& b1, float& b2, float l0, float l1, float l2, float a,
                             float tolerance)
{
    const float d0 = b0 - l0;
    const float d1 = b1 - l1;
    const float d2 = b2 - l2;
    const float grey = fabsf((d1 + d0 + d2) * 0.33333334f);
    const bool differs = fabsf(d0) > tolerance || fabsf(d1) > tolerance || fabsf(d2) > tolerance;
    const float target = differs ? 1.0f : grey;
    const float rest = (1.0f - a) * target;
    b0 = a * d0 + rest;
    b1 = a * d1 + rest;
    b2 = a * d2 + rest;
}
