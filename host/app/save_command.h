// quiltra save: a scene's texture written as a host scene file.
//
//   quiltra save SCENE OUT
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

struct SaveOptions {
    std::string scene, output;
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddSaveCommand(CLI::App& app, SaveOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunSave(const std::string& pluginFolder, const SaveOptions& options);

} // namespace quiltra
