// The blend-mode table: one entry per mode, indexed by the value stored in a layer's modeList,
// expanded from the mode list (blend_mode_list.h).
//
// Each entry names the mode (its string resource and the name the string table holds) and the
// two rules that apply it over a run of layers: one to colours (the colour walk) and one to bump
// vectors (the bump walk). The rules are instances of a few templates, one per mode and channel
// set, with the formula inlined, so a walk dispatches once per run of layers and never per
// channel.
#pragma once

#include "acolor.h"
#include "blend_mode_list.h"
#include "point3.h"

// The mode indices, in the order of the list; BLEND_MODE_COUNT is the number of modes.
#define QUILTRA_MODE_ENUM(mode, stringId, name, colour, bump) mode,
enum BlendModeIndex {
    QUILTRA_BLEND_MODES(QUILTRA_MODE_ENUM)
    BLEND_MODE_COUNT
};
#undef QUILTRA_MODE_ENUM

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

// F(b, l) for one channel.
typedef float (*BlendFormula)(float b, float l);

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

// The rules applied to the layers first..end−1 of a batch, all of one mode, in stack order.
// A run of several layers gives exactly what runs of one layer give one after another; it
// exists so that the base stays in registers from one layer to the next and the mode is
// dispatched once per run.
// The base is passed by reference: handed from one run to the next through memory, a float
// at a time, rather than packed into register pairs and unpacked again.
typedef void (*ColorRunRule)(AColor& base, const ColorLayerBatch& layers, int first, int end);
typedef void (*BumpRunRule)(Point3& base, const BumpLayerBatch& layers, int first, int end);

struct BlendMode {
    int nameId;             // string resource of the name (16..34, 36..51); 0 for the unknown row
    const char* name;       // the name as the string table holds it; null for the unknown row
    ColorRunRule colorRun;  // the colour walk's rule over a run of layers
    BumpRunRule bumpRun;    // the bump walk's rule over a run of layers
};

// The modes in index order, then one more row: the rules for an index outside 0..34. The colour
// walk leaves the base unchanged for such an index, the bump walk combines the layer as
// "Normal" (stored scenes may hold indices this library does not know).
extern const BlendMode kBlendModes[BLEND_MODE_COUNT + 1];

// The table row of a mode index: its own, or the unknown-mode row for an index outside the
// table. This is the one place where an unknown index is decided.
inline const BlendMode& BlendModeOf(int index)
{
    return kBlendModes[(unsigned)index < (unsigned)BLEND_MODE_COUNT ? index : BLEND_MODE_COUNT];
}

inline ColorRunRule ColorRunRuleOf(int index)
{
    return BlendModeOf(index).colorRun;
}

inline BumpRunRule BumpRunRuleOf(int index)
{
    return BlendModeOf(index).bumpRun;
}
