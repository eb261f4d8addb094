// quiltra modes: the contact sheet of the 35 blend modes, labelled.
//
//   quiltra modes [-o OUT.png] [--cell PIXELS] [--threads N] [--space linear|display]
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

struct ModesOptions {
    std::string output = "modes.png";
    int cell = 224;
    std::string space = "linear"; // the blend space of the sheet's top layer
    int threads = 0;
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddModesCommand(CLI::App& app, ModesOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunModes(const std::string& pluginFolder, const ModesOptions& options);

} // namespace quiltra
