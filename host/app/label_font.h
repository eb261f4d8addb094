// Text labels drawn into a float image, with a small embedded bitmap font (ASCII only; other
// characters draw nothing). Used by the contact sheet of the blend modes.
#pragma once

#include "image_io.h"

#include <string>

namespace quiltra {

// Width and height in pixels of a single-line text at an integer scale (1: about 6 × 7 pixels
// per character).
int LabelWidth(const std::string& text, int scale);
int LabelHeight(int scale);

// Draws the text with its top-left corner at (x, y); pixels outside the image are skipped.
void DrawLabel(FloatImage& image, int x, int y, const std::string& text, int scale,
               const float rgba[4]);

} // namespace quiltra
