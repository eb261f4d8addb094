// The parameter block declaration: 21 parameters that give the texture's data its host-visible
// names. The per-layer values and Output settings the texture works with live in its own
// members; of the block it uses the mapList references, the table counts and edit_ids.
#include "vorlith_params.h"

#include "resource.h"
#include "ivorlith.h"
#include "vorlith_classdesc.h"

// Output parameters share one range; gamma starts at the lowest gamma the texture keeps.
static const float kOutputMin = -10000000.0f;
static const float kOutputMax = 10000000.0f;
static const float kSpinnerScale = 0.1f;

static ParamBlockDesc2 vorlithParamBlk(
    vorlith_params, _T("parameters"), 0, GetVorlithDesc(),
    P_AUTO_CONSTRUCT + P_AUTO_UI, VORLITH_PBLOCK_REF,
    // The declared rollout: the layer list's template, no parameter map is ever built from it.
    IDD_LAYERS, IDS_PARAMETERS, 0, 0, NULL,

    pb_map_list, _T("mapList"), TYPE_TEXMAP_TAB, 2, P_VARIABLE_SIZE + P_OWNERS_REF, IDS_MAPS,
        p_refno, 1,
        p_end,
    pb_map_enabled, _T("mapEnabled"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE, IDS_MAP1_ENABLE,
        p_default, TRUE,
        p_end,
    pb_map_used, _T("mapUsed"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE, IDS_USE_LAYER1,
        p_default, TRUE,
        p_end,
    pb_opasity_list, _T("opasityList"), TYPE_FLOAT_TAB, 2, P_VARIABLE_SIZE, IDS_OPASITY1,
        p_default, VORLITH_NEW_LAYER_OPACITY,
        p_range, 0.0f, 100.0f,
        p_end,
    pb_color_list, _T("colorList"), TYPE_RGBA_TAB, 2, P_VARIABLE_SIZE, IDS_COLOR1,
        p_default, Color(VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY),
        p_end,
    pb_mode_list, _T("modeList"), TYPE_INT_TAB, 2, P_VARIABLE_SIZE, IDS_MODE1,
        p_default, VORLITH_NEW_LAYER_MODE,
        p_end,
    pb_edit_ids, _T("edit_ids"), TYPE_STRING_TAB, 2, P_VARIABLE_SIZE, 0,
        p_end,
    pb_mask_enabled, _T("maskEnabled"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE, IDS_MAP1_ENABLE,
        p_default, TRUE,
        p_end,

    pb_hsv_h, _T("HSV_H"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_HSV_H_EDIT, IDC_OUT_HSV_H_SPIN, kSpinnerScale,
        p_end,
    pb_hsv_s, _T("HSV_S"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_HSV_S_EDIT, IDC_OUT_HSV_S_SPIN, kSpinnerScale,
        p_end,
    pb_hsv_v, _T("HSV_V"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_HSV_V_EDIT, IDC_OUT_HSV_V_SPIN, kSpinnerScale,
        p_end,
    pb_rgb_r, _T("RGB_R"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_RGB_R_EDIT, IDC_OUT_RGB_R_SPIN, kSpinnerScale,
        p_end,
    pb_rgb_g, _T("RGB_G"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_RGB_G_EDIT, IDC_OUT_RGB_G_SPIN, kSpinnerScale,
        p_end,
    pb_rgb_b, _T("RGB_B"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_RGB_B_EDIT, IDC_OUT_RGB_B_SPIN, kSpinnerScale,
        p_end,
    pb_output_on, _T("Output_on"), TYPE_BOOL, P_ANIMATABLE, 0,
        p_default, FALSE,
        p_ui, TYPE_SINGLECHEKBOX, IDC_OUT_ON,
        p_end,
    pb_alpha, _T("alpha"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_ALPHA_EDIT, IDC_OUT_ALPHA_SPIN, kSpinnerScale,
        p_end,
    pb_bright, _T("bright"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 100.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_BRIGHT_EDIT, IDC_OUT_BRIGHT_SPIN, kSpinnerScale,
        p_end,
    pb_contrast, _T("contrast"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 100.0f,
        p_range, kOutputMin, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_CONTRAST_EDIT, IDC_OUT_CONTRAST_SPIN, kSpinnerScale,
        p_end,
    pb_gamma, _T("gamma"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 1.0f,
        p_range, VORLITH_MIN_OUTPUT_GAMMA, kOutputMax,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_OUT_GAMMA_EDIT, IDC_OUT_GAMMA_SPIN, kSpinnerScale,
        p_end,
    pb_mono, _T("Mono"), TYPE_BOOL, P_ANIMATABLE, 0,
        p_default, FALSE,
        p_ui, TYPE_SINGLECHEKBOX, IDC_OUT_MONO,
        p_end,
    pb_clamp, _T("Clamp"), TYPE_BOOL, P_ANIMATABLE, 0,
        p_default, FALSE,
        p_ui, TYPE_SINGLECHEKBOX, IDC_OUT_CLAMP,
        p_end,
    p_end);

ParamBlockDesc2* GetVorlithParamBlockDesc()
{
    return &vorlithParamBlk;
}
