#include "viewport_command.h"

#include "cli_rules.h"
#include "command_options.h"
#include "file_io.h"

#include <CLI/CLI.hpp>

namespace quiltra {

CLI::App* AddViewportCommand(CLI::App& app, ViewportOptions& o)
{
    auto* viewport = app.add_subcommand(
        "viewport", "what a hardware-shaded viewport shows: the texture's stages combined");
    viewport->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    auto* output = viewport->add_option("-o,--output", o.output, "PNG to write");
    viewport->add_option("--size", o.size, "WIDTHxHEIGHT in pixels (default 512x512)");
    viewport->add_option_function<std::string>(
        "--stages",
        [&o](const std::string& t) { o.stages = (int)WholeNumberOption("--stages", t, 0, 64); },
        "texture stages the viewport can use (default 8)");
    viewport
        ->add_option("--path", o.path,
                     "hardware (the hardware material, default) or records (the material's "
                     "texture records)")
        ->check(CLI::IsMember({"hardware", "records"}));
    auto* describe = viewport->add_flag("--describe", o.describe,
                                        "print one line per stage in use instead of a picture");
    output->excludes(describe);
    return viewport;
}

int RunViewportCommand(const std::string& pluginFolder, const ViewportOptions& o)
{
    int width = 0, height = 0;
    ParseSize(o.size, width, height);
    if (!o.describe && o.output.empty())
        throw InputError("viewport: give -o OUT.png for a picture or --describe for the stages");
    if (!o.describe) RequirePngName(o.output, "picture");
    if (!o.describe && SameFile(o.output, o.scene))
        throw InputError(o.output + ": would overwrite the scene file");
    return RunViewport(pluginFolder, o, width, height);
}

} // namespace quiltra
