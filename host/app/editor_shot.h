// quiltra shot: the host's material editor window with a texture's rollouts, captured as drawn
// from the window's own device context and written as PNG.
//
//   quiltra shot SCENE -o OUT.png [--scroll N] [--open output,about] [--menu ROW]
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace CLI {
class App;
}

namespace quiltra {

struct ShotOptions {
    std::string scene, output;
    int scroll = 0; // the first layer the rows show
    std::string open; // rollouts to open besides the layer list: "output", "about"
    int menu = -1; // the row (0-5) whose menu is open in the picture; -1 none
};

// Adds the command and its options to the program's parser; returns the command.
CLI::App* AddShotCommand(CLI::App& app, ShotOptions& options);

// Runs the command. Throws InputError for bad input (nothing is written then).
int RunShot(const std::string& pluginFolder, const ShotOptions& options);

// The client area of a window as it is drawn now, read from the window's device context:
// 8-bit RGBA codes (alpha 255), rows from the top.
struct WindowPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};
WindowPicture CaptureClientArea(HWND window);
// Redraws the window whole, captures its client area and writes it as PNG to `output`
// (reporting it on stderr). Throws when the window cannot be read or the file written.
void WriteWindowPicture(HWND window, const std::string& output);

// The header of a 32-bit picture whose rows run from the top, as the drawing functions take it.
BITMAPINFO TopDownBitmapInfo(int width, int height);

// Handles every message waiting for this thread (paints among them).
void PumpMessages();

} // namespace quiltra
