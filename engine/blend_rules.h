// The rules that composite one layer onto the base, one per kind of mode, with the formula
// inlined: the bodies of the run loops of the walk of the layer stack (layer_stack.h).
#pragma once

#include "acolor.h"
#include "blend_formulas.h"
#include "blend_modes.h"
#include "float4.h"
#include "hsv.h"
#include "point3.h"

// The single-layer rules are also the bodies of the run loops, where they must be inlined for
// the base to stay in registers; the compiler is told so, as it would otherwise keep the call.
#if defined(_MSC_VER)
#define QUILTRA_INLINE_RULE __forceinline
#elif defined(__GNUC__)
#define QUILTRA_INLINE_RULE inline __attribute__((always_inline))
#else
#define QUILTRA_INLINE_RULE inline
#endif

// ---- colour rules: a layer composited onto the base; the layer's alpha is its coverage, op its
// opacity fraction -----------------------------------------------------------------------------

// The ordinary modes: F per channel named in Channels, composited with CompositeChannel.
// For the alpha channel b is the base's alpha and l the layer's, which is the coverage itself.
template <BlendFormula F, unsigned Channels>
QUILTRA_INLINE_RULE AColor BlendColorChannels(AColor base, AColor layer, float op)
{
    const float a = layer.a;
    if (Channels & BLEND_RED) base.r = CompositeChannel(base.r, F(base.r, layer.r), op, a);
    if (Channels & BLEND_GREEN) base.g = CompositeChannel(base.g, F(base.g, layer.g), op, a);
    if (Channels & BLEND_BLUE) base.b = CompositeChannel(base.b, F(base.b, layer.b), op, a);
    if (Channels & BLEND_ALPHA) base.a = CompositeChannel(base.a, F(base.a, a), op, a);
    return base;
}

// The formulas written for float only, four lanes as four calls: Interpolation (its cosine),
// Soft dodge and Soft burn (their branches in lanes measured slower than their jumps).
template <BlendFormula F>
inline Float4 EachLane(const Float4& b, const Float4& l)
{
    const AColor x = b.ToColor();
    const AColor y = l.ToColor();
    return Float4(_mm_setr_ps(F(x.r, y.r), F(x.g, y.g), F(x.b, y.b), F(x.a, y.a)));
}
inline Float4 BlendInterpolation(const Float4& b, const Float4& l)
{
    return EachLane<&BlendInterpolation>(b, l);
}
inline Float4 BlendSoftDodge(const Float4& b, const Float4& l)
{
    return EachLane<&BlendSoftDodge>(b, l);
}
inline Float4 BlendSoftBurn(const Float4& b, const Float4& l)
{
    return EachLane<&BlendSoftBurn>(b, l);
}

// Whether a formula is worth working on all four lanes at once; one that is not is applied to
// the channels its mode names only, with BlendColorChannels. Not: those worked lane by lane
// above; Overlay, Hard Light, Soft Light, Dodge, Inverse dodge, Reflect and Glow, whose
// selection in four lanes lies on the base's dependency chain and measured slower than a
// predicted jump per channel (Windows x64).
template <BlendFormula F>
struct LanesAtOnce {
    enum { value = 1 };
};
#define QUILTRA_CHANNEL_BY_CHANNEL(F) \
    template <> \
    struct LanesAtOnce<&F> { \
        enum { value = 0 }; \
    };
QUILTRA_CHANNEL_BY_CHANNEL(BlendInterpolation)
QUILTRA_CHANNEL_BY_CHANNEL(BlendSoftDodge)
QUILTRA_CHANNEL_BY_CHANNEL(BlendSoftBurn)
QUILTRA_CHANNEL_BY_CHANNEL(BlendOverlay)
QUILTRA_CHANNEL_BY_CHANNEL(BlendHardLight)
QUILTRA_CHANNEL_BY_CHANNEL(BlendSoftLight)
QUILTRA_CHANNEL_BY_CHANNEL(BlendDodge)
QUILTRA_CHANNEL_BY_CHANNEL(BlendInverseDodge)
QUILTRA_CHANNEL_BY_CHANNEL(BlendReflect)
QUILTRA_CHANNEL_BY_CHANNEL(BlendGlow)
#undef QUILTRA_CHANNEL_BY_CHANNEL

// The ordinary modes with the base in one register: F on all four lanes (the layer's alpha lane
// is its coverage a), composited lane by lane. The lanes of channels the mode leaves alone hold
// values nobody reads: KeepLanes puts the base's back, after a whole run. With KeepLanes, the
// same bits as BlendColorChannels<F, Channels>.
template <Float4 (*F)(const Float4& b, const Float4& l)>
QUILTRA_INLINE_RULE Float4 BlendColorLanes(const Float4& base, const Float4& layer, float a,
                                           float op)
{
    return CompositeChannel(base, F(base, layer), op, a);
}

// result in the lanes of the channels named, base in the others.
template <unsigned Channels>
QUILTRA_INLINE_RULE Float4 KeepLanes(const Float4& result, const Float4& base)
{
    if ((Channels & BLEND_RGBA) == BLEND_RGBA) return result;
    return Select(LaneMask(Channels), result, base);
}

// The HSV modes: base and layer to HSV; each named component mixed as
// (Y·op + B·(1 − op))·a + B·(1 − a) (hue as a plain number, no wrapping); back to RGB with the
// base's alpha. The base makes the round trip even when op or a is 0.
template <unsigned Components>
QUILTRA_INLINE_RULE AColor BlendColorHsv(AColor base, AColor layer, float op)
{
    const float a = layer.a;
    AColor b = ColorToHsv(base);
    const AColor l = ColorToHsv(layer);
    if (Components & BLEND_HUE) b.r = CompositeChannel(b.r, l.r, op, a);
    if (Components & BLEND_SATURATION) b.g = CompositeChannel(b.g, l.g, op, a);
    if (Components & BLEND_VALUE) b.b = CompositeChannel(b.b, l.b, op, a);
    return HsvToColor(b);
}

// "Exact Difference": r, g, b from ExactDifference3 (op is the tolerance); alpha becomes
// (1 − a) times the target's alpha, which is 1.
QUILTRA_INLINE_RULE AColor BlendColorExactDifference(AColor base, AColor layer, float op)
{
    const float a = layer.a;
    ExactDifference3(base.r, base.g, base.b, layer.r, layer.g, layer.b, a, op);
    base.a = (1.0f - a) * 1.0f;
    return base;
}

// ---- bump rules: a masked perturbation l with its mask weight a
// -----------------------------------------------------------------------------

template <BlendFormula F, unsigned Components>
QUILTRA_INLINE_RULE Point3 BlendBumpComponents(Point3 base, Point3 l, float a, float op)
{
    if (Components & BLEND_RED) base.x = CompositeChannel(base.x, F(base.x, l.x), op, a);
    if (Components & BLEND_GREEN) base.y = CompositeChannel(base.y, F(base.y, l.y), op, a);
    if (Components & BLEND_BLUE) base.z = CompositeChannel(base.z, F(base.z, l.z), op, a);
    return base;
}

QUILTRA_INLINE_RULE Point3 BlendBumpExactDifference(Point3 base, Point3 l, float a, float op)
{
    ExactDifference3(base.x, base.y, base.z, l.x, l.y, l.z, a, op);
    return base;
}
