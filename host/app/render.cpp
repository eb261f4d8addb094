#include "render.h"

#include <imtl.h>
#include <host/shade_context.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace quiltra {

float PixelU(int x, int width) { return ((float)x + 0.5f) / (float)width; }
float PixelV(int y, int height) { return ((float)(height - y) - 0.5f) / (float)height; }

int HardwareThreads()
{
    unsigned n = std::thread::hardware_concurrency();
    return n ? (int)n : 1;
}

namespace {

void RenderRow(Texmap* texture, host::SampleShadeContext& sc, const RenderSettings& s,
               FloatImage& image, int y)
{
    const float v = PixelV(y, s.height);
    const Point3 duvw(1.0f / (float)s.width, 1.0f / (float)s.height, 0.0f);
    sc.SetDUVW(duvw, 0);
    sc.SetDUVW(duvw, 1);
    for (int x = 0; x < s.width; ++x) {
        const Point3 uvw(PixelU(x, s.width), v, 0.0f);
        sc.BeginSample();
        sc.SetUVW(uvw, 0);
        sc.SetUVW(uvw, 1);
        sc.SetP(uvw);
        float* out = image.Pixel(x, y);
        switch (s.channel) {
        case RenderChannel::Color: {
            AColor c = texture->EvalColor(sc);
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
            out[3] = c.a;
            break;
        }
        case RenderChannel::Mono: {
            float m = texture->EvalMono(sc);
            out[0] = m;
            out[1] = m;
            out[2] = m;
            out[3] = 1.0f;
            break;
        }
        case RenderChannel::Perturb: {
            Point3 p = texture->EvalNormalPerturb(sc);
            out[0] = p.x;
            out[1] = p.y;
            out[2] = p.z;
            out[3] = 1.0f;
            break;
        }
        }
    }
}

} // namespace

FloatImage RenderTexture(Texmap* texture, const RenderSettings& settings)
{
    FloatImage image(settings.width, settings.height);
    if (settings.pngCodes) settings.pngCodes->assign(image.rgba.size(), 0);
    if (settings.update) {
        Interval valid = FOREVER;
        texture->Update(0, valid);
    }
    auto cancelled = [&settings]() {
        return settings.cancel && settings.cancel->load(std::memory_order_relaxed);
    };

    std::atomic<int> nextRow {0}, rowsDone {0};
    std::mutex mutex;
    std::condition_variable finished;
    auto worker = [&]() {
        host::SampleShadeContext sc;
        sc.SetTime(0);
        sc.SetNormal(Point3(0.0f, 0.0f, 1.0f));
        sc.SetView(Point3(0.0f, 0.0f, -1.0f));
        for (int y; !cancelled() && (y = nextRow.fetch_add(1)) < settings.height;) {
            RenderRow(texture, sc, settings, image, y);
            if (settings.pngCodes)
                PngCodes(image.Pixel(0, y), (size_t)settings.width,
                         settings.pngCodes->data() + (size_t)y * (size_t)settings.width * 4);
            if (rowsDone.fetch_add(1) + 1 == settings.height) {
                std::lock_guard<std::mutex> lock(mutex);
                finished.notify_all();
            }
        }
    };

    const int threads = settings.threads < 1 ? 1 : settings.threads;
    if (!settings.progress) {
        // The calling thread is one of the render threads.
        std::vector<std::thread> pool;
        for (int i = 1; i < threads; ++i)
            pool.emplace_back(worker);
        worker();
        for (std::thread& t : pool)
            t.join();
        return image;
    }
    // The calling thread reports progress while the render threads work.
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i)
        pool.emplace_back(worker);
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (rowsDone.load() < settings.height && !cancelled()) {
            finished.wait_for(lock, std::chrono::milliseconds(250));
            settings.progress((double)rowsDone.load() / (double)settings.height);
        }
    }
    for (std::thread& t : pool)
        t.join();
    return image;
}

FloatImage ShadePerturbation(const FloatImage& perturbation)
{
    FloatImage out(perturbation.width, perturbation.height);
    // Light from the upper left, 40° above the surface, so that slopes facing it brighten and
    // slopes facing away darken from a flat mid-grey.
    const double lx = -0.541675, ly = 0.541675, lz = 0.642788;
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        double nx = perturbation.rgba[i], ny = perturbation.rgba[i + 1],
               nz = 1.0 + perturbation.rgba[i + 2];
        double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        double lit = (len > 0.0 && std::isfinite(len)) ? (nx * lx + ny * ly + nz * lz) / len : 0.0;
        float grey = (float)(0.02 + 0.5 * (lit > 0.0 ? lit : 0.0));
        out.rgba[i] = out.rgba[i + 1] = out.rgba[i + 2] = grey;
        out.rgba[i + 3] = 1.0f;
    }
    return out;
}

} // namespace quiltra
