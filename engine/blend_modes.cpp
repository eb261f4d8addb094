#include "blend_modes.h"

#include "blend_formulas.h"
#include "hsv.h"

// The single-layer rules are also the bodies of the run loops, where they must be inlined for
// the base to stay in registers; the compiler is told so, as it would otherwise keep the call.
#if defined(_MSC_VER)
#define QUILTRA_INLINE_RULE __forceinline
#elif defined(__GNUC__)
#define QUILTRA_INLINE_RULE inline __attribute__((always_inline))
#else
#define QUILTRA_INLINE_RULE inline
#endif

namespace {

// A layer composited onto the base: the layer's alpha is its coverage, op its opacity fraction.
// The single-layer rules are the bodies of the run loops below.
typedef AColor (*ColorBlendRule)(AColor base, AColor layer, float op);

// ---- colour rules ---------------------------------------------------------------------------

// The ordinary modes: F per channel named in Channels, composited with CompositeChannel.
// For the alpha channel b is the base's alpha and l the layer's, which is the coverage itself.
template <BlendFormula F, unsigned Channels>
QUILTRA_INLINE_RULE AColor BlendColorChannels(AColor base, AColor layer, float op)
{
    const float a = layer.a;
    if (Channels & BLEND_RED)
        base.r = CompositeChannel(base.r, F(base.r, layer.r), op, a);
    if (Channels & BLEND_GREEN)
        base.g = CompositeChannel(base.g, F(base.g, layer.g), op, a);
    if (Channels & BLEND_BLUE)
        base.b = CompositeChannel(base.b, F(base.b, layer.b), op, a);
    if (Channels & BLEND_ALPHA)
        base.a = CompositeChannel(base.a, F(base.a, a), op, a);
    return base;
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
    if (Components & BLEND_HUE)
        b.r = CompositeChannel(b.r, l.r, op, a);
    if (Components & BLEND_SATURATION)
        b.g = CompositeChannel(b.g, l.g, op, a);
    if (Components & BLEND_VALUE)
        b.b = CompositeChannel(b.b, l.b, op, a);
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

// A layer of a batch as a colour.
inline AColor LayerOf(const ColorLayerBatch& layers, int k)
{
    return AColor(layers.r[k], layers.g[k], layers.b[k], layers.a[k]);
}

// A run of layers of one ordinary mode: the single-layer rule inlined into one loop.
template <BlendFormula F, unsigned Channels>
void BlendColorRun(AColor& base, const ColorLayerBatch& layers, int first, int end)
{
    AColor b = base;
    for (int k = first; k < end; ++k)
        b = BlendColorChannels<F, Channels>(b, LayerOf(layers, k), layers.opacity[k]);
    base = b;
}

// A run of layers of a mode that does not work one channel at a time.
template <ColorBlendRule Rule>
void ApplyColorRule(AColor& base, const ColorLayerBatch& layers, int first, int end)
{
    AColor b = base;
    for (int k = first; k < end; ++k)
        b = Rule(b, LayerOf(layers, k), layers.opacity[k]);
    base = b;
}

// ---- bump rules -----------------------------------------------------------------------------

template <BlendFormula F, unsigned Components>
QUILTRA_INLINE_RULE Point3 BlendBumpComponents(Point3 base, Point3 l, float a, float op)
{
    if (Components & BLEND_RED)
        base.x = CompositeChannel(base.x, F(base.x, l.x), op, a);
    if (Components & BLEND_GREEN)
        base.y = CompositeChannel(base.y, F(base.y, l.y), op, a);
    if (Components & BLEND_BLUE)
        base.z = CompositeChannel(base.z, F(base.z, l.z), op, a);
    return base;
}

QUILTRA_INLINE_RULE Point3 BlendBumpExactDifference(Point3 base, Point3 l, float a, float op)
{
    ExactDifference3(base.x, base.y, base.z, l.x, l.y, l.z, a, op);
    return base;
}

inline Point3 LayerOf(const BumpLayerBatch& layers, int k)
{
    return Point3(layers.x[k], layers.y[k], layers.z[k]);
}

template <BlendFormula F, unsigned Components>
void BlendBumpRun(Point3& base, const BumpLayerBatch& layers, int first, int end)
{
    Point3 b = base;
    for (int k = first; k < end; ++k)
        b = BlendBumpComponents<F, Components>(b, LayerOf(layers, k), layers.a[k],
                                               layers.opacity[k]);
    base = b;
}

void BlendBumpExactDifferenceRun(Point3& base, const BumpLayerBatch& layers, int first, int end)
{
    Point3 b = base;
    for (int k = first; k < end; ++k)
        b = BlendBumpExactDifference(b, LayerOf(layers, k), layers.a[k], layers.opacity[k]);
    base = b;
}

void LeaveBaseUnchangedRun(AColor&, const ColorLayerBatch&, int, int)
{
}

}  // namespace

// The rule columns of the mode list as run rules: a row's COLOUR and BUMP forms are pasted
// onto COLOR_ and BUMP_ and expand to the templates above.
#define COLOR_PER_CHANNEL(F, channels) &BlendColorRun<&F, channels>
#define COLOR_HSV(components) &ApplyColorRule<&BlendColorHsv<components> >
#define COLOR_EXACT_DIFFERENCE &ApplyColorRule<&BlendColorExactDifference>
#define BUMP_PER_CHANNEL(F, components) &BlendBumpRun<&F, components>
#define BUMP_EXACT_DIFFERENCE &BlendBumpExactDifferenceRun
#define QUILTRA_MODE_ROW(mode, stringId, name, colour, bump) \
    { stringId, name, COLOR_##colour, BUMP_##bump },

const BlendMode kBlendModes[BLEND_MODE_COUNT + 1] = {
    QUILTRA_BLEND_MODES(QUILTRA_MODE_ROW)
    // An index outside the table: the colour walk leaves the base as it is, the bump walk
    // combines the layer as "Normal".
    { 0, 0, &LeaveBaseUnchangedRun, &BlendBumpRun<&BlendNormal, BLEND_RGB> }
};

#undef QUILTRA_MODE_ROW
#undef COLOR_PER_CHANNEL
#undef COLOR_HSV
#undef COLOR_EXACT_DIFFERENCE
#undef BUMP_PER_CHANNEL
#undef BUMP_EXACT_DIFFERENCE
#undef QUILTRA_INLINE_RULE
