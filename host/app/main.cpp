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
#include "edit_window.h"
#include "editor_shot.h"
#include "exr_io.h"
#include "file_io.h"
#include "hex_float.h"
#include "image_io.h"
#include "ivorlith.h"
#include "modes_sheet.h"
#include "render.h"
#include "scene_build.h"
#include "viewport_view.h"

#include <quiltra_version.h>
#include <imtl.h>
#include <host/shade_context.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <windows.h>
#endif

namespace quiltra {
namespace {

const int kMaxSide = 16384;

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

bool EndsWithIgnoringCase(const std::string& s, const std::string& suffix)
{
    if (s.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower((unsigned char)s[s.size() - suffix.size() + i]) !=
            std::tolower((unsigned char)suffix[i]))
            return false;
    return true;
}

// A whole number written plainly: digits only, no sign, no space, no leading zero; false when
// the text is anything else or above `most`.
bool PlainNumber(const std::string& text, long long most, long long& value)
{
    if (text.empty() || text.size() > 18 || (text[0] == '0' && text.size() > 1)) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= most;
}

void ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    long long w = 0, h = 0;
    if (x == std::string::npos || !PlainNumber(text.substr(0, x), 1ll << 40, w) ||
        !PlainNumber(text.substr(x + 1), 1ll << 40, h))
        throw InputError("--size: expected WIDTHxHEIGHT (e.g. 512x512), found \"" + text + "\"");
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide || w * h > kMaxPicturePixels)
        throw InputError("--size: " + text + " is outside 1x1 .. " + std::to_string(kMaxSide) +
                         " per side and " + std::to_string(kMaxPicturePixels) + " pixels in all");
    width = (int)w;
    height = (int)h;
}

int ParseThreads(const std::string& text)
{
    long long n = 0;
    if (!PlainNumber(text, 256, n) || n < 1)
        throw InputError("--threads: expected a whole number from 1 to 256, found \"" + text +
                         "\"");
    return (int)n;
}

// Progress on stderr once a render has taken more than a moment.
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

struct Options {
    std::string plugins;
    std::string scene, output, size = "512x512", pfm, pfmAlpha, channel = "color";
    std::string exr;
    bool exrHalf = false;
    int threads = 0;
    double u = 0.5, v = 0.5;
    int cell = 224;
    std::string space = "linear";
};

int RunRender(const Options& o)
{
    int width = 0, height = 0;
    ParseSize(o.size, width, height);
    RenderChannel channel = o.channel == "mono"   ? RenderChannel::Mono
                            : o.channel == "bump" ? RenderChannel::Perturb
                                                  : RenderChannel::Color;
    if (!EndsWithIgnoringCase(o.output, ".png"))
        throw InputError(o.output + ": the picture is written as PNG: give a name ending in .png");
    for (const std::string* out : {&o.output, &o.pfm, &o.pfmAlpha, &o.exr})
        if (!out->empty() && SameFile(*out, o.scene))
            throw InputError(*out + ": would overwrite the scene file");
    // Two outputs under one name would leave the one written first in place of the other.
    const std::pair<const char*, const std::string*> outputs[] = {
        {"-o", &o.output}, {"--pfm", &o.pfm}, {"--pfm-alpha", &o.pfmAlpha}, {"--exr", &o.exr}};
    for (size_t i = 0; i < 4; ++i)
        for (size_t k = i + 1; k < 4; ++k)
            if (!outputs[i].second->empty() && !outputs[k].second->empty() &&
                SameFile(*outputs[i].second, *outputs[k].second))
                throw InputError(std::string(outputs[k].first) + " and " + outputs[i].first +
                                 " name the same file");

    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    Host host(o.plugins);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    const Clock::time_point loaded = Clock::now();

    RenderSettings rs;
    rs.width = width;
    rs.height = height;
    rs.threads = o.threads;
    rs.channel = channel;
    rs.progress = ProgressReporter("render");
    std::vector<std::uint8_t> codes;
    if (channel != RenderChannel::Perturb) rs.pngCodes = &codes;  // a relief is shaded first
    FloatImage image = RenderTexture(texture.Get(), rs);
    const Clock::time_point rendered = Clock::now();

    OutputFiles files;
    files.Stage(o.output, channel == RenderChannel::Perturb ? EncodePng(ShadePerturbation(image))
                                                            : EncodePngCodes(width, height, codes));
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

int RunEval(const Options& o)
{
    // Rounded to float as the sample takes them: 1e39 would become infinity.
    if (!std::isfinite((float)o.u) || !std::isfinite((float)o.v))
        throw InputError(
            "--u and --v must be finite numbers within the float range (up to 3.4e38)");
    Host host(o.plugins);
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
    float m = t->EvalMono(sc);  // answered from the cache EvalColor filled
    Point3 p = t->EvalNormalPerturb(sc);
    std::printf("color %s %s %s %s\n", HexFloat(c.r).c_str(), HexFloat(c.g).c_str(),
                HexFloat(c.b).c_str(), HexFloat(c.a).c_str());
    std::printf("mono %s\n", HexFloat(m).c_str());
    std::printf("perturb %s %s %s\n", HexFloat(p.x).c_str(), HexFloat(p.y).c_str(),
                HexFloat(p.z).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunModes(const Options& o)
{
    if (!EndsWithIgnoringCase(o.output, ".png"))
        throw InputError(o.output + ": the sheet is written as PNG: give a name ending in .png");
    if (o.cell < 32 || o.cell > 1024) throw InputError("--cell: expected 32 to 1024 pixels");
    Host host(o.plugins);
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

int RunSave(const Options& o)
{
    if (SameFile(o.output, o.scene))
        throw InputError(o.output + ": would overwrite the scene file it is made from");
    Host host(o.plugins);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    OutputFiles files;
    files.Stage(o.output, SaveSceneBytes(texture.Get()));
    files.Commit();
    return 0;
}

int RunViewportCommand(const Options& o, const ViewportOptions& v)
{
    int width = 0, height = 0;
    ParseSize(v.size, width, height);
    if (!v.describe && v.output.empty()) throw InputError("viewport: give -o OUT.png for a picture or --describe for the stages");
    if (!v.describe && !EndsWithIgnoringCase(v.output, ".png")) throw InputError(v.output + ": the picture is written as PNG: give a name ending in .png");
    if (!v.describe && SameFile(v.output, v.scene)) throw InputError(v.output + ": would overwrite the scene file");
    return RunViewport(o.plugins, v, width, height);
}

int Main(std::vector<std::string> args)
{
    Options o;
    o.plugins = ExecutableFolder() + "plugins";
    o.threads = HardwareThreads();
    auto threads = [&o](const std::string& text) { o.threads = ParseThreads(text); };

    CLI::App app(
        "quiltra: renders, evaluates and saves layered textures made by the Vorlith plug-in",
        "quiltra");
    app.allow_windows_style_options(false);  // "/path" is a file, not an option
    app.require_subcommand(1);
    app.fallthrough();  // --plugins may come after the command too
    app.set_version_flag("--version", "quiltra " QUILTRA_VERSION, "print the version and exit");
    app.add_option("--plugins", o.plugins,
                   "folder of plug-ins to load (default: plugins beside the program)");

    auto* render = app.add_subcommand("render", "render a scene over the unit square to a PNG");
    render->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    render->add_option("-o,--output", o.output, "PNG to write")->required();
    render->add_option("--size", o.size, "WIDTHxHEIGHT in pixels (default 512x512)");
    render->add_option_function<std::string>("--threads", threads,
                                             "render threads, 1 to 256 (default: every core)");
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

    auto* eval =
        app.add_subcommand("eval", "evaluate one shading sample: colour, mono, perturbation");
    eval->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    eval->add_option("--u", o.u, "u coordinate (default 0.5)");
    eval->add_option("--v", o.v, "v coordinate (default 0.5)");

    auto* modes = app.add_subcommand("modes", "contact sheet of the 35 blend modes");
    o.output = "modes.png";
    modes->add_option("-o,--output", o.output, "PNG to write (default modes.png)");
    modes->add_option("--cell", o.cell, "cell size in pixels (default 224)");
    modes->add_option("--space", o.space, "blend space of the layer: linear (default) or display");
    modes->add_option_function<std::string>("--threads", threads,
                                            "render threads, 1 to 256 (default: every core)");

    auto* save = app.add_subcommand("save", "save a scene as a host scene file");
    save->add_option("scene", o.scene, "scene file (JSON or saved scene)")->required();
    save->add_option("out", o.output, "scene file to write")->required();

    ViewportOptions vo;
    auto* viewport = app.add_subcommand("viewport", "what a hardware-shaded viewport shows: the texture's stages combined");
    viewport->add_option("scene", vo.scene, "scene file (JSON or saved scene)")->required();
    auto* vpOut = viewport->add_option("-o,--output", vo.output, "PNG to write");
    viewport->add_option("--size", vo.size, "WIDTHxHEIGHT in pixels (default 512x512)");
    viewport->add_option("--stages", vo.stages, "texture stages the viewport can use (default 8)")->check(CLI::Range(0, 64));
    viewport->add_option("--path", vo.path, "hardware (the hardware material, default) or records (the material's texture records)")
        ->check(CLI::IsMember({"hardware", "records"}));
    auto* vpDescribe = viewport->add_flag("--describe", vo.describe, "print one line per stage in use instead of a picture");
    vpOut->excludes(vpDescribe);

    ShotOptions shotOptions;
    auto* shot = AddShotCommand(app, shotOptions);
    EditOptions editOptions;
    auto* edit = AddEditCommand(app, editOptions);

    // A first word that is no command is named as such (the parser would only say that a
    // command is required).
    const std::vector<std::string> commands{"render",   "eval", "modes", "save",
                                            "viewport", "shot", "edit"};
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' &&
        std::find(commands.begin(), commands.end(), args[1]) == commands.end())
        throw InputError("unknown command \"" + args[1] + "\" (render, eval, modes, save, viewport, shot or edit)");

    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
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
        for (char& c : what) c = c == '\n' ? ' ' : c;
        while (!what.empty() && what.back() == ' ') what.pop_back();
        std::fprintf(stderr, "quiltra: %s (run 'quiltra --help' for the commands and options)\n",
                     what.c_str());
        return 2;
    }

    if (*render) return RunRender(o);
    if (*eval) return RunEval(o);
    if (*modes) return RunModes(o);
    if (*viewport) return RunViewportCommand(o, vo);
    if (*shot) return RunShot(o.plugins, shotOptions);
    if (*edit) return RunEdit(o.plugins, editOptions);
    return RunSave(o);
}

}  // namespace
}  // namespace quiltra

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    // Text goes out exactly as written: no "\r\n" for "\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(quiltra::Narrow(argv[i]));
#else
int main(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
#endif
    try {
        return quiltra::Main(args);
    } catch (const quiltra::InputError& e) {
        std::fprintf(stderr, "quiltra: %s\n", e.what());
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "quiltra: out of memory\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quiltra: internal error: %s\n", e.what());
        return 1;
    }
}
