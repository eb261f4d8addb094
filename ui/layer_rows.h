// The layer-list rollout's rows: six rows of eleven controls each. One table of control ids per
// kind of control, indexed by row; handlers find the row and kind of an id through it.
#pragma once

enum { LAYER_ROWS = 6 };

enum RowControl {
    ROW_FRAME, // group box around the row
    ROW_USED, // layer-used switch (mapUsed)
    ROW_INDEX, // index field: the layer's number, typed over to move the layer
    ROW_OPACITY_EDIT, // opacity field
    ROW_OPACITY_SPIN, // opacity spinner
    ROW_COLOR, // colour swatch (colorList)
    ROW_MODE, // blend-mode list (modeList)
    ROW_MAP, // map button
    ROW_MAP_ENABLED, // map-enabled switch (mapEnabled)
    ROW_MASK, // mask button
    ROW_MASK_ENABLED, // mask-enabled switch (maskEnabled)
    ROW_CONTROL_KINDS
};

// kRowControlIds[kind][row]: the control id in dialog IDD_LAYERS.
extern const int kRowControlIds[ROW_CONTROL_KINDS][LAYER_ROWS];

// The row and kind of a control id; false when the id belongs to no row.
bool FindRowControl(int id, int& row, RowControl& kind);
