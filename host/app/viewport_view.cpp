#include "viewport_view.h"

#include "file_io.h"
#include "render.h"
#include "scene_build.h"

#include <host/viewport.h>

#include <cstdio>

namespace quiltra {

FloatImage DrawViewport(const host::Viewport& viewport, int width, int height)
{
    FloatImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const float v = PixelV(y, height);
        for (int x = 0; x < width; ++x) {
            const AColor c = viewport.Shade(PixelU(x, width), v);
            float* out = image.Pixel(x, y);
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
            out[3] = c.a;
        }
    }
    return image;
}

namespace {

std::string MapName(Texmap* map)
{
    if (!map) return "none";
    MSTR name = map->GetName();
    if (name.Length() == 0) map->GetClassName(name);
    return name.ToUTF8();
}

} // namespace

std::string DescribeViewport(Texmap* texture, const host::Viewport& viewport)
{
    std::string text;
    int layer = -1; // stages show layers in ascending order: each search starts above the last
    for (const host::Viewport::StageView& s : viewport.Stages()) {
        int found = -1;
        for (int l = layer + 1; s.map && 2 * l < texture->NumSubTexmaps(); ++l)
            if (texture->GetSubTexmap(2 * l) == s.map) {
                found = l;
                break;
            }
        if (found >= 0) layer = found;
        text += "stage " + std::to_string(s.stage) + " layer " + std::to_string(found) + " map " +
            MapName(s.map);
        for (const std::wstring& op : s.ops)
            text += " | " + Narrow(op);
        if (!s.texture) text += " | no texture";
        text += "\n";
    }
    return text;
}

int RunViewport(const std::string& plugins, const ViewportOptions& o, int width, int height)
{
    Host host(plugins);
    SceneTexture texture = LoadAnyScene(host, o.scene);
    host::Viewport viewport;
    viewport.path =
        o.path == "records" ? host::Viewport::kRecordPath : host::Viewport::kHardwarePath;
    viewport.maker.texturesSupported = o.stages;
    viewport.maker.textureSize = kViewportTextureSize;
    viewport.Setup(texture.Get(), 0);

    if (o.describe) {
        std::fputs(DescribeViewport(texture.Get(), viewport).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    OutputFiles files;
    files.Stage(o.output, EncodePng(DrawViewport(viewport, width, height)));
    files.Commit();
    std::fprintf(stderr, "wrote %s (%dx%d, %d stages)\n", o.output.c_str(), width, height,
                 (int)viewport.Stages().size());
    return 0;
}

} // namespace quiltra
