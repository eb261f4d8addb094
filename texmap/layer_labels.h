// The layers' labels: what the texture writes into its sub-maps' names while an editor shows
// them, and the string table's texts.
#pragma once

#include "max.h"

// A copy of string id of the library's string table ("" when it is missing). The table's
// lookup shares one buffer between all callers, so a text that is kept is copied first.
MSTR ResString(int id);

// A name without the label this editor puts in front of it ("L: 2, Screen, 75 | " or
// "L: 2, Mask | "): when the name starts with "L: <number>, " the text up to and including the
// first "| " after it goes. Any other name, a user's name with "|" in it among them, comes back
// whole.
MSTR StripLayerLabel(const MCHAR* name);

// "L: <layer>, <mode name>, <opacity> | <name>", the label of a layer's map. A mode outside the
// table shows as its number; the opacity is truncated towards zero ("nan", "inf" and "-inf"
// when it is not finite).
MSTR MapLabel(int layer, int mode, float opacity, const MCHAR* name);
// "L: <layer>, Mask | <name>", the label of a layer's mask.
MSTR MaskLabel(int layer, const MCHAR* name);
