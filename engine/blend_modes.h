// The blend-mode table: one entry per mode, indexed by the value stored in a layer's modeList,
// expanded from the mode list (blend_mode_list.h).
//
// Each entry names the mode (its string resource and the name the string table holds). The
// rules that apply a mode to a run of layers, colour and bump, are the walk's (layer_stack.h),
// expanded from the same list.
#pragma once

#include "acolor.h"
#include "blend_mode_list.h"
#include "point3.h"

// The mode indices, in the order of the list; BLEND_MODE_COUNT is the number of modes.
#define QUILTRA_MODE_ENUM(mode, stringId, name, colour, bump) mode,
enum BlendModeIndex { QUILTRA_BLEND_MODES(QUILTRA_MODE_ENUM) BLEND_MODE_COUNT };
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
typedef float (*BlendFormula)(const float& b, const float& l);

struct BlendMode {
    int nameId; // string resource of the name (16..34, 36..51); 0 for the unknown row
    const char* name; // the name as the string table holds it; null for the unknown row
};

// The modes in index order, then one more row for an index outside 0..34 (stored scenes may
// hold indices this library does not know).
extern const BlendMode kBlendModes[BLEND_MODE_COUNT + 1];
