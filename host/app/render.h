// Rendering a texture over the unit square, as a renderer calls a texture: Update once, then
// one shading sample per pixel centre on several threads, each with its own shading context
// and a fresh cache per sample.
#pragma once

#include "image_io.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>
#include <string>

class Texmap;

namespace quiltra {

// What each sample asks of the texture.
enum class RenderChannel {
    Color, // EvalColor: r, g, b, a
    Mono, // EvalMono: the value in r, g and b, alpha 1
    Perturb, // EvalNormalPerturb: x, y, z in r, g, b, alpha 1
};

struct RenderSettings {
    int width = 512, height = 512;
    int threads = 1;
    RenderChannel channel = RenderChannel::Color;
    // Called now and then from the calling thread with the fraction done (0..1).
    std::function<void(double)> progress;
    // When set, each render thread also makes the PNG codes of the rows it renders
    // (PngCodes), so that no pass over the picture is left for after the render.
    std::vector<std::uint8_t>* pngCodes = nullptr;
    // When set, called on the calling thread with each run of rows first .. end − 1 that is
    // finished (its pixels and PNG codes written), in order from the top, each row once; with
    // `progress` set, while the rows below are still being rendered (a PNG can be compressed
    // meanwhile), otherwise once the render is done. Not called for the rows of a cancelled
    // render that were not finished.
    std::function<void(int first, int end)> rowsInOrder;
    // When set, the render stops taking rows once it reads true; the picture is then partly
    // rendered and is to be thrown away.
    const std::atomic<bool>* cancel = nullptr;
    // Calls the texture's Update first. A caller that updated the texture itself (on the thread
    // that owns it) turns this off.
    bool update = true;
};

// Pixel (x, y) (row 0 at the top) is the sample at u = (x + 0.5) / width,
// v = (height − y − 0.5) / height: v grows upwards, as on a textured plane seen from the front.
float PixelU(int x, int width);
float PixelV(int y, int height);

// Renders the texture. Calls its Update at time 0 first (see `update`). Rows are handed out to the
// threads one at a time; every sample is independent, so the result does not depend on the thread
// count.
FloatImage RenderTexture(Texmap* texture, const RenderSettings& settings);

// A perturbation picture for the eye: the unit square as a relief lit from the upper left,
// 40° above the surface: n = normalize((0, 0, 1) + p), grey = 0.02 + 0.5 · max(0, n · L).
FloatImage ShadePerturbation(const FloatImage& perturbation);

// Number of threads the machine runs at once (at least 1).
int HardwareThreads();

} // namespace quiltra
