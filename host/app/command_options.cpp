#include "command_options.h"

#include "cli_rules.h"
#include "file_io.h"
#include "image_io.h"
#include "render.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <memory>

namespace quiltra {

bool EndsWithIgnoringCase(const std::string& s, const std::string& suffix)
{
    if (s.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower((unsigned char)s[s.size() - suffix.size() + i]) !=
            std::tolower((unsigned char)suffix[i]))
            return false;
    return true;
}

void RequirePngName(const std::string& output, const std::string& what)
{
    if (!EndsWithIgnoringCase(output, ".png"))
        throw InputError(output + ": the " + what +
                         " is written as PNG: give a name ending in .png");
}

void ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    long long w = 0, h = 0;
    if (x == std::string::npos || !WholeNumber(text.substr(0, x), 1ll << 40, w) ||
        !WholeNumber(text.substr(x + 1), 1ll << 40, h))
        throw InputError("--size: expected WIDTHxHEIGHT (e.g. 512x512), found \"" + text + "\"");
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide || w * h > kMaxPicturePixels)
        throw InputError("--size: " + text + " is outside 1x1 .. " + std::to_string(kMaxSide) +
                         " per side and " + std::to_string(kMaxPicturePixels) + " pixels in all");
    width = (int)w;
    height = (int)h;
}

void AddThreadsOption(CLI::App* command, int& threads, const std::string& what)
{
    threads = HardwareThreads();
    command->add_option_function<std::string>(
        "--threads",
        [&threads](const std::string& text) {
            threads = (int)WholeNumberOption("--threads", text, 1, 256);
        },
        what + " threads, 1 to 256 (default: every core)");
}

std::function<void(double)> ProgressReporter(const std::string& what)
{
    auto start = std::chrono::steady_clock::now();
    auto shown = std::make_shared<int>(-1);
    return [start, shown, what](double fraction) {
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int percent = (int)(fraction * 100.0);
        if (seconds < 1.0 || percent == *shown) return;
        *shown = percent;
        std::fprintf(stderr, "%s: %d%%\n", what.c_str(), percent);
        std::fflush(stderr);
    };
}

} // namespace quiltra
