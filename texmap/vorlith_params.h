// The texture's parameter block: its block ID, reference number and parameter IDs.
// The IDs are stored in scenes and seen by scripts; they never change.
#pragma once

#include "iparamb2.h"

// Block ID of the one parameter block, and the texture's reference number for it.
enum { vorlith_params = 0 };
enum { VORLITH_PBLOCK_REF = 0 };

// Parameter IDs in declaration order.
enum {
    pb_map_list = 0, // mapList: the layers' maps and masks (the texture's references 1..)
    pb_map_enabled = 1, // mapEnabled
    pb_map_used = 2, // mapUsed
    pb_opasity_list = 3, // opasityList
    pb_color_list = 4, // colorList
    pb_mode_list = 5, // modeList
    pb_edit_ids = 6, // edit_ids: the layers' index labels
    pb_mask_enabled = 7, // maskEnabled
    pb_hsv_h = 8,
    pb_hsv_s = 9,
    pb_hsv_v = 10,
    pb_rgb_r = 11,
    pb_rgb_g = 12,
    pb_rgb_b = 13,
    pb_output_on = 14,
    pb_alpha = 15,
    pb_bright = 16,
    pb_contrast = 17,
    pb_gamma = 18,
    pb_mono = 19,
    pb_clamp = 20
};

enum { VORLITH_PARAM_COUNT = 21 };

// The block's descriptor (a static of the library, registered with the class descriptor).
ParamBlockDesc2* GetVorlithParamBlockDesc();
