// Benchmarks of the compositing engine: the colour walk by stack size, mode family and Output
// stage; every mode alone, colour and bump, against a plain loop of the same arithmetic and
// against pixman's float combiners (native build); the cache-hit path; the bump walk; and a
// count of allocations per sample.
//
// The walks are timed as a renderer reaches them after the texture's Update: over the layer
// plan (layer_plan.h). Built against an engine without a plan (an older one, to compare), they
// walk the tables directly. Sub-maps sit behind a virtual call, as the host's do.
// "per_layer_sample" is the time per layer and sample (the walk over 16 layers divided by 16);
// "allocs" counts heap allocations per sample inside the measured loop and must read 0.
//
// The native build uses Google Benchmark; the Windows build (run under wine) uses the harness
// in harness/, which offers the same interface.
#include "allocation_counter.h"
#include "blend_formulas.h"
#include "blend_modes.h"
#include "hsv.h"
#include "layer_stack.h"
#include "output_stage.h"
#if __has_include("layer_plan.h")
#include "layer_plan.h"
#define QUILTRA_BENCH_LAYER_PLAN 1
#endif

#include <benchmark/benchmark.h>
#if QUILTRA_BENCH_PIXMAN
#include <pixman.h>
#endif

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const int kPixels = 1024; // one row of samples, cycled; a power of two

// ---- the host side: a shading context, sub-maps and the access object -------------------------

struct BenchContext {
    int index = 0; // the sample's position in the pixel row
    bool cacheValid = false;
    AColor cache = AColor(0, 0, 0, 0);
    int gbuffer = 0;
};

class SubMap {
public:
    virtual ~SubMap() { }
    virtual AColor EvalColor(const BenchContext& sc) = 0;
    virtual Point3 EvalNormalPerturb(const BenchContext& sc) = 0;
};

// Returns one colour (and one perturbation) whatever the sample.
class ConstantMap : public SubMap {
public:
    explicit ConstantMap(const AColor& c) : color_(c), perturb_(c.r - 0.5f, c.g - 0.5f, c.b - 0.5f)
    { }
    AColor EvalColor(const BenchContext&) override { return color_; }
    Point3 EvalNormalPerturb(const BenchContext&) override { return perturb_; }

private:
    AColor color_;
    Point3 perturb_;
};

// Returns the sample's pixel of a row of colours: the same pixels pixman composites.
class PixelMap : public SubMap {
public:
    PixelMap(const AColor* pixels, int offset) : pixels_(pixels), offset_(offset) { }
    AColor EvalColor(const BenchContext& sc) override
    {
        return pixels_[(sc.index + offset_) & (kPixels - 1)];
    }
    Point3 EvalNormalPerturb(const BenchContext& sc) override
    {
        const AColor& c = pixels_[(sc.index + offset_) & (kPixels - 1)];
        return Point3(c.r, c.g, c.b);
    }

private:
    const AColor* pixels_;
    int offset_;
};

class BenchAccess {
public:
    BenchAccess(SubMap* const* maps, BenchContext& sc, int gbufferId)
        : maps_(maps), sc_(sc), gbufferId_(gbufferId)
    { }
    bool HasMap(int entry) const { return maps_[entry] != nullptr; }
    AColor EvalColor(int entry) { return maps_[entry]->EvalColor(sc_); }
    Point3 EvalNormalPerturb(int entry) { return maps_[entry]->EvalNormalPerturb(sc_); }
    bool GetCache(AColor& c)
    {
        if (!sc_.cacheValid) return false;
        c = sc_.cache;
        return true;
    }
    void PutCache(const AColor& c) { sc_.cache = c; }
    int GBufferID() const { return gbufferId_; }
    void SetGBufferID(int id) { sc_.gbuffer = id; }

private:
    SubMap* const* maps_;
    BenchContext& sc_;
    int gbufferId_;
};

// ---- pixels and stacks
// ------------------------------------------------------------------------------

struct Pixels {
    std::vector<AColor> base, layer;
    Pixels()
    {
        std::mt19937 rng(20261207);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f), alpha(0.5f, 1.0f);
        for (int i = 0; i < kPixels; ++i) {
            base.push_back(AColor(unit(rng), unit(rng), unit(rng), alpha(rng)));
            layer.push_back(AColor(unit(rng), unit(rng), unit(rng), alpha(rng)));
        }
    }
};

const Pixels& ThePixels()
{
    static const Pixels pixels;
    return pixels;
}

struct Stack {
    std::vector<int> mapEnabled, maskEnabled, mapUsed, modeList;
    std::vector<int> spaceList; // empty: every layer in linear space
    std::vector<float> opasityList;
    std::vector<Color> colorList;
    std::vector<std::unique_ptr<SubMap>> owned;
    std::vector<SubMap*> maps;
    OutputSettings out;
#if QUILTRA_BENCH_LAYER_PLAN
    LayerPlan plan;
    OutputStage stage;

    // What Update does before a render: the plan and the Output constants.
    void Prepare(const BenchAccess& access)
    {
        plan.Build(Tables(), out, access);
        PrepareOutputStage(out, stage);
    }
    AColor EvalColor(BenchAccess& access) const { return EvalPlannedColor(plan, access); }
    Point3 EvalPerturb(BenchAccess& access) const { return EvalPlannedPerturb(plan, access); }
    AColor Adjust(const AColor& c) const { return AdjustOutput(c, stage); }
#else
    LayerTables tables;

    void Prepare(const BenchAccess&) { tables = Tables(); }
    AColor EvalColor(BenchAccess& access) const { return EvalLayerColor(tables, out, access); }
    Point3 EvalPerturb(BenchAccess& access) const { return EvalLayerPerturb(tables, access); }
    AColor Adjust(const AColor& c) const { return AdjustOutput(c, out); }
#endif

    LayerTables Tables() const
    {
        return ViewLayerTables((int)maps.size(), View(mapEnabled), View(maskEnabled), View(mapUsed),
                               View(opasityList), View(colorList), View(modeList), View(spaceList));
    }
    template <class T>
    static TableView<T> View(const std::vector<T>& table)
    {
        return TableView<T>(table.data(), (int)table.size());
    }
    void AddLayer(int mode, SubMap* map, float opacity)
    {
        mapEnabled.push_back(1);
        maskEnabled.push_back(1);
        mapUsed.push_back(1);
        modeList.push_back(mode);
        opasityList.push_back(opacity);
        colorList.push_back(Color(0.5f, 0.5f, 0.5f));
        owned.emplace_back(map);
        maps.push_back(map);
        maps.push_back(nullptr); // no mask
    }
};

// Mode families of the stack benchmarks.
enum Family { ORDINARY, HSV, INTERPOLATION, EXACT_DIFFERENCE };
const char* const kFamilyNames[] = {"ordinary", "hsv", "interpolation", "exact_difference"};

// The modes that work one channel at a time, but "Interpolation" (its cosines make it a family
// of its own), from the mode list.
#define ORDINARY_PER_CHANNEL(F, channels) true
#define ORDINARY_HSV(components) false
#define ORDINARY_EXACT_DIFFERENCE false
#define ORDINARY_OF(mode, stringId, name, colour, bump) \
    if (ORDINARY_##colour && mode != BLEND_MODE_INTERPOLATION) modes.push_back(mode);
std::vector<int> OrdinaryModes()
{
    std::vector<int> modes;
    QUILTRA_BLEND_MODES(ORDINARY_OF)
    return modes;
}
#undef ORDINARY_OF

int ModeOf(Family family, int layer)
{
    static const std::vector<int> ordinary = OrdinaryModes();
    static const int hsv[] = {BLEND_MODE_HUE, BLEND_MODE_SATURATION, BLEND_MODE_LUMINANCE,
                              BLEND_MODE_COLOR};
    switch (family) {
    case ORDINARY:
        return ordinary[(size_t)layer % ordinary.size()];
    case HSV:
        return hsv[layer % 4];
    case INTERPOLATION:
        return BLEND_MODE_INTERPOLATION;
    default:
        return BLEND_MODE_EXACT_DIFFERENCE;
    }
}

// A stack of constant sub-maps, 80% opacity, no masks.
void BuildConstantStack(Stack& s, Family family, int layers, bool output)
{
    SetDefaultOutputSettings(s.out);
    if (output) {
        s.out.Output_on = true;
        s.out.gamma = 2.2f;
        s.out.bright = 1.1f;
        s.out.contrast = 0.9f;
        s.out.outputShiftHSV = AColor(10.0f, 0.05f, 0.0f, 0.0f);
        s.out.outputShiftRGB = AColor(0.01f, 0.0f, -0.01f, 0.0f);
        s.out.Clamp = true;
    }
    std::mt19937 rng(7 + layers);
    std::uniform_real_distribution<float> unit(0.05f, 0.95f), alpha(0.6f, 1.0f);
    for (int i = 0; i < layers; ++i)
        s.AddLayer(ModeOf(family, i),
                   new ConstantMap(AColor(unit(rng), unit(rng), unit(rng), alpha(rng))), 80.0f);
}

// Reports the allocations counted over the loop, per sample.
void ReportAllocations(benchmark::State& state, std::size_t allocations)
{
    state.counters["allocs"] =
        benchmark::Counter((double)allocations, benchmark::Counter::kAvgIterations);
}

void PerLayerSample(benchmark::State& state, int layersPerSample)
{
    state.counters["per_layer_sample"] = benchmark::Counter(
        (double)layersPerSample,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// ---- the colour walk by family, stack size and Output stage
// ----------------------------------------

void BM_ColorWalk(benchmark::State& state)
{
    const Family family = (Family)state.range(0);
    const int layers = (int)state.range(1);
    const bool output = state.range(2) != 0;
    Stack stack;
    BuildConstantStack(stack, family, layers, output);
    BenchContext sc;
    BenchAccess access(stack.maps.data(), sc, 3);
    stack.Prepare(access);
    state.SetLabel(std::string(kFamilyNames[family]) + (output ? " +output" : ""));
    bench::StartCountingAllocations();
    for (auto _ : state) {
        sc.index = (sc.index + 1) & (kPixels - 1);
        AColor c = stack.EvalColor(access);
        benchmark::DoNotOptimize(c);
    }
    ReportAllocations(state, bench::StopCountingAllocations());
    PerLayerSample(state, layers);
}

void ColorWalkArgs(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"family", "layers", "output"});
    for (int family = ORDINARY; family <= EXACT_DIFFERENCE; ++family)
        for (int layers : {1, 4, 16, 64})
            for (int output = 0; output <= 1; ++output)
                b->Args({family, layers, output});
    b->Args({ORDINARY, 8, 1}); // the 8-layer target
}
BENCHMARK(BM_ColorWalk)->Apply(ColorWalkArgs);

void BM_CacheHit(benchmark::State& state)
{
    Stack stack;
    BuildConstantStack(stack, ORDINARY, 16, true);
    BenchContext sc;
    sc.cacheValid = true;
    sc.cache = AColor(0.1f, 0.2f, 0.3f, 1.0f);
    BenchAccess access(stack.maps.data(), sc, 3);
    stack.Prepare(access);
    bench::StartCountingAllocations();
    for (auto _ : state) {
        AColor c = stack.EvalColor(access);
        benchmark::DoNotOptimize(c);
    }
    ReportAllocations(state, bench::StopCountingAllocations());
}
BENCHMARK(BM_CacheHit);

void BM_BumpWalk(benchmark::State& state)
{
    const int layers = (int)state.range(0);
    Stack stack;
    BuildConstantStack(stack, ORDINARY, layers, false);
    BenchContext sc;
    BenchAccess access(stack.maps.data(), sc, 3);
    stack.Prepare(access);
    bench::StartCountingAllocations();
    for (auto _ : state) {
        Point3 p = stack.EvalPerturb(access);
        benchmark::DoNotOptimize(p);
    }
    ReportAllocations(state, bench::StopCountingAllocations());
    PerLayerSample(state, layers);
}
BENCHMARK(BM_BumpWalk)->ArgName("layers")->Arg(1)->Arg(4)->Arg(16)->Arg(64);

// The walks without a current plan (a texture evaluated before the host brought it up to date):
// the tables read on every sample, ordinary modes; the colour walk (walk:0) with the Output
// stage on, the bump walk (walk:1).
void BM_WalkWithoutPlan(benchmark::State& state)
{
    const bool bump = state.range(0) != 0;
    const int layers = (int)state.range(1);
    Stack stack;
    BuildConstantStack(stack, ORDINARY, layers, !bump);
    BenchContext sc;
    BenchAccess access(stack.maps.data(), sc, 3);
    const LayerTables tables = stack.Tables();
    state.SetLabel(bump ? "bump" : "colour +output");
    bench::StartCountingAllocations();
    for (auto _ : state) {
        sc.index = (sc.index + 1) & (kPixels - 1);
        if (bump) {
            Point3 p = EvalLayerPerturb(tables, access);
            benchmark::DoNotOptimize(p);
        } else {
            AColor c = EvalLayerColor(tables, stack.out, access);
            benchmark::DoNotOptimize(c);
        }
    }
    ReportAllocations(state, bench::StopCountingAllocations());
    PerLayerSample(state, layers);
}
BENCHMARK(BM_WalkWithoutPlan)
    ->ArgNames({"walk", "layers"})
    ->Args({0, 1})
    ->Args({0, 8})
    ->Args({0, 64})
    ->Args({1, 1})
    ->Args({1, 8})
    ->Args({1, 64});

// The Output stage alone on the pixel row, with gamma 2.2 (gamma:1) or gamma 1 (gamma:0).
void BM_OutputStage(benchmark::State& state)
{
    Stack stack;
    BuildConstantStack(stack, ORDINARY, 0, true);
    if (state.range(0) == 0) stack.out.gamma = 1.0f;
    BenchContext sc;
    stack.Prepare(BenchAccess(stack.maps.data(), sc, 0));
    const std::vector<AColor>& pixels = ThePixels().base;
    int i = 0;
    for (auto _ : state) {
        i = (i + 1) & (kPixels - 1);
        AColor c = stack.Adjust(pixels[i]);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_OutputStage)->ArgName("gamma")->Arg(0)->Arg(1);

// Floors under the HSV modes and the Output stage, as chains in which each step waits for the
// last: the round trip of a colour to HSV and back (which every HSV layer makes with its base),
// the gamma step's power of one channel, and the C library's e^(ln x / gamma) that it replaced.
void BM_HsvRoundTrip(benchmark::State& state)
{
    AColor c(0.3f, 0.6f, 0.9f, 1.0f);
    const float shifts[2] = {0.5f, -0.5f};
    int i = 0;
    for (auto _ : state) {
        AColor hsv = ColorToHsv(c);
        hsv.r = hsv.r + shifts[i & 1]; // keeps the hue moving without leaving its sector
        c = HsvToColor(hsv);
        ++i;
    }
    benchmark::DoNotOptimize(c);
}
BENCHMARK(BM_HsvRoundTrip);

void BM_GammaPowerChain(benchmark::State& state)
{
    float x = 0.5f;
#if QUILTRA_BENCH_LAYER_PLAN
    const double gamma = 1.0 / 2.2; // the power function takes 1/gamma
#else
    const float gamma = 2.2f; // an older engine's takes gamma itself
#endif
    for (auto _ : state)
        x = GammaPower(x + 0.25f, gamma); // x stays near 0.6
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_GammaPowerChain);

void BM_LibraryPowerChain(benchmark::State& state)
{
    float x = 0.5f;
    const float gamma = 2.2f;
    for (auto _ : state)
        x = expf(logf(x + 0.25f) / gamma);
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_LibraryPowerChain);

// A chain of 1000 dependent float additions: on an idle core of this machine each takes the
// adder's latency (3 cycles on this CPU family), so the time per addition shows how much of
// the core the benchmarks actually get while the machine is shared.
void BM_Calibration(benchmark::State& state)
{
    float x = 0.0f;
    const float step = 1e-7f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        for (int i = 0; i < 1000; ++i)
            x += step;
        benchmark::DoNotOptimize(x);
    }
    state.counters["per_addition"] = benchmark::Counter(
        1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Calibration);

// ---- every mode alone, over the pixel row
// --------------------------------------------------------------

const int kModeLayers = 16;

// A base layer and 16 layers of one mode, each a pixel map (offset rows of the same pixels).
void BuildModeStack(Stack& s, int mode)
{
    SetDefaultOutputSettings(s.out);
    const Pixels& px = ThePixels();
    s.AddLayer(BLEND_MODE_NORMAL, new PixelMap(px.base.data(), 0), 100.0f);
    for (int i = 0; i < kModeLayers; ++i)
        s.AddLayer(mode, new PixelMap(px.layer.data(), 37 * i), 80.0f);
}

// The colour walk of the stack, or its bump walk (every layer's perturbation is its pixel's
// (r, g, b)); with display, every layer blends in display space (its colour and the base
// encoded, the result decoded).
void BM_Mode(benchmark::State& state, int mode, bool bump, bool display = false)
{
    Stack stack;
    BuildModeStack(stack, mode);
    if (display) stack.spaceList.assign(stack.modeList.size(), BLEND_SPACE_DISPLAY);
    BenchContext sc;
    BenchAccess access(stack.maps.data(), sc, 0);
    stack.Prepare(access);
    bench::StartCountingAllocations();
    for (auto _ : state) {
        sc.index = (sc.index + 1) & (kPixels - 1);
        if (bump) {
            Point3 p = stack.EvalPerturb(access);
            benchmark::DoNotOptimize(p);
        } else {
            AColor c = stack.EvalColor(access);
            benchmark::DoNotOptimize(c);
        }
    }
    ReportAllocations(state, bench::StopCountingAllocations());
    PerLayerSample(state, kModeLayers);
}

// The same arithmetic as a plain loop: the mode is known at compile time, the formula inlined,
// no tables, no cache, no dispatch. Only the sub-map calls stay virtual. Their sub-maps: the base
// pixels, then the layers' offset rows, as the mode stacks have them.
std::vector<SubMap*> PlainLoopMaps(std::vector<std::unique_ptr<SubMap>>& owned)
{
    const Pixels& px = ThePixels();
    std::vector<SubMap*> maps;
    owned.emplace_back(new PixelMap(px.base.data(), 0));
    maps.push_back(owned.back().get());
    for (int i = 0; i < kModeLayers; ++i) {
        owned.emplace_back(new PixelMap(px.layer.data(), 37 * i));
        maps.push_back(owned.back().get());
    }
    return maps;
}

template <BlendFormula F, unsigned Channels>
void BM_PlainLoop(benchmark::State& state)
{
    std::vector<std::unique_ptr<SubMap>> owned;
    const std::vector<SubMap*> maps = PlainLoopMaps(owned);
    const float op = 80.0f * 0.01f;
    BenchContext sc;
    for (auto _ : state) {
        sc.index = (sc.index + 1) & (kPixels - 1);
        AColor base = maps[0]->EvalColor(sc);
        const float m = base.a;
        base *= m;
        for (int i = 1; i <= kModeLayers; ++i) {
            const AColor l = maps[i]->EvalColor(sc);
            const float a = l.a;
            if (Channels & BLEND_RED) base.r = CompositeChannel(base.r, F(base.r, l.r), op, a);
            if (Channels & BLEND_GREEN) base.g = CompositeChannel(base.g, F(base.g, l.g), op, a);
            if (Channels & BLEND_BLUE) base.b = CompositeChannel(base.b, F(base.b, l.b), op, a);
            if (Channels & BLEND_ALPHA) base.a = CompositeChannel(base.a, F(base.a, a), op, a);
        }
        benchmark::DoNotOptimize(base);
    }
    PerLayerSample(state, kModeLayers);
}

// The bump walk's arithmetic as a plain loop: no masks, so each layer's perturbation is used
// as it is and its coverage is 1.
template <BlendFormula F, unsigned Components>
void BM_BumpPlainLoop(benchmark::State& state)
{
    std::vector<std::unique_ptr<SubMap>> owned;
    const std::vector<SubMap*> maps = PlainLoopMaps(owned);
    const float op = 80.0f * 0.01f;
    const float a = 1.0f;
    BenchContext sc;
    for (auto _ : state) {
        sc.index = (sc.index + 1) & (kPixels - 1);
        Point3 base = maps[0]->EvalNormalPerturb(sc);
        for (int i = 1; i <= kModeLayers; ++i) {
            const Point3 l = maps[i]->EvalNormalPerturb(sc);
            if (Components & BLEND_RED) base.x = CompositeChannel(base.x, F(base.x, l.x), op, a);
            if (Components & BLEND_GREEN) base.y = CompositeChannel(base.y, F(base.y, l.y), op, a);
            if (Components & BLEND_BLUE) base.z = CompositeChannel(base.z, F(base.z, l.z), op, a);
        }
        benchmark::DoNotOptimize(base);
    }
    PerLayerSample(state, kModeLayers);
}

// A plain loop for every mode that works one channel at a time, from the mode list.
#define PLAIN_PER_CHANNEL(F, channels) &BM_PlainLoop<&F, channels>
#define PLAIN_HSV(components) nullptr
#define PLAIN_EXACT_DIFFERENCE nullptr
#define PLAIN_LOOP_OF(mode, stringId, name, colour, bump) PLAIN_##colour,
void (*const kPlainLoops[BLEND_MODE_COUNT])(benchmark::State&) = {
    QUILTRA_BLEND_MODES(PLAIN_LOOP_OF)};
#undef PLAIN_LOOP_OF
#undef PLAIN_PER_CHANNEL
#define PLAIN_PER_CHANNEL(F, channels) &BM_BumpPlainLoop<&F, channels>
#define BUMP_PLAIN_LOOP_OF(mode, stringId, name, colour, bump) PLAIN_##bump,
void (*const kBumpPlainLoops[BLEND_MODE_COUNT])(benchmark::State&) = {
    QUILTRA_BLEND_MODES(BUMP_PLAIN_LOOP_OF)};
#undef BUMP_PLAIN_LOOP_OF

// ---- pixman's float combiners over the same pixels
// ------------------------------------------------------
#if QUILTRA_BENCH_PIXMAN

struct PixmanEntry {
    int mode;
    pixman_op_t op;
};

const PixmanEntry kPixmanOps[] = {
    {BLEND_MODE_MULTIPLY, PIXMAN_OP_MULTIPLY},
    {BLEND_MODE_SCREEN, PIXMAN_OP_SCREEN},
    {BLEND_MODE_OVERLAY, PIXMAN_OP_OVERLAY},
    {BLEND_MODE_HARD_LIGHT, PIXMAN_OP_HARD_LIGHT},
    {BLEND_MODE_SOFT_LIGHT, PIXMAN_OP_SOFT_LIGHT},
    {BLEND_MODE_DARKEN, PIXMAN_OP_DARKEN},
    {BLEND_MODE_LIGHTEN, PIXMAN_OP_LIGHTEN},
    {BLEND_MODE_DIFFERENCE, PIXMAN_OP_DIFFERENCE},
    {BLEND_MODE_EXCLUSION, PIXMAN_OP_EXCLUSION},
    {BLEND_MODE_DODGE, PIXMAN_OP_COLOR_DODGE},
    {BLEND_MODE_BURN, PIXMAN_OP_COLOR_BURN},
    {BLEND_MODE_HUE, PIXMAN_OP_HSL_HUE},
    {BLEND_MODE_SATURATION, PIXMAN_OP_HSL_SATURATION},
    {BLEND_MODE_COLOR, PIXMAN_OP_HSL_COLOR},
    {BLEND_MODE_LUMINANCE, PIXMAN_OP_HSL_LUMINOSITY},
};

// One row of kPixels layer pixels composited onto the base pixels, single thread.
void BM_Pixman(benchmark::State& state, pixman_op_t op)
{
    const Pixels& px = ThePixels();
    std::vector<float> src(4 * kPixels), dst(4 * kPixels);
    for (int i = 0; i < kPixels; ++i)
        for (int c = 0; c < 4; ++c) {
            src[4 * i + c] = px.layer[i][c];
            dst[4 * i + c] = px.base[i][c];
        }
    pixman_image_t* s = pixman_image_create_bits(
        PIXMAN_rgba_float, kPixels, 1, reinterpret_cast<uint32_t*>(src.data()), 16 * kPixels);
    pixman_image_t* d = pixman_image_create_bits(
        PIXMAN_rgba_float, kPixels, 1, reinterpret_cast<uint32_t*>(dst.data()), 16 * kPixels);
    for (auto _ : state) {
        pixman_image_composite32(op, s, nullptr, d, 0, 0, 0, 0, 0, 0, kPixels, 1);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(d);
    PerLayerSample(state, kPixels);
}
#endif

void RegisterModeBenchmarks()
{
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        benchmark::RegisterBenchmark(("BM_Mode/" + std::string(kBlendModes[mode].name)).c_str(),
                                     [mode](benchmark::State& st) { BM_Mode(st, mode, false); });
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        benchmark::RegisterBenchmark(
            ("BM_DisplayMode/" + std::string(kBlendModes[mode].name)).c_str(),
            [mode](benchmark::State& st) { BM_Mode(st, mode, false, true); });
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        if (kPlainLoops[mode])
            benchmark::RegisterBenchmark(
                ("BM_PlainLoop/" + std::string(kBlendModes[mode].name)).c_str(), kPlainLoops[mode]);
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        benchmark::RegisterBenchmark(("BM_BumpMode/" + std::string(kBlendModes[mode].name)).c_str(),
                                     [mode](benchmark::State& st) { BM_Mode(st, mode, true); });
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode)
        if (kBumpPlainLoops[mode])
            benchmark::RegisterBenchmark(
                ("BM_BumpPlainLoop/" + std::string(kBlendModes[mode].name)).c_str(),
                kBumpPlainLoops[mode]);
#if QUILTRA_BENCH_PIXMAN
    for (const PixmanEntry& e : kPixmanOps) {
        const pixman_op_t op = e.op;
        benchmark::RegisterBenchmark(("BM_Pixman/" + std::string(kBlendModes[e.mode].name)).c_str(),
                                     [op](benchmark::State& st) { BM_Pixman(st, op); });
    }
#endif
}

} // namespace

int main(int argc, char** argv)
{
    RegisterModeBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
