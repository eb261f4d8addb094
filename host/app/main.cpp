// quiltra: the host program. Loads the layered texture plug-in as the host does and renders,
// evaluates and saves textures described by scene files.
//
//   quiltra render SCENE -o OUT.png [--size WxH] [--threads N] [--channel color|mono|bump]
//                  [--pfm FILE] [--pfm-alpha FILE] [--exr FILE [--exr-half]]
//   quiltra eval SCENE [--u U] [--v V]
//   quiltra modes [-o OUT.png] [--cell PIXELS] [--threads N] [--space linear|display]
//   quiltra save SCENE OUT
//   quiltra viewport SCENE (-o OUT.png | --describe) [--size WxH] [--stages N]
//                    [--path hardware|records]
//   quiltra shot SCENE -o OUT.png [--scroll N] [--open output,about]
//   quiltra edit [SCENE] [-o SAVED] [--channel color|bump] [--shot OUT.png]
//   quiltra --version
//
// Exit status: 0 done, 2 bad input (a message on stderr names the file and the place),
// 1 an internal failure.
#include "cli_rules.h"
#include "edit_window.h"
#include "editor_shot.h"
#include "eval_command.h"
#include "file_io.h"
#include "modes_command.h"
#include "own_desktop.h"
#include "render_command.h"
#include "save_command.h"
#include "viewport_command.h"

#include <quiltra_version.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace quiltra {
namespace {

std::string ExecutableFolder()
{
#ifdef _WIN32
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
    path.resize(n);
    return DirectoryOf(Narrow(path));
#else
    return ".";
#endif
}

int Main(std::vector<std::string> args)
{
    std::string plugins = ExecutableFolder() + "plugins";
    CLI::App app(
        "quiltra: renders, evaluates and saves layered textures made by the Vorlith plug-in",
        "quiltra");
    app.allow_windows_style_options(false); // "/path" is a file, not an option
    app.require_subcommand(1);
    app.fallthrough(); // --plugins may come after the command too
    app.set_version_flag("--version", "quiltra " QUILTRA_VERSION, "print the version and exit");
    app.add_option("--plugins", plugins,
                   "folder of plug-ins to load (default: plugins beside the program)");

    // Each command adds itself and its options; the one given runs.
    RenderOptions renderOptions;
    auto* render = AddRenderCommand(app, renderOptions);
    EvalOptions evalOptions;
    auto* eval = AddEvalCommand(app, evalOptions);
    ModesOptions modesOptions;
    auto* modes = AddModesCommand(app, modesOptions);
    SaveOptions saveOptions;
    auto* save = AddSaveCommand(app, saveOptions);
    ViewportOptions viewportOptions;
    auto* viewport = AddViewportCommand(app, viewportOptions);
    ShotOptions shotOptions;
    auto* shot = AddShotCommand(app, shotOptions);
    EditOptions editOptions;
    auto* edit = AddEditCommand(app, editOptions);

    // A first word that is no command is named as such (the parser would only say that a
    // command is required).
    const std::vector<std::string> commands {"render",   "eval", "modes", "save",
                                             "viewport", "shot", "edit"};
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' &&
        std::find(commands.begin(), commands.end(), args[1]) == commands.end())
        throw InputError("unknown command \"" + args[1] +
                         "\" (render, eval, modes, save, viewport, shot or edit)");

    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    try {
        app.parse((int)argv.size(), argv.data());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // One line, as every other message.
        std::string what = e.what();
        for (char& c : what)
            c = c == '\n' ? ' ' : c;
        while (!what.empty() && what.back() == ' ')
            what.pop_back();
        std::fprintf(stderr, "quiltra: %s (run 'quiltra --help' for the commands and options)\n",
                     OneLine(what).c_str());
        return 2;
    }
    RefuseEmptyValues(app);

    if (*render) return RunRender(plugins, renderOptions);
    if (*eval) return RunEval(plugins, evalOptions);
    if (*modes) return RunModes(plugins, modesOptions);
    if (*save) return RunSave(plugins, saveOptions);
    if (*viewport) return RunViewportCommand(plugins, viewportOptions);
    int status = 0;
    if ((*shot || *edit) && RunOnOwnDesktop(status)) return status;
    if (*shot) return RunShot(plugins, shotOptions);
    return RunEdit(plugins, editOptions);
}

} // namespace
} // namespace quiltra

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    // Text goes out exactly as written: no "\r\n" for "\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(quiltra::Narrow(argv[i]));
#else
int main(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
#endif
    try {
        return quiltra::Main(args);
    } catch (const quiltra::InputError& e) {
        std::fprintf(stderr, "quiltra: %s\n", quiltra::OneLine(e.what()).c_str());
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "quiltra: out of memory\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quiltra: internal error: %s\n", quiltra::OneLine(e.what()).c_str());
        return 1;
    }
}
