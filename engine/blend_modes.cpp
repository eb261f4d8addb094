#include "blend_modes.h"

#include "blend_rules.h"

namespace {

// A layer composited onto the base by a single-layer rule (blend_rules.h).
typedef AColor (*ColorBlendRule)(AColor base, AColor layer, float op);

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
