#include "save_command.h"

#include "file_io.h"
#include "scene_build.h"

#include <CLI/CLI.hpp>

namespace quiltra {

CLI::App* AddSaveCommand(CLI::App& app, SaveOptions& o)
{
    auto* save = app.add_subcommand("save", "save a scene as a host scene file");
    save->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    save->add_option("out", o.output, "scene file to write")->required();
    return save;
}

int RunSave(const std::string& pluginFolder, const SaveOptions& o)
{
    if (SameFile(o.output, o.scene))
        throw InputError(o.output + ": would overwrite the scene file it is made from");
    Host host(pluginFolder);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    OutputFiles files;
    files.Stage(o.output, SaveSceneBytes(texture.Get()));
    files.Commit();
    return 0;
}

} // namespace quiltra
