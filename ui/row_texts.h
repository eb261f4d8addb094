// Texts and colours of the layer rows' controls: the numbers typed into the index fields and
// the colours shown by the swatches.
#pragma once

#include "max.h"

// A whole number in text: optional blanks, an optional sign, digits, optional blanks, within
// the range of int. False for anything else ("", "abc", "2x", "1.5").
bool ParseWholeNumber(const MCHAR* text, int& value);

// The swatch colour of a layer colour: each channel c × 255 + 0.5 truncated and limited to
// 0..255; NaN shows as 0.
COLORREF SwatchColor(const Color& c);
// The layer colour of a swatch colour: each channel / 255.
Color ColorOfSwatch(COLORREF c);
