// What several quiltra commands' options share: sizes, thread counts, PNG names, progress.
#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
}

namespace quiltra {

// The longest side `--size` takes.
const int kMaxSide = 16384;

// True when `s` ends with `suffix`, letters compared ignoring case.
bool EndsWithIgnoringCase(const std::string& s, const std::string& suffix);

// Throws InputError naming `output` unless it ends in .png; `what` says what is written
// ("picture", "sheet").
void RequirePngName(const std::string& output, const std::string& what);

// `--size` WIDTHxHEIGHT: plain whole numbers, each side 1 to kMaxSide, at most
// kMaxPicturePixels in all. Throws InputError otherwise.
void ParseSize(const std::string& text, int& width, int& height);

// Adds `--threads` (1 to 256) to a command; `threads` starts at every core.
void AddThreadsOption(CLI::App* command, int& threads, const std::string& what);

// Progress on stderr ("render: 40%") once the work has taken more than a moment.
std::function<void(double)> ProgressReporter(const std::string& what);

} // namespace quiltra
