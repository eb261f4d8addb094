// `quiltra viewport`: what a hardware-shaded viewport shows of a texture. The texture sets its
// texture stages up in the host stand-in's viewport (through the hardware material, or through
// the material's texture records), and the stages are combined per pixel over the same u, v
// grid as `render`, so that the two pictures compare side by side.
#pragma once

#include "image_io.h"

#include <string>

class Texmap;
namespace host {
class Viewport;
}

namespace quiltra {

struct ViewportOptions {
    std::string scene, output, size = "512x512", path = "hardware";
    int stages = 8; // what the viewport reports it can use
    bool describe = false; // print the stages instead of drawing them
};

// Edge length of the textures the viewport makes of the maps' bitmaps.
const int kViewportTextureSize = 256;

// The viewport's picture of the stages its last Setup left, one sample per pixel centre.
FloatImage DrawViewport(const host::Viewport& viewport, int width, int height);

// One line per stage in use: "stage K layer L map NAME", then " | " and each operation given
// for the stage; " | no texture" ends the line of a stage that was given none.
std::string DescribeViewport(Texmap* texture, const host::Viewport& viewport);

// Runs the command for a checked size; the caller has checked the output's name.
int RunViewport(const std::string& plugins, const ViewportOptions& options, int width, int height);

} // namespace quiltra
