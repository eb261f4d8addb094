#include "modes_command.h"

#include "cli_rules.h"
#include "command_options.h"
#include "file_io.h"
#include "ivorlith.h"
#include "image_io.h"
#include "modes_sheet.h"
#include "scene_build.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace quiltra {

CLI::App* AddModesCommand(CLI::App& app, ModesOptions& o)
{
    auto* modes = app.add_subcommand("modes", "contact sheet of the 35 blend modes");
    modes->add_option("-o,--output", o.output, "PNG to write (default modes.png)");
    modes->add_option_function<std::string>(
        "--cell",
        [&o](const std::string& t) { o.cell = (int)WholeNumberOption("--cell", t, 0, 1 << 30); },
        "cell size in pixels (default 224)");
    AddThreadsOption(modes, o.threads, "render");
    modes->add_option("--space", o.space, "blend space of the layer: linear (default) or display");
    return modes;
}

int RunModes(const std::string& pluginFolder, const ModesOptions& o)
{
    RequirePngName(o.output, "sheet");
    if (o.cell < 32 || o.cell > 1024) throw InputError("--cell: expected 32 to 1024 pixels");
    Host host(pluginFolder);
    ModesSheetSettings ms;
    ms.cell = o.cell;
    ms.threads = o.threads;
    if (o.space == "display")
        ms.space = VORLITH_SPACE_DISPLAY;
    else if (o.space != "linear")
        throw InputError("--space: expected linear or display, found \"" + o.space + "\"");
    FloatImage sheet = RenderModesSheet(host, ms);
    OutputFiles files;
    files.Stage(o.output, EncodePng(sheet));
    files.Commit();
    std::fprintf(stderr, "wrote %s (%dx%d, 35 modes)\n", o.output.c_str(), sheet.width,
                 sheet.height);
    return 0;
}

} // namespace quiltra
