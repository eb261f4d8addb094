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

// A mode index outside the table leaves the base unchanged.
AColor LeaveBaseUnchanged(AColor base, AColor, float)
{
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

// The ordinary modes share one formula between the walks, on r, g, b (and a where named) of a
// colour and on x, y, z of a vector.
#define QUILTRA_ORDINARY_MODE(index, nameId, name, F, channels) \
    { index, nameId, name, channels, &F, &BlendColorChannels<&F, channels>, \
      &BlendBumpComponents<&F, BLEND_RGB>, &BlendColorRun<&F, channels>, \
      &BlendBumpRun<&F, BLEND_RGB> }

// The run forms of a colour rule and of a bump formula, for the rows spelt out.
#define QUILTRA_COLOR_RUN(F, channels) &BlendColorRun<&F, channels>
#define QUILTRA_BUMP_RUN(F, components) &BlendBumpRun<&F, components>

// Rows whose bump rule differs from their colour rule spell both out.
const BlendMode kBlendModes[BLEND_MODE_COUNT] = {
    QUILTRA_ORDINARY_MODE(0, 16, "Normal", BlendNormal, BLEND_RGBA),
    QUILTRA_ORDINARY_MODE(1, 17, "Multiply", BlendMultiply, BLEND_RGBA),
    // The bump walk combines "Screen" as "Normal".
    { 2, 18, "Screen", BLEND_RGBA, &BlendScreen,
      &BlendColorChannels<&BlendScreen, BLEND_RGBA>,
      &BlendBumpComponents<&BlendNormal, BLEND_RGB>,
      QUILTRA_COLOR_RUN(BlendScreen, BLEND_RGBA), QUILTRA_BUMP_RUN(BlendNormal, BLEND_RGB) },
    QUILTRA_ORDINARY_MODE(3, 19, "Additive", BlendAdditive, BLEND_RGBA),
    // The bump walk subtracts the layer: b − l, as "Subtraction".
    { 4, 20, "Subtractive", BLEND_RGB, &BlendSubtractive,
      &BlendColorChannels<&BlendSubtractive, BLEND_RGB>,
      &BlendBumpComponents<&BlendSubtraction, BLEND_RGB>,
      QUILTRA_COLOR_RUN(BlendSubtractive, BLEND_RGB),
      QUILTRA_BUMP_RUN(BlendSubtraction, BLEND_RGB) },
    QUILTRA_ORDINARY_MODE(5, 21, "Stamp", BlendStamp, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(6, 22, "Difference", BlendDifference, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(7, 23, "Negation", BlendNegation, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(8, 24, "Exclusion", BlendExclusion, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(9, 25, "Darken", BlendDarken, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(10, 26, "Lighten", BlendLighten, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(11, 27, "Overlay", BlendOverlay, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(12, 28, "Hard Light", BlendHardLight, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(13, 29, "Soft Light", BlendSoftLight, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(14, 30, "Dodge", BlendDodge, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(15, 31, "Inverse dodge", BlendInverseDodge, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(16, 32, "Soft dodge", BlendSoftDodge, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(17, 33, "Burn", BlendBurn, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(18, 34, "Inverse burn", BlendInverseBurn, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(19, 36, "Soft burn", BlendSoftBurn, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(20, 37, "Interpolation", BlendInterpolation, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(21, 38, "Average", BlendAverage, BLEND_RGB),
    // The HSV modes have no vector form: the bump walk combines them as "Normal".
    { 22, 39, "Hue", BLEND_HUE, 0, &BlendColorHsv<BLEND_HUE>,
      &BlendBumpComponents<&BlendNormal, BLEND_RGB>,
      &ApplyColorRule<&BlendColorHsv<BLEND_HUE> >, QUILTRA_BUMP_RUN(BlendNormal, BLEND_RGB) },
    { 23, 40, "Saturation", BLEND_SATURATION, 0, &BlendColorHsv<BLEND_SATURATION>,
      &BlendBumpComponents<&BlendNormal, BLEND_RGB>,
      &ApplyColorRule<&BlendColorHsv<BLEND_SATURATION> >,
      QUILTRA_BUMP_RUN(BlendNormal, BLEND_RGB) },
    { 24, 41, "Luminance", BLEND_VALUE, 0, &BlendColorHsv<BLEND_VALUE>,
      &BlendBumpComponents<&BlendNormal, BLEND_RGB>,
      &ApplyColorRule<&BlendColorHsv<BLEND_VALUE> >, QUILTRA_BUMP_RUN(BlendNormal, BLEND_RGB) },
    { 25, 42, "Color", BLEND_HUE | BLEND_SATURATION, 0,
      &BlendColorHsv<BLEND_HUE | BLEND_SATURATION>,
      &BlendBumpComponents<&BlendNormal, BLEND_RGB>,
      &ApplyColorRule<&BlendColorHsv<BLEND_HUE | BLEND_SATURATION> >,
      QUILTRA_BUMP_RUN(BlendNormal, BLEND_RGB) },
    QUILTRA_ORDINARY_MODE(26, 43, "Reflect", BlendReflect, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(27, 44, "Glow", BlendGlow, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(28, 45, "Freeze", BlendFreeze, BLEND_RGB),
    QUILTRA_ORDINARY_MODE(29, 46, "Heat", BlendHeat, BLEND_RGB),
    // One channel each; the bump walk changes x, y or z alone.
    { 30, 47, "RGB red", BLEND_RED, &BlendNormal, &BlendColorChannels<&BlendNormal, BLEND_RED>,
      &BlendBumpComponents<&BlendNormal, BLEND_RED>,
      QUILTRA_COLOR_RUN(BlendNormal, BLEND_RED), QUILTRA_BUMP_RUN(BlendNormal, BLEND_RED) },
    { 31, 48, "RGB green", BLEND_GREEN, &BlendNormal,
      &BlendColorChannels<&BlendNormal, BLEND_GREEN>,
      &BlendBumpComponents<&BlendNormal, BLEND_GREEN>,
      QUILTRA_COLOR_RUN(BlendNormal, BLEND_GREEN), QUILTRA_BUMP_RUN(BlendNormal, BLEND_GREEN) },
    { 32, 49, "RGB blue", BLEND_BLUE, &BlendNormal, &BlendColorChannels<&BlendNormal, BLEND_BLUE>,
      &BlendBumpComponents<&BlendNormal, BLEND_BLUE>,
      QUILTRA_COLOR_RUN(BlendNormal, BLEND_BLUE), QUILTRA_BUMP_RUN(BlendNormal, BLEND_BLUE) },
    { 33, 50, "Exact Difference", BLEND_RGBA, 0, &BlendColorExactDifference,
      &BlendBumpExactDifference, &ApplyColorRule<&BlendColorExactDifference>,
      &BlendBumpExactDifferenceRun },
    QUILTRA_ORDINARY_MODE(34, 51, "Subtraction", BlendSubtraction, BLEND_RGB)
};

#undef QUILTRA_ORDINARY_MODE
#undef QUILTRA_COLOR_RUN
#undef QUILTRA_BUMP_RUN
#undef QUILTRA_INLINE_RULE

const BlendMode* FindBlendMode(int index)
{
    if (index < 0 || index >= BLEND_MODE_COUNT)
        return 0;
    return &kBlendModes[index];
}

// An index outside the table: the colour walk leaves the base as it is, the bump walk
// combines the layer as "Normal".
const ColorBlendRule kUnknownModeColorRule = &LeaveBaseUnchanged;
const BumpBlendRule kUnknownModeBumpRule = &BlendBumpComponents<&BlendNormal, BLEND_RGB>;
const ColorRunRule kUnknownModeColorRunRule = &LeaveBaseUnchangedRun;
const BumpRunRule kUnknownModeBumpRunRule = &BlendBumpRun<&BlendNormal, BLEND_RGB>;
