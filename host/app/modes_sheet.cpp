#include "modes_sheet.h"

#include "label_font.h"
#include "render.h"
#include "scene_build.h"

#include <ivorlith.h>
#include <imtl.h>

namespace quiltra {

namespace {

// A gradient across u (direction 0) or v (1) through the stops.
std::unique_ptr<SubmapDescription> Gradient(int direction, std::vector<Rgba> stops)
{
    auto m = std::make_unique<SubmapDescription>();
    m->kind = PictureKind::Gradient;
    m->params.direction = direction;
    m->params.stops = std::move(stops);
    return m;
}

} // namespace

StackDescription ModesSheetScene()
{
    StackDescription s;
    s.layers.resize(2);
    // Base: deep blue through teal to orange across u.
    s.layers[0].map = Gradient(
        0, {{0.02f, 0.05f, 0.30f, 1.0f}, {0.05f, 0.55f, 0.50f, 1.0f}, {1.0f, 0.50f, 0.08f, 1.0f}});
    // Layer: black through magenta and yellow to white, bottom to top.
    s.layers[1].map = Gradient(1,
                               {{0.0f, 0.0f, 0.0f, 1.0f},
                                {0.75f, 0.08f, 0.55f, 1.0f},
                                {1.0f, 0.90f, 0.20f, 1.0f},
                                {1.0f, 1.0f, 1.0f, 1.0f}});
    s.layers[1].mode = 0;
    return s;
}

FloatImage RenderModesSheet(Host& host, const ModesSheetSettings& settings)
{
    const int cell = settings.cell, columns = settings.columns;
    const int rows = (VORLITH_MODE_COUNT + columns - 1) / columns;
    const int gap = 8;
    const int labelScale = cell >= 200 ? 2 : 1;
    const int labelBand = LabelHeight(labelScale) + 10;
    const int width = columns * cell + (columns + 1) * gap;
    const int height = rows * (cell + labelBand) + (rows + 1) * gap;

    FloatImage sheet(width, height);
    for (size_t i = 0; i < sheet.rgba.size(); i += 4) {
        sheet.rgba[i] = sheet.rgba[i + 1] = sheet.rgba[i + 2] = 0.015f; // dark grey background
        sheet.rgba[i + 3] = 1.0f;
    }

    SceneTexture texture = BuildTexture(host, ModesSheetScene(), "modes sheet");
    IVorlithLayers* layers = LayersOf(texture.Get());
    const float ink[4] = {0.85f, 0.85f, 0.85f, 1.0f};
    layers->SetBlendSpace(1, settings.space);

    RenderSettings rs;
    rs.width = rs.height = cell;
    rs.threads = settings.threads;
    for (int mode = 0; mode < VORLITH_MODE_COUNT; ++mode) {
        layers->SetBlendMode(1, mode);
        FloatImage picture = RenderTexture(texture.Get(), rs);
        const int x0 = gap + (mode % columns) * (cell + gap);
        const int y0 = gap + (mode / columns) * (cell + labelBand + gap);
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const float* from = picture.Pixel(x, y);
                float* to = sheet.Pixel(x0 + x, y0 + y);
                // Shown opaque: a mode that changes alpha would otherwise make its cell
                // see-through.
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 1.0f;
            }
        std::string label = std::to_string(mode) + " " + host.ModeNames()[(size_t)mode];
        int scale = LabelWidth(label, labelScale) <= cell ? labelScale : 1;
        DrawLabel(sheet, x0, y0 + cell + 6, label, scale, ink);
    }
    return sheet;
}

} // namespace quiltra
