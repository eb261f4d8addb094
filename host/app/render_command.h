// quiltra render: a scene rendered over the unit square, one shading sample per pixel centre.
//
//   quiltra render SCENE -o OUT.png [--size WxH] [--threads N] [--channel color|mono|bump]
//                  [--pfm FILE] [--pfm-alpha FILE] [--exr FILE [--exr-half]]
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

struct RenderOptions {
    std::string scene, output, size = "512x512", channel = "color";
    std::string pfm, pfmAlpha, exr; // further outputs; empty: none
    bool exrHalf = false;
    int threads = 0;
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddRenderCommand(CLI::App& app, RenderOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunRender(const std::string& pluginFolder, const RenderOptions& options);

} // namespace quiltra
