// The parameter block declaration: 21 parameters that give the texture's data its host-visible
// names. The per-layer values and Output settings the texture works with live in its own
// members; of the block it uses the mapList references, the table counts and edit_ids.
#include "vorlith_params.h"

#include "resource.h"
#include "ivorlith.h"
#include "vorlith_classdesc.h"
#include "vorlith_layer_values.h"
#include "vorlith_output_values.h"

static ParamBlockDesc2 vorlithParamBlk(
    vorlith_params, _T("parameters"), 0, GetVorlithDesc(), P_AUTO_CONSTRUCT + P_AUTO_UI,
    VORLITH_PBLOCK_REF,
    // The declared rollout: the layer list's template, no parameter map is ever built from it.
    IDD_LAYERS, IDS_PARAMETERS, 0, 0, NULL,

    pb_map_list, _T("mapList"), TYPE_TEXMAP_TAB, 2, P_VARIABLE_SIZE + P_OWNERS_REF, IDS_MAPS,
    p_refno, 1, p_end, pb_map_enabled, _T("mapEnabled"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE,
    IDS_MAP1_ENABLE, p_default, TRUE, p_end, pb_map_used, _T("mapUsed"), TYPE_BOOL_TAB, 2,
    P_VARIABLE_SIZE, IDS_USE_LAYER1, p_default, TRUE, p_end, pb_opasity_list, _T("opasityList"),
    TYPE_FLOAT_TAB, 2, P_VARIABLE_SIZE, IDS_OPASITY1, p_default, VORLITH_NEW_LAYER_OPACITY, p_range,
    VORLITH_OPACITY_MIN, VORLITH_OPACITY_MAX, p_end, pb_color_list, _T("colorList"), TYPE_RGBA_TAB,
    2, P_VARIABLE_SIZE, IDS_COLOR1, p_default,
    Color(VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY, VORLITH_NEW_LAYER_GREY), p_end,
    pb_mode_list, _T("modeList"), TYPE_INT_TAB, 2, P_VARIABLE_SIZE, IDS_MODE1, p_default,
    VORLITH_NEW_LAYER_MODE, p_end, pb_edit_ids, _T("edit_ids"), TYPE_STRING_TAB, 2, P_VARIABLE_SIZE,
    0, p_end, pb_mask_enabled, _T("maskEnabled"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE,
    IDS_MAP1_ENABLE, p_default, TRUE, p_end,

// The Output settings, from their list.
#define VORLITH_OUTPUT_PARAM(PARAM, NAME, CONTROL) PARAM, NAME, VORLITH_OUTPUT_##CONTROL, p_end,
#define VORLITH_OUTPUT_SPINNER(VALUE, EDIT, SPIN, MINIMUM, MAXIMUM, SCALE, SHOWN_DEFAULT, MEMBER, \
                               SHOWN) \
    TYPE_FLOAT, P_ANIMATABLE, 0, p_default, SHOWN_DEFAULT, p_range, MINIMUM, MAXIMUM, p_ui, \
        TYPE_SPINNER, EDITTYPE_FLOAT, EDIT, SPIN, SCALE
#define VORLITH_OUTPUT_CHECKBOX(ID) \
    TYPE_BOOL, P_ANIMATABLE, 0, p_default, FALSE, p_ui, TYPE_SINGLECHEKBOX, ID
    VORLITH_OUTPUT_VALUES(VORLITH_OUTPUT_PARAM)
#undef VORLITH_OUTPUT_PARAM
#undef VORLITH_OUTPUT_SPINNER
#undef VORLITH_OUTPUT_CHECKBOX
        p_end);

ParamBlockDesc2* GetVorlithParamBlockDesc() { return &vorlithParamBlk; }
