#include "render_command.h"

#include "command_options.h"
#include "exr_io.h"
#include "file_io.h"
#include "image_io.h"
#include "png_stream.h"
#include "render.h"
#include "scene_build.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace quiltra {

CLI::App* AddRenderCommand(CLI::App& app, RenderOptions& o)
{
    auto* render = app.add_subcommand("render", "render a scene over the unit square to a PNG");
    render->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    render->add_option("-o,--output", o.output, "PNG to write")->required();
    render->add_option("--size", o.size, "WIDTHxHEIGHT in pixels (default 512x512)");
    AddThreadsOption(render, o.threads, "render");
    render
        ->add_option("--channel", o.channel,
                     "what to render: color (EvalColor), mono (EvalMono) or bump "
                     "(EvalNormalPerturb, shown as a lit relief)")
        ->check(CLI::IsMember({"color", "mono", "bump"}));
    render->add_option("--pfm", o.pfm,
                       "also write the raw float red, green and blue (or x, y, z) as PFM");
    render->add_option("--pfm-alpha", o.pfmAlpha,
                       "also write the raw float alpha as a one-channel PFM");
    auto* exrOption = render->add_option(
        "--exr", o.exr, "also write the raw float red, green, blue and alpha as OpenEXR");
    render->add_flag("--exr-half", o.exrHalf, "the OpenEXR in 16-bit half floats (default 32-bit)")
        ->needs(exrOption);
    return render;
}

namespace {

// Refuses outputs that would overwrite the scene or each other (two outputs under one name
// would leave the one written first in place of the other).
void CheckOutputs(const RenderOptions& o)
{
    const std::pair<const char*, const std::string*> outputs[] = {
        {"-o", &o.output}, {"--pfm", &o.pfm}, {"--pfm-alpha", &o.pfmAlpha}, {"--exr", &o.exr}};
    const size_t count = sizeof outputs / sizeof outputs[0];
    for (size_t i = 0; i < count; ++i)
        if (!outputs[i].second->empty() && SameFile(*outputs[i].second, o.scene))
            throw InputError(*outputs[i].second + ": would overwrite the scene file");
    for (size_t i = 0; i < count; ++i)
        for (size_t k = i + 1; k < count; ++k)
            if (!outputs[i].second->empty() && !outputs[k].second->empty() &&
                SameFile(*outputs[i].second, *outputs[k].second))
                throw InputError(std::string(outputs[k].first) + " and " + outputs[i].first +
                                 " name the same file");
}

} // namespace

int RunRender(const std::string& pluginFolder, const RenderOptions& o)
{
    int width = 0, height = 0;
    ParseSize(o.size, width, height);
    RenderChannel channel = o.channel == "mono" ? RenderChannel::Mono
        : o.channel == "bump"                   ? RenderChannel::Perturb
                                                : RenderChannel::Color;
    RequirePngName(o.output, "picture");
    CheckOutputs(o);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    Host host(pluginFolder);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    const Clock::time_point loaded = Clock::now();

    RenderSettings rs;
    rs.width = width;
    rs.height = height;
    rs.threads = o.threads;
    rs.channel = channel;
    rs.progress = ProgressReporter("render");
    std::vector<std::uint8_t> codes;
    // The PNG is compressed as the rows come (a relief is shaded first, after the render).
    std::unique_ptr<PngStream> png;
    if (channel != RenderChannel::Perturb) {
        png.reset(new PngStream(width, height));
        rs.pngCodes = &codes;
        rs.rowsInOrder = [&png, &codes](int first, int end) {
            png->AddRows(codes.data(), first, end);
        };
    }
    FloatImage image = RenderTexture(texture.Get(), rs);
    const Clock::time_point rendered = Clock::now();

    OutputFiles files;
    files.Stage(o.output, png ? png->Finish() : EncodePng(ShadePerturbation(image)));
    if (!o.pfm.empty()) files.Stage(o.pfm, EncodePfmRgb(image));
    if (!o.pfmAlpha.empty()) files.Stage(o.pfmAlpha, EncodePfmAlpha(image));
    if (!o.exr.empty()) files.Stage(o.exr, EncodeExr(image, o.exrHalf));
    files.Commit();
    if (std::getenv("QUILTRA_TIMING")) {
        auto seconds = [](Clock::time_point a, Clock::time_point b) {
            return std::chrono::duration<double>(b - a).count();
        };
        std::fprintf(stderr, "timing: load %.3f s, render %.3f s, write %.3f s\n",
                     seconds(started, loaded), seconds(loaded, rendered),
                     seconds(rendered, Clock::now()));
    }
    std::fprintf(stderr, "wrote %s (%dx%d)\n", o.output.c_str(), width, height);
    return 0;
}

} // namespace quiltra
