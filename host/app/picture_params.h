// The parameters of the host's own picture textures (constant, checker, gradient, noise and
// bitmap), as the scene reader fills them and the picture maps hold, save and load them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quiltra {

enum class PictureKind { Constant, Checker, Gradient, Noise, Bitmap };

// The most colours one gradient holds.
const size_t kMaxGradientStops = 256;

struct PictureParams {
    std::array<float, 4> color {0.0f, 0.0f, 0.0f, 1.0f}; // constant
    std::array<float, 3> perturb {0.0f, 0.0f, 0.0f}; // constant
    std::array<float, 4> color1 {0.0f, 0.0f, 0.0f, 1.0f}; // checker, noise
    std::array<float, 4> color2 {1.0f, 1.0f, 1.0f, 1.0f}; // checker, noise
    // gradient: evenly spaced, 2 to kMaxGradientStops
    std::vector<std::array<float, 4>> stops {{0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}};
    int direction = 0; // gradient: 0 u, 1 v, 2 radial (from the centre, 1 at distance 0.5)
    float scale = 8.0f; // checker: squares across; noise: features across
    int octaves = 4; // noise: 1 to 8
    int seed = 0; // noise
    float bump = 0.1f; // strength of the perturbation derived from the map's value
    std::string file; // bitmap: where it came from (for messages and names)
    std::vector<std::uint8_t> image; // bitmap: the encoded file, kept so a saved scene holds it
    bool linear = false; // bitmap: colours taken as they are instead of sRGB-decoded
};

} // namespace quiltra
