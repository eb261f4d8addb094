// quiltra eval: one shading sample of a scene: colour, mono and perturbation, in hexadecimal.
//
//   quiltra eval SCENE [--u U] [--v V]
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quiltra {

struct EvalOptions {
    std::string scene;
    double u = 0.5, v = 0.5;
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddEvalCommand(CLI::App& app, EvalOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunEval(const std::string& pluginFolder, const EvalOptions& options);

} // namespace quiltra
