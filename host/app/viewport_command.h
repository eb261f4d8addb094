// quiltra viewport: what a hardware-shaded viewport shows of a scene's texture.
//
//   quiltra viewport SCENE (-o OUT.png | --describe) [--size WxH] [--stages N]
//                    [--path hardware|records]
#pragma once

#include "viewport_view.h"

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddViewportCommand(CLI::App& app, ViewportOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunViewportCommand(const std::string& pluginFolder, const ViewportOptions& options);

} // namespace quiltra
