#include "render.h"

#include <imtl.h>
#include <host/shade_context.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
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
    // finished[y]: row y's pixels and codes are written (for the rows handed on in order).
    std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[(size_t)settings.height]);
    for (int y = 0; y < settings.height; ++y)
        finished[y].store(false, std::memory_order_relaxed);
    std::mutex mutex;
    std::condition_variable allDone;
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
            finished[y].store(true, std::memory_order_release);
            if (rowsDone.fetch_add(1) + 1 == settings.height) {
                std::lock_guard<std::mutex> lock(mutex);
                allDone.notify_all();
            }
        }
    };
    // Hands on the rows finished in order since the last call; false when there were none.
    int inOrder = 0;
    auto handOn = [&]() {
        int end = inOrder;
        while (end < settings.height && finished[end].load(std::memory_order_acquire))
            ++end;
        if (end == inOrder) return false;
        if (settings.rowsInOrder) settings.rowsInOrder(inOrder, end);
        inOrder = end;
        return true;
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
        handOn();
        return image;
    }
    // The calling thread reports progress, and hands on finished rows, while the render threads
    // work. It looks for rows every few milliseconds and is woken when the last one is done.
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i)
        pool.emplace_back(worker);
    {
        using Clock = std::chrono::steady_clock;
        const bool handing = settings.rowsInOrder != nullptr;
        const auto reportEvery = std::chrono::milliseconds(250);
        const auto lookEvery = handing ? std::chrono::milliseconds(4) : reportEvery;
        Clock::time_point nextReport = Clock::now() + reportEvery;
        for (;;) {
            const bool handed = handing && handOn();
            const bool done = !handed && (rowsDone.load() == settings.height || cancelled());
            if (done || Clock::now() >= nextReport) {
                settings.progress((double)rowsDone.load() / (double)settings.height);
                nextReport = Clock::now() + reportEvery;
            }
            if (done) break;
            if (handed) continue;
            std::unique_lock<std::mutex> lock(mutex);
            if (rowsDone.load() < settings.height) allDone.wait_for(lock, lookEvery);
        }
    }
    for (std::thread& t : pool)
        t.join();
    handOn();
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
