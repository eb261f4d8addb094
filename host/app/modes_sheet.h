// The contact sheet of the blend modes: one cell per mode, in mode-index order, each the same
// base and layer composited with that mode, with the mode's index and name drawn below it.
#pragma once

#include "image_io.h"
#include "scene_description.h"

namespace quiltra {

class Host;

struct ModesSheetSettings {
    int cell = 224; // cell size in pixels (square)
    int columns = 7;
    int threads = 1;
    int space = 0; // the layer's blend space: VORLITH_SPACE_LINEAR or _DISPLAY
};

// The scene every cell shows: a base gradient across u and a layer gradient across v, with the
// layer in mode 0; the sheet changes layer 1's mode per cell.
StackDescription ModesSheetScene();

FloatImage RenderModesSheet(Host& host, const ModesSheetSettings& settings);

} // namespace quiltra
