// A scene as the user wrote it: a plain description of a layered texture and its sub-maps,
// read from a JSON file and checked in full before anything is built from it.
//
// Every value is validated here, once, with the file name and the JSON path of the value in the
// message (`layers[2].mode`); what is built from a description is never checked again. A key
// that nobody reads is an error, not a silence.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quiltra {

using Rgb = std::array<float, 3>;
using Rgba = std::array<float, 4>;

struct StackDescription;

// A picture sub-map (the host's own textures) or a nested layered texture.
struct SubmapDescription {
    enum class Kind { Constant, Checker, Gradient, Noise, Bitmap, Layers };
    enum class Direction { U, V, Radial };

    Kind kind = Kind::Constant;
    std::string where;  // JSON path of this sub-map, for messages while it is built

    // constant
    Rgba color{0.0f, 0.0f, 0.0f, 1.0f};
    std::array<float, 3> perturb{0.0f, 0.0f, 0.0f};
    // checker, noise: the two colours; gradient: its stops (evenly spaced, at least two)
    Rgba color1{0.0f, 0.0f, 0.0f, 1.0f};
    Rgba color2{1.0f, 1.0f, 1.0f, 1.0f};
    std::vector<Rgba> stops;
    Direction direction = Direction::U;
    float scale = 8.0f;   // checker: squares across the unit square; noise: features across it
    int octaves = 4;      // noise
    int seed = 0;         // noise
    float bump = 0.1f;    // strength of the perturbation derived from the map's value
    // bitmap
    std::string file;     // resolved against the scene file's folder
    bool linear = false;  // false: the image's colours are sRGB-encoded and are decoded
    // layers
    std::unique_ptr<StackDescription> stack;
};

struct LayerDescription {
    std::unique_ptr<SubmapDescription> map, mask;
    std::optional<bool> mapEnabled, maskEnabled, mapUsed;
    std::optional<float> opacity;  // percent
    std::optional<std::array<float, 3>> color;
    std::optional<int> mode;       // blend-mode index, kept as given even outside 0..34
};

// Output settings; an absent value keeps the new texture's default.
struct OutputDescription {
    std::optional<bool> on, mono, clamp;
    std::optional<std::array<float, 3>> hsv, rgb;
    std::optional<float> alpha, bright, contrast, gamma;  // bright, contrast: factors (percent × 0.01f)
};

struct StackDescription {
    std::vector<LayerDescription> layers;  // index 0 is the base layer; never empty
    OutputDescription output;
};

// Reads a scene from JSON text. `fileName` names the file in messages and anchors relative
// bitmap paths. Throws InputError("FILE: PATH: what") for any malformed or unknown input.
StackDescription ParseSceneJson(const std::string& text, const std::string& fileName);

// Reads and parses a JSON scene file.
StackDescription LoadSceneJson(const std::string& path);

// The blend-mode index for a name as the editor shows it ("Soft Light", "RGB red"); the match
// ignores letter case. Returns -1 for an unknown name.
int BlendModeIndexOf(const std::string& name);
// The name of a mode index, or "" outside 0..34.
const char* BlendModeNameOf(int index);

}  // namespace quiltra
