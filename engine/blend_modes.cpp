#include "blend_modes.h"

#define QUILTRA_MODE_ROW(mode, stringId, name, colour, bump) {stringId, name},

const BlendMode kBlendModes[BLEND_MODE_COUNT + 1] = {QUILTRA_BLEND_MODES(QUILTRA_MODE_ROW)
                                                     // An index outside the table.
                                                     {0, 0}};

#undef QUILTRA_MODE_ROW
