// The blend-mode table: one entry per mode, indexed by the value stored in a layer's modeList.
//
// Each entry names the mode (its string resource and the name the string table holds), the
// channels it changes, its per-channel formula and the two rules that apply it: one to a
// colour (the colour walk) and one to a bump vector (the bump walk). The rules are instances of
// a few templates, one per mode and channel set, with the formula inlined, so a walk dispatches
// once per layer and never per channel.
#pragma once

#include "acolor.h"
#include "point3.h"

enum { BLEND_MODE_COUNT = 35 };

// The channels a mode changes. A bump vector's x, y and z take the red, green and blue flags.
enum BlendChannel {
    BLEND_RED = 1,
    BLEND_GREEN = 2,
    BLEND_BLUE = 4,
    BLEND_ALPHA = 8,
    BLEND_HUE = 16,
    BLEND_SATURATION = 32,
    BLEND_VALUE = 64,
    BLEND_RGB = BLEND_RED | BLEND_GREEN | BLEND_BLUE,
    BLEND_RGBA = BLEND_RGB | BLEND_ALPHA
};

// F(b, l) for one channel; null for the modes that do not work one channel at a time
// (the HSV modes and "Exact Difference").
typedef float (*BlendFormula)(float b, float l);

// Composites a layer colour onto the base and returns the new base. The layer's alpha is its
// coverage a; op is the opacity fraction (percent × 0.01). Colours travel by value so that the
// base stays in registers from one layer to the next.
typedef AColor (*ColorBlendRule)(AColor base, AColor layer, float op);

// Combines a masked layer perturbation l (already multiplied by the mask weight a) with the
// base vector and returns the new base.
typedef Point3 (*BumpBlendRule)(Point3 base, Point3 l, float a, float op);

// The most layers of one mode a walk gathers before compositing them. A batch lives on the
// walk's stack (about 200 bytes): nothing is allocated. Eight balance one dispatch per run
// against letting the compositing of a run overlap the sub-map calls of the layers after it.
enum { LAYER_BATCH = 8 };

// Layers gathered by the colour walk, one array per channel: each sub-map result is stored
// a float at a time, and the compositing loops read them back a float at a time.
struct ColorLayerBatch {
    float r[LAYER_BATCH];
    float g[LAYER_BATCH];
    float b[LAYER_BATCH];
    float a[LAYER_BATCH];         // the coverage: the layer's alpha or its mask's mean
    float opacity[LAYER_BATCH];   // the opacity fraction
    int mode[LAYER_BATCH];        // the mode index as stored, possibly outside the table
};

// Layers gathered by the bump walk: masked perturbations, coverages, opacities and modes.
struct BumpLayerBatch {
    float x[LAYER_BATCH];
    float y[LAYER_BATCH];
    float z[LAYER_BATCH];
    float a[LAYER_BATCH];
    float opacity[LAYER_BATCH];
    int mode[LAYER_BATCH];
};

// The rules applied to the layers first..end−1 of a batch, all of one mode. A run gives
// exactly what the single-layer rule gives applied layer after layer; it exists so that the
// base stays in registers from one layer to the next and the mode is dispatched once per run.
// The base is passed by reference: handed from one run to the next through memory, a float
// at a time, rather than packed into register pairs and unpacked again.
typedef void (*ColorRunRule)(AColor& base, const ColorLayerBatch& layers, int first, int end);
typedef void (*BumpRunRule)(Point3& base, const BumpLayerBatch& layers, int first, int end);

struct BlendMode {
    int index;              // position in the table = value in modeList
    int nameId;             // string resource of the name (16..34, 36..51)
    const char* name;       // the name as the string table holds it
    unsigned channels;      // BlendChannel flags of what the colour rule changes
    BlendFormula formula;   // the per-channel formula, or null
    ColorBlendRule color;   // the colour walk's rule
    BumpBlendRule bump;     // the bump walk's rule
    ColorRunRule colorRun;  // the colour rule over a run of layers
    BumpRunRule bumpRun;    // the bump rule over a run of layers
};

extern const BlendMode kBlendModes[BLEND_MODE_COUNT];

// The table entry of a mode index; null outside 0..34.
const BlendMode* FindBlendMode(int index);

// The rule a walk applies for a layer's mode index. This is where an unknown index is decided:
// the colour walk leaves the base unchanged, the bump walk combines the layer as "Normal".
extern const ColorBlendRule kUnknownModeColorRule;
extern const BumpBlendRule kUnknownModeBumpRule;

inline ColorBlendRule ColorRuleOf(int index)
{
    return (unsigned)index < (unsigned)BLEND_MODE_COUNT ? kBlendModes[index].color
                                                        : kUnknownModeColorRule;
}

inline BumpBlendRule BumpRuleOf(int index)
{
    return (unsigned)index < (unsigned)BLEND_MODE_COUNT ? kBlendModes[index].bump
                                                        : kUnknownModeBumpRule;
}

// The run rule of a mode index; an index outside the table is decided as in ColorRuleOf and
// BumpRuleOf.
extern const ColorRunRule kUnknownModeColorRunRule;
extern const BumpRunRule kUnknownModeBumpRunRule;

inline ColorRunRule ColorRunRuleOf(int index)
{
    return (unsigned)index < (unsigned)BLEND_MODE_COUNT ? kBlendModes[index].colorRun
                                                        : kUnknownModeColorRunRule;
}

inline BumpRunRule BumpRunRuleOf(int index)
{
    return (unsigned)index < (unsigned)BLEND_MODE_COUNT ? kBlendModes[index].bumpRun
                                                        : kUnknownModeBumpRunRule;
}

