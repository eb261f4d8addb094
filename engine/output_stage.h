// The Output stage: the colour correction applied to the composited colour of a layer stack.
#pragma once

#include "acolor.h"

struct OutputSettings {
    bool Output_on; // the stage runs only when on
    bool Clamp; // clamp r, g, b and a to 0..1 at the end
    float alpha; // added to alpha
    float Mono; // 0.0 or 1.0; non-zero replaces r, g, b by their mean
    float bright; // brightness factor (1.0 = 100%)
    float contrast; // contrast factor about mid-grey (1.0 = 100%)
    float gamma; // 1 leaves the colour unchanged; never below the texture's lowest
                 // gamma (0.001), which its setters and its loader keep
    AColor outputShiftHSV; // hue (degrees), saturation, value; the fourth is unused (0)
    AColor outputShiftRGB; // red, green, blue; the fourth is unused (0)
};

// The settings with what follows from them, worked out once per texture (its layer plan keeps
// them) instead of on every sample.
struct OutputStage {
    OutputSettings settings;
    bool applyGamma; // gamma is not exactly 1
    double inverseGamma; // 1/gamma in double precision: the power of the gamma step
};

// A new texture's settings: off, shifts 0, bright, contrast and gamma 1, alpha and Mono 0,
// Clamp off.
void SetDefaultOutputSettings(OutputSettings& s);

// The adjustment, in this order:
//   1-3. HSV shift: to HSV, add the hue, saturation and value shifts, back to RGB;
//   4.   add the RGB shifts to r, g, b and alpha to a;
//   5.   per r, g, b: gamma (when not exactly 1; a channel of exactly 0 becomes 0.00001 first),
//        x^(1/gamma) by GammaPower; then (bright·x − 0.5)·contrast + 0.5;
//   6.   Mono: r, g, b become their mean (g + r + b)·0.33333334;
//   7.   Clamp: r, g, b, a limited to 0..1.
// A negative channel takes the mirrored power −(|x|^(1/gamma)). The gamma is taken as given:
// the texture never holds one below its lowest gamma (or NaN).
// The caller applies it only when s.Output_on is set; this function does not test it.
AColor AdjustOutput(const AColor& c, const OutputSettings& s);

// The same with the constants worked out beforehand (PrepareOutputStage): the same bits.
AColor AdjustOutput(const AColor& c, const OutputStage& stage);
void PrepareOutputStage(const OutputSettings& s, OutputStage& stage);

// x^(1/gamma) as the gamma step computes it, given 1/gamma in double precision: within 1 ULP of
// the exact power (gamma_power.h), the same bits in every build; mirrored for negative x,
// −(|x|^(1/gamma)). 0 is the caller's (it becomes 0.00001 before this is called).
float GammaPower(float x, double inverseGamma);
