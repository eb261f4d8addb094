// A scene as the user wrote it: a plain description of a layered texture and its sub-maps,
// read from a JSON file and checked in full before anything is built from it.
//
// Every value is validated here, once, with the file name and the JSON path of the value in the
// message (`layers[2].mode`); what is built from a description is never checked again. A key
// that nobody reads is an error, not a silence.
#pragma once

#include "picture_params.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quiltra {

using Rgb = std::array<float, 3>;
using Rgba = std::array<float, 4>;

struct StackDescription;

// A sub-map: a picture map (the host's own textures), its parameters as the map takes them (a
// bitmap's file read), or a nested layered texture when `stack` is set.
struct SubmapDescription {
    std::string where; // JSON path of this sub-map, for messages while it is built
    PictureKind kind = PictureKind::Constant;
    PictureParams params;
    std::unique_ptr<StackDescription> stack;
};

struct LayerDescription {
    std::unique_ptr<SubmapDescription> map, mask;
    std::optional<bool> mapEnabled, maskEnabled, mapUsed;
    std::optional<float> opacity; // percent
    std::optional<std::array<float, 3>> color;
    std::optional<int> mode; // blend-mode index, kept as given even outside 0..34
    std::optional<int> space; // VORLITH_SPACE_LINEAR ("linear") or _DISPLAY ("display")
};

// Output settings; an absent value keeps the new texture's default.
struct OutputDescription {
    std::optional<bool> on, mono, clamp;
    std::optional<std::array<float, 3>> hsv, rgb;
    std::optional<float> alpha, bright, contrast,
        gamma; // bright, contrast: factors (percent × 0.01f)
};

struct StackDescription {
    std::vector<LayerDescription> layers; // index 0 is the base layer; never empty
    OutputDescription output;
};

// Reads a scene from JSON text. `fileName` names the file in messages and anchors relative
// bitmap paths, whose files are read; `modeNames` are the blend modes' names by index. Throws
// InputError("FILE: PATH: what") for any malformed or unknown input, a bitmap that is not a
// readable file, or textures nested or counted beyond the limits of saved scenes.
StackDescription ParseSceneJson(const std::string& text, const std::string& fileName,
                                const std::vector<std::string>& modeNames);

// Reads and parses a JSON scene file.
StackDescription LoadSceneJson(const std::string& path, const std::vector<std::string>& modeNames);

// The index of a blend-mode name ("Soft Light", "RGB red") in `modeNames`; the match ignores
// letter case. Returns -1 for an unknown name.
int BlendModeIndexOf(const std::vector<std::string>& modeNames, const std::string& name);

} // namespace quiltra
