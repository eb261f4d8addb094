// Resource identifiers of the plug-in: strings, dialogs, bitmaps and the controls that the
// parameter block names. Read by the resource compiler and by the plug-in's C++ alike, so it
// holds nothing but #define lines.
#pragma once

// Strings
#define IDS_LIB_DESCRIPTION 1
#define IDS_CATEGORY 2
#define IDS_CLASS_NAME 3
#define IDS_PARAMETERS 4
#define IDS_MAPS 5
#define IDS_MAP1_ENABLE 6
#define IDS_MAP2_ENABLE 7
#define IDS_NONE 8
#define IDS_MAP 9
#define IDS_MAP3_ENABLE 10
#define IDS_USE_LAYER1 11
#define IDS_OPASITY1 12
#define IDS_COLOR1 13
#define IDS_MODE1 14
#define IDS_PARAM_CHANGE 15
#define IDS_MASK_NONE 106

// Undo labels of the editor's layer operations (value edits use IDS_PARAM_CHANGE)
#define IDS_UNDO_ADD_LAYER 60
#define IDS_UNDO_INSERT_LAYER 61
#define IDS_UNDO_DELETE_LAYER 62
#define IDS_UNDO_SET_LAYER_COUNT 63
#define IDS_UNDO_MOVE_LAYER 64
#define IDS_UNDO_RESET_OUTPUT 65

// The layer rows' menu: each action's name, also the undo label of its step (Copy Layer changes
// nothing and makes none). The menu's commands are IDM_ROW_MENU + action * 16 + row, the actions
// numbered in this order from 0.
#define IDS_ROW_DUPLICATE 66
#define IDS_ROW_MOVE_UP 67
#define IDS_ROW_MOVE_DOWN 68
#define IDS_ROW_INSERT_ABOVE 69
#define IDS_ROW_INSERT_BELOW 70
#define IDS_ROW_DELETE 71
#define IDS_ROW_CLEAR_MAP 72
#define IDS_ROW_CLEAR_MASK 73
#define IDS_ROW_COPY 74
#define IDS_ROW_PASTE_ABOVE 75
#define IDS_ROW_DISPLAY_SPACE 76
#define IDM_ROW_MENU 41000
#define ROW_MENU_ACTIONS 11

// The layer rows' tooltips
#define IDS_TIP_INDEX 77

// Blend-mode names: the string IDs are in the mode list (engine/blend_mode_list.h), from which
// the string table is expanded.

// Dialog templates and bitmaps (the templates themselves come with the editor)
#define IDB_LOGO 102
#define IDD_ABOUT 107
#define IDD_SET_NUMBER 192
#define IDD_INSERT_LAYER 193
#define IDD_DELETE_LAYER 194
#define IDD_OUTPUT 196
#define IDD_LAYERS 197

// Output rollout controls (dialog IDD_OUTPUT), also named by the parameter block
#define IDC_OUT_HSV_H_EDIT 1013
#define IDC_OUT_HSV_H_SPIN 1020
#define IDC_OUT_HSV_S_EDIT 1027
#define IDC_OUT_HSV_S_SPIN 1028
#define IDC_OUT_HSV_V_EDIT 1029
#define IDC_OUT_HSV_V_SPIN 1030
#define IDC_OUT_RGB_R_EDIT 1014
#define IDC_OUT_RGB_R_SPIN 1021
#define IDC_OUT_RGB_G_EDIT 1032
#define IDC_OUT_RGB_G_SPIN 1033
#define IDC_OUT_RGB_B_EDIT 1034
#define IDC_OUT_RGB_B_SPIN 1035
#define IDC_OUT_ON 1031
#define IDC_OUT_ALPHA_EDIT 1018
#define IDC_OUT_ALPHA_SPIN 1025
#define IDC_OUT_BRIGHT_EDIT 1015
#define IDC_OUT_BRIGHT_SPIN 1022
#define IDC_OUT_CONTRAST_EDIT 1016
#define IDC_OUT_CONTRAST_SPIN 1023
#define IDC_OUT_GAMMA_EDIT 1017
#define IDC_OUT_GAMMA_SPIN 1024
#define IDC_OUT_MONO 1037
#define IDC_OUT_CLAMP 1036

// Layer-list rollout controls (dialog IDD_LAYERS). The per-row controls' ids, six rows each,
// are listed once in ui/layer_rows.cpp; the template lists them again.
#define IDC_SET_NUMBER 1497
#define IDC_LAYER_COUNT 1498
#define IDC_LAYER_SCROLL 1530
#define IDC_ADD_LAYER 1531
#define IDC_DELETE_LAYER 1532

// Output rollout's reset button (dialog IDD_OUTPUT)
#define IDC_OUT_RESET 1040

// About rollout (dialog IDD_ABOUT): the logo's image control
#define IDC_ABOUT_LOGO 1024

// Layer count dialogs (IDD_SET_NUMBER, IDD_INSERT_LAYER, IDD_DELETE_LAYER)
#define IDC_COUNT_EDIT 1498
#define IDC_COUNT_SPIN 1506
