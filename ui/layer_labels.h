// Texts of the layer rows: the labels the editor gives the layers' sub-maps, the numbers typed
// into the index fields and the colours shown by the swatches.
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

// A whole number in text: optional blanks, an optional sign, digits, optional blanks, within
// the range of int. False for anything else ("", "abc", "2x", "1.5").
bool ParseWholeNumber(const MCHAR* text, int& value);

// The swatch colour of a layer colour: each channel c × 255 + 0.5 truncated and limited to
// 0..255; NaN shows as 0.
COLORREF SwatchColor(const Color& c);
// The layer colour of a swatch colour: each channel / 255.
Color ColorOfSwatch(COLORREF c);
