// The Output settings as the block declares them and the Output rollout shows them: one row per
// value, in the block's order (parameter IDs 8 to 20), with its controls, range, spinner scale
// and the default it shows. The block declaration (vorlith_params.cpp) and the Output rollout
// (ui/output_rollout.cpp) both expand from it. Adding an Output value is adding a row here, its
// member and default in OutputSettings (engine/output_stage.h), its step in the Output stage,
// its published pair and its place in the saved Output chunk.
//
// A row is X(PARAM, _T("name"), CONTROL), CONTROL being one of
//   SPINNER(VALUE, EDIT, SPIN, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, MEMBER, SHOWN)
//       a float: VALUE its name in the rollout, EDIT and SPIN its controls, MINIMUM to MAXIMUM
//       its range as shown, SCALE the spinner's step, SHOWN_DEFAULT the value shown for a new
//       texture (and the spinner's reset value), MEMBER its member of OutputSettings, SHOWN how
//       it is shown: AS_IS, or IN_PERCENT (a factor shown × 100, taken × 0.01)
//   CHECKBOX(ID)
//       a switch, off for a new texture
#pragma once

#include "ivorlith.h"
#include "resource.h"
#include "vorlith_params.h"

// The range every Output float but gamma shares; gamma starts at the lowest gamma.
#define VORLITH_OUTPUT_MIN (-10000000.0f)
#define VORLITH_OUTPUT_MAX 10000000.0f

// clang-format off
#define VORLITH_OUTPUT_VALUES(X) \
    X(pb_hsv_h, _T("HSV_H"), SPINNER(OUT_HSV_H, IDC_OUT_HSV_H_EDIT, IDC_OUT_HSV_H_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftHSV.r, AS_IS)) \
    X(pb_hsv_s, _T("HSV_S"), SPINNER(OUT_HSV_S, IDC_OUT_HSV_S_EDIT, IDC_OUT_HSV_S_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftHSV.g, AS_IS)) \
    X(pb_hsv_v, _T("HSV_V"), SPINNER(OUT_HSV_V, IDC_OUT_HSV_V_EDIT, IDC_OUT_HSV_V_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftHSV.b, AS_IS)) \
    X(pb_rgb_r, _T("RGB_R"), SPINNER(OUT_RGB_R, IDC_OUT_RGB_R_EDIT, IDC_OUT_RGB_R_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftRGB.r, AS_IS)) \
    X(pb_rgb_g, _T("RGB_G"), SPINNER(OUT_RGB_G, IDC_OUT_RGB_G_EDIT, IDC_OUT_RGB_G_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftRGB.g, AS_IS)) \
    X(pb_rgb_b, _T("RGB_B"), SPINNER(OUT_RGB_B, IDC_OUT_RGB_B_EDIT, IDC_OUT_RGB_B_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, outputShiftRGB.b, AS_IS)) \
    X(pb_output_on, _T("Output_on"), CHECKBOX(IDC_OUT_ON)) \
    X(pb_alpha, _T("alpha"), SPINNER(OUT_ALPHA, IDC_OUT_ALPHA_EDIT, IDC_OUT_ALPHA_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 0.1f, 0.0f, alpha, AS_IS)) \
    X(pb_bright, _T("bright"), SPINNER(OUT_BRIGHT, IDC_OUT_BRIGHT_EDIT, IDC_OUT_BRIGHT_SPIN, \
        VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 1.0f, 100.0f, bright, IN_PERCENT)) \
    X(pb_contrast, _T("contrast"), SPINNER(OUT_CONTRAST, IDC_OUT_CONTRAST_EDIT, \
        IDC_OUT_CONTRAST_SPIN, VORLITH_OUTPUT_MIN, VORLITH_OUTPUT_MAX, 1.0f, 100.0f, contrast, \
        IN_PERCENT)) \
    X(pb_gamma, _T("gamma"), SPINNER(OUT_GAMMA, IDC_OUT_GAMMA_EDIT, IDC_OUT_GAMMA_SPIN, \
        VORLITH_MIN_OUTPUT_GAMMA, VORLITH_OUTPUT_MAX, 0.01f, 1.0f, gamma, AS_IS)) \
    X(pb_mono, _T("Mono"), CHECKBOX(IDC_OUT_MONO)) \
    X(pb_clamp, _T("Clamp"), CHECKBOX(IDC_OUT_CLAMP))
// clang-format on
