/* The blend modes, in the order of their index: the one list from which the mode enumeration,
 * the engine's mode table, the string table's mode names, the benchmarks' mode loops and the
 * tests' per-mode tables are expanded. Adding a mode is adding a row here (and its formula to
 * blend_formulas.h when it is a new one).
 *
 * Read by the resource compiler as well as by C++, so it holds nothing but #define lines.
 *
 * A row is X(ENUM, STRING, "Name", COLOUR, BUMP):
 *   ENUM    the name of the mode's index in BlendModeIndex;
 *   STRING  the string resource of its name (modes 0 to 18 use 16 to 34, the others 36 to 51);
 *   "Name"  the name as the string table holds it and the editor lists it;
 *   COLOUR  how the colour walk composites it, one of
 *             PER_CHANNEL(F, CHANNELS)  the formula F on each channel named in CHANNELS,
 *             HSV(COMPONENTS)           through HSV space, mixing the named components,
 *             EXACT_DIFFERENCE          the opacity taken as a tolerance;
 *   BUMP    how the bump walk combines it, in the same terms (x, y, z take the red, green and
 *           blue flags). Where it differs from COLOUR the row says so.
 * The expanding code defines X and the three rule forms it needs; a form it does not use is
 * never expanded.
 */
#pragma once

// clang-format off
#define QUILTRA_BLEND_MODES(X) \
    X(BLEND_MODE_NORMAL, 16, "Normal", \
      PER_CHANNEL(BlendNormal, BLEND_RGBA), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_MULTIPLY, 17, "Multiply", \
      PER_CHANNEL(BlendMultiply, BLEND_RGBA), PER_CHANNEL(BlendMultiply, BLEND_RGB)) \
    /* The bump walk combines "Screen" as "Normal". */ \
    X(BLEND_MODE_SCREEN, 18, "Screen", \
      PER_CHANNEL(BlendScreen, BLEND_RGBA), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_ADDITIVE, 19, "Additive", \
      PER_CHANNEL(BlendAdditive, BLEND_RGBA), PER_CHANNEL(BlendAdditive, BLEND_RGB)) \
    /* The bump walk subtracts the layer, b - l, as "Subtraction". */ \
    X(BLEND_MODE_SUBTRACTIVE, 20, "Subtractive", \
      PER_CHANNEL(BlendSubtractive, BLEND_RGB), PER_CHANNEL(BlendSubtraction, BLEND_RGB)) \
    X(BLEND_MODE_STAMP, 21, "Stamp", \
      PER_CHANNEL(BlendStamp, BLEND_RGB), PER_CHANNEL(BlendStamp, BLEND_RGB)) \
    X(BLEND_MODE_DIFFERENCE, 22, "Difference", \
      PER_CHANNEL(BlendDifference, BLEND_RGB), PER_CHANNEL(BlendDifference, BLEND_RGB)) \
    X(BLEND_MODE_NEGATION, 23, "Negation", \
      PER_CHANNEL(BlendNegation, BLEND_RGB), PER_CHANNEL(BlendNegation, BLEND_RGB)) \
    X(BLEND_MODE_EXCLUSION, 24, "Exclusion", \
      PER_CHANNEL(BlendExclusion, BLEND_RGB), PER_CHANNEL(BlendExclusion, BLEND_RGB)) \
    X(BLEND_MODE_DARKEN, 25, "Darken", \
      PER_CHANNEL(BlendDarken, BLEND_RGB), PER_CHANNEL(BlendDarken, BLEND_RGB)) \
    X(BLEND_MODE_LIGHTEN, 26, "Lighten", \
      PER_CHANNEL(BlendLighten, BLEND_RGB), PER_CHANNEL(BlendLighten, BLEND_RGB)) \
    X(BLEND_MODE_OVERLAY, 27, "Overlay", \
      PER_CHANNEL(BlendOverlay, BLEND_RGB), PER_CHANNEL(BlendOverlay, BLEND_RGB)) \
    X(BLEND_MODE_HARD_LIGHT, 28, "Hard Light", \
      PER_CHANNEL(BlendHardLight, BLEND_RGB), PER_CHANNEL(BlendHardLight, BLEND_RGB)) \
    X(BLEND_MODE_SOFT_LIGHT, 29, "Soft Light", \
      PER_CHANNEL(BlendSoftLight, BLEND_RGB), PER_CHANNEL(BlendSoftLight, BLEND_RGB)) \
    X(BLEND_MODE_DODGE, 30, "Dodge", \
      PER_CHANNEL(BlendDodge, BLEND_RGB), PER_CHANNEL(BlendDodge, BLEND_RGB)) \
    X(BLEND_MODE_INVERSE_DODGE, 31, "Inverse dodge", \
      PER_CHANNEL(BlendInverseDodge, BLEND_RGB), PER_CHANNEL(BlendInverseDodge, BLEND_RGB)) \
    X(BLEND_MODE_SOFT_DODGE, 32, "Soft dodge", \
      PER_CHANNEL(BlendSoftDodge, BLEND_RGB), PER_CHANNEL(BlendSoftDodge, BLEND_RGB)) \
    X(BLEND_MODE_BURN, 33, "Burn", \
      PER_CHANNEL(BlendBurn, BLEND_RGB), PER_CHANNEL(BlendBurn, BLEND_RGB)) \
    X(BLEND_MODE_INVERSE_BURN, 34, "Inverse burn", \
      PER_CHANNEL(BlendInverseBurn, BLEND_RGB), PER_CHANNEL(BlendInverseBurn, BLEND_RGB)) \
    X(BLEND_MODE_SOFT_BURN, 36, "Soft burn", \
      PER_CHANNEL(BlendSoftBurn, BLEND_RGB), PER_CHANNEL(BlendSoftBurn, BLEND_RGB)) \
    X(BLEND_MODE_INTERPOLATION, 37, "Interpolation", \
      PER_CHANNEL(BlendInterpolation, BLEND_RGB), PER_CHANNEL(BlendInterpolation, BLEND_RGB)) \
    X(BLEND_MODE_AVERAGE, 38, "Average", \
      PER_CHANNEL(BlendAverage, BLEND_RGB), PER_CHANNEL(BlendAverage, BLEND_RGB)) \
    /* The HSV modes have no vector form: the bump walk combines them as "Normal". */ \
    X(BLEND_MODE_HUE, 39, "Hue", \
      HSV(BLEND_HUE), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_SATURATION, 40, "Saturation", \
      HSV(BLEND_SATURATION), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_LUMINANCE, 41, "Luminance", \
      HSV(BLEND_VALUE), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_COLOR, 42, "Color", \
      HSV(BLEND_HUE | BLEND_SATURATION), PER_CHANNEL(BlendNormal, BLEND_RGB)) \
    X(BLEND_MODE_REFLECT, 43, "Reflect", \
      PER_CHANNEL(BlendReflect, BLEND_RGB), PER_CHANNEL(BlendReflect, BLEND_RGB)) \
    X(BLEND_MODE_GLOW, 44, "Glow", \
      PER_CHANNEL(BlendGlow, BLEND_RGB), PER_CHANNEL(BlendGlow, BLEND_RGB)) \
    X(BLEND_MODE_FREEZE, 45, "Freeze", \
      PER_CHANNEL(BlendFreeze, BLEND_RGB), PER_CHANNEL(BlendFreeze, BLEND_RGB)) \
    X(BLEND_MODE_HEAT, 46, "Heat", \
      PER_CHANNEL(BlendHeat, BLEND_RGB), PER_CHANNEL(BlendHeat, BLEND_RGB)) \
    /* One channel each; the bump walk changes x, y or z alone. */ \
    X(BLEND_MODE_RGB_RED, 47, "RGB red", \
      PER_CHANNEL(BlendNormal, BLEND_RED), PER_CHANNEL(BlendNormal, BLEND_RED)) \
    X(BLEND_MODE_RGB_GREEN, 48, "RGB green", \
      PER_CHANNEL(BlendNormal, BLEND_GREEN), PER_CHANNEL(BlendNormal, BLEND_GREEN)) \
    X(BLEND_MODE_RGB_BLUE, 49, "RGB blue", \
      PER_CHANNEL(BlendNormal, BLEND_BLUE), PER_CHANNEL(BlendNormal, BLEND_BLUE)) \
    X(BLEND_MODE_EXACT_DIFFERENCE, 50, "Exact Difference", \
      EXACT_DIFFERENCE, EXACT_DIFFERENCE) \
    X(BLEND_MODE_SUBTRACTION, 51, "Subtraction", \
      PER_CHANNEL(BlendSubtraction, BLEND_RGB), PER_CHANNEL(BlendSubtraction, BLEND_RGB))
// clang-format on
