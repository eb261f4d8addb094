#include "eval_command.h"

#include "file_io.h"
#include "hex_float.h"
#include "scene_build.h"

#include <imtl.h>
#include <host/shade_context.h>

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>

namespace quiltra {

CLI::App* AddEvalCommand(CLI::App& app, EvalOptions& o)
{
    auto* eval =
        app.add_subcommand("eval", "evaluate one shading sample: colour, mono, perturbation");
    eval->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    eval->add_option("--u", o.u, "u coordinate (default 0.5)");
    eval->add_option("--v", o.v, "v coordinate (default 0.5)");
    return eval;
}

int RunEval(const std::string& pluginFolder, const EvalOptions& o)
{
    // Rounded to float as the sample takes them: 1e39 would become infinity.
    if (!std::isfinite((float)o.u) || !std::isfinite((float)o.v))
        throw InputError(
            "--u and --v must be finite numbers within the float range (up to 3.4e38)");
    Host host(pluginFolder);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    Texmap* t = texture.Get();
    Interval valid = FOREVER;
    t->Update(0, valid);

    host::SampleShadeContext sc;
    sc.BeginSample();
    const Point3 uvw((float)o.u, (float)o.v, 0.0f);
    sc.SetUVW(uvw, 0);
    sc.SetUVW(uvw, 1);
    sc.SetP(uvw);
    sc.SetNormal(Point3(0.0f, 0.0f, 1.0f));
    AColor c = t->EvalColor(sc);
    float m = t->EvalMono(sc); // answered from the cache EvalColor filled
    Point3 p = t->EvalNormalPerturb(sc);
    std::printf("color %s %s %s %s\n", HexFloat(c.r).c_str(), HexFloat(c.g).c_str(),
                HexFloat(c.b).c_str(), HexFloat(c.a).c_str());
    std::printf("mono %s\n", HexFloat(m).c_str());
    std::printf("perturb %s %s %s\n", HexFloat(p.x).c_str(), HexFloat(p.y).c_str(),
                HexFloat(p.z).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace quiltra
